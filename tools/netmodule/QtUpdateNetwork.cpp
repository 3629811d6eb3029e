// The update check's network side over Qt Network, built as a module of its own.
#include "tools/updatenetwork.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <QUrl>

namespace {

class QtUpdateNetwork final : public UpdateNetwork {
public:
    UpdateFetch Fetch(const QString& address, qint64 limit, int timeLimitMs,
                      const std::function<bool()>& keepGoing) override {
        UpdateFetch out;
        QNetworkAccessManager manager;
        QNetworkRequest request{QUrl(address)};
        // Always the newest list, never a cached copy.
        request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
        request.setTransferTimeout(timeLimitMs);
        QNetworkReply* reply = manager.get(request);

        QEventLoop loop;
        QObject::connect(reply, &QNetworkReply::readyRead, &loop, [&] {
            out.body += reply->readAll();
            if (out.body.size() > limit) {
                out.tooLarge = true;
                reply->abort();
            }
        });
        QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
        QTimer deadline;
        deadline.setSingleShot(true);
        QObject::connect(&deadline, &QTimer::timeout, &loop, [&] { reply->abort(); });
        deadline.start(timeLimitMs + 1000);
        QTimer poll;
        if (keepGoing) {
            QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
                if (!keepGoing()) reply->abort();
            });
            poll.start(50);
        }
        if (!reply->isFinished()) loop.exec();
        poll.stop();
        deadline.stop();
        if (!out.tooLarge && reply->error() == QNetworkReply::NoError) out.body += reply->readAll();

        out.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        out.cancelled = reply->error() == QNetworkReply::OperationCanceledError ||
                        reply->error() == QNetworkReply::TimeoutError;
        out.failed = reply->error() != QNetworkReply::NoError;
        if (out.failed) out.errorText = reply->errorString();
        reply->deleteLater();
        return out;
    }

    bool Reachable() override {
        if (!QNetworkInformation::instance()) QNetworkInformation::loadDefaultBackend();
        const QNetworkInformation* info = QNetworkInformation::instance();
        return !info || info->reachability() != QNetworkInformation::Reachability::Disconnected;
    }
};

} // namespace

extern "C" Q_DECL_EXPORT UpdateNetwork* scrivelle_create_update_network() {
    return new QtUpdateNetwork;
}
