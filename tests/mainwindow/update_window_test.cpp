#include "base/settingsstore.h"
#include "mainwindow_fixture.h"
#include "support/fakeclock.h"
#include "tools/update.h"

#include <QAction>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>

namespace {

// A small HTTP server on 127.0.0.1 that answers every request as scripted.
class ScriptedServer : public QObject {
public:
    int status = 200;
    QByteArray body;
    bool answer = true;
    QStringList requests;
    // Runs when a request has come in, given the answer to send when the test wants it sent;
    // unset, the answer goes at once.
    std::function<void(std::function<void()> send)> onRequest;

    ScriptedServer() {
        server.listen(QHostAddress::LocalHost, 0);
        QObject::connect(&server, &QTcpServer::newConnection, this, [this] {
            while (QTcpSocket* s = server.nextPendingConnection()) {
                QObject::connect(s, &QTcpSocket::readyRead, this, [this, s] {
                    const QByteArray request = s->readAll();
                    requests << QString::fromLatin1(request.left(request.indexOf('\r')));
                    if (!answer) return;
                    auto send = [this, socket = QPointer<QTcpSocket>(s)] {
                        if (!socket) return;
                        socket->write("HTTP/1.1 " + QByteArray::number(status) +
                                      " X\r\nContent-Length: " + QByteArray::number(body.size()) +
                                      "\r\nConnection: close\r\n\r\n" + body);
                        socket->disconnectFromHost();
                    };
                    if (onRequest)
                        onRequest(send);
                    else
                        send();
                });
            }
        });
    }
    QString Base() const { return QStringLiteral("http://127.0.0.1:%1/").arg(server.serverPort()); }
    QTcpServer server;
};

class UpdateWindowTest : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        gTempDir = TempPath(QStringLiteral("scratch/"));
        QDir().mkpath(gTempDir);
        gOnlineOverride = 1;
        Make();
        WriteSetting(kUpdateSiteKey, server.Base());
    }
    ScriptedServer server;
    // The check's pauses for the user to read each step pass at once; the network's time
    // limit is real time.
    SteppingClock clock{100};
};

TEST_F(UpdateWindowTest, OutcomesOfTheCheck) {
    struct Case {
        const char* name;
        int status;
        QByteArray body;
        bool answer;
        int icon;
        QString textStart;
        bool newer;
    };
    const Case cases[] = {
        {"same version", 200, "[VELLUMIX]\nversion=1.0.0\n", true, vbInformation, LangText(294), false},
        {"2.10.0 is newer", 200, "[VELLUMIX]\nversion=1.10.0\nyear=2026\nmonth=3\nday=4\n", true,
         vbInformation, LangText(295, QStringLiteral("1.10.0")), true},
        {"no section", 200, "version=9.9.9\n", true, vbExclamation, LangText(293), false},
        {"an HTML error page", 200, "<html><body>Oops</body></html>", true, vbExclamation, LangText(293),
         false},
        // Only numbers and dots make a version: anything else is no version at all.
        {"a version with markup", 200, "[VELLUMIX]\nversion=9.<b>bold</b>\n", true, vbExclamation,
         LangText(293), false},
        {"a version with a control character", 200, "[VELLUMIX]\nversion=9.0\x07\n", true, vbExclamation,
         LangText(293), false},
        {"a version that is not UTF-8", 200, "[VELLUMIX]\nversion=9.0\xff\xfe\n", true, vbExclamation,
         LangText(293), false},
        {"a very long version", 200, "[VELLUMIX]\nversion=" + QByteArray(250, '9') + "\n", true,
         vbExclamation, LangText(293), false},
        {"server error", 500, "[VELLUMIX]\nversion=9.0.0\n", true, vbExclamation,
         LangText(293) + "\r\nError #", false},
        {"no answer in time", 200, "", false, vbExclamation, LangText(293) + "\r\nError #", false},
        {"larger than any list", 200, "[VELLUMIX]\nversion=9.0.0\n" + QByteArray(200000, ';'), true,
         vbExclamation, LangText(293) + "\r\nError #", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        server.status = c.status;
        server.body = c.body;
        server.answer = c.answer;
        // A server that answers has all the time a busy machine may need; the one that never
        // answers is given up on soon.
        gUpdateTimeLimitMs = c.answer ? 60000 : 1000;
        DeleteSetting(kMainSection, SettingKeys::CheckedVersion);
        w->cmdUpdate->hide();
        const auto before = msgbox.shown().size();
        msgbox.Answer(c.newer ? vbCancel : vbOK);
        w->mnuUpdate->trigger();
        ASSERT_EQ(msgbox.shown().size(), before + 1);
        EXPECT_TRUE(msgbox.shown().back().text.startsWith(c.textStart))
            << msgbox.shown().back().text.toStdString();
        if (c.textStart == LangText(293)) {
            EXPECT_EQ(msgbox.shown().back().text, LangText(293));
        }
        EXPECT_EQ(msgbox.shown().back().icon, c.icon);
        EXPECT_EQ(w->cmdUpdate->isVisibleTo(w.get()), c.newer);
        EXPECT_EQ(ReadSetting(SettingKeys::CheckedVersion), c.newer ? QStringLiteral("1.10.0") : QString());
        // Whatever happened, the command is back and the labels show the files again.
        EXPECT_TRUE(w->mnuUpdate->isEnabled());
        EXPECT_EQ(w->lblTextFile->text(), LangText(22));
    }
    ASSERT_FALSE(server.requests.isEmpty());
    EXPECT_EQ(server.requests.first(),
              QStringLiteral("GET /files/updates.php?idprod=zrv&version=100 HTTP/1.1"));
}

TEST_F(UpdateWindowTest, OfflineAndClosedPortAskNothingOrSayWhy) {
    gOnlineOverride = 0;
    msgbox.Answer(vbOK);
    w->mnuUpdate->trigger();
    ASSERT_EQ(msgbox.shown().size(), 1u);
    EXPECT_EQ(msgbox.shown()[0].text, LangText(298));
    EXPECT_TRUE(server.requests.isEmpty());
    EXPECT_EQ(w->lblTextFile->text(), LangText(22));

    gOnlineOverride = 1;
    server.server.close();
    msgbox.Answer(vbOK);
    w->mnuUpdate->trigger();
    ASSERT_EQ(msgbox.shown().size(), 2u);
    EXPECT_TRUE(msgbox.shown()[1].text.startsWith(LangText(293) + "\r\nError #"));
    EXPECT_TRUE(w->mnuUpdate->isEnabled());
}

TEST_F(UpdateWindowTest, ClosingTheWindowDuringTheCheckEndsIt) {
    // The window closes once the request is out; a newer version is offered after that.
    gUpdateTimeLimitMs = 60000;
    server.body = "[VELLUMIX]\nversion=9.0.0\n";
    server.onRequest = [&](std::function<void()> send) {
        QTimer::singleShot(0, [this, send] {
            w.reset();
            send();
        });
    };
    frmMain* raw = w.get();
    raw->CheckForUpdates(); // returns without touching the deleted window, and shows nothing
    EXPECT_FALSE(w);
    EXPECT_TRUE(msgbox.shown().empty());
}

TEST_F(UpdateWindowTest, StartUpShowsTheButtonOnlyForANewerVersion) {
    for (auto [seen, shown] : {std::pair{"1.0.0", false},
                               {"0.9.0", false},
                               {"1.0.10", true},
                               {"junk", false},
                               {"9.<b>bold</b>", false},
                               {"9.0\x01", false}}) {
        WriteSetting(SettingKeys::CheckedVersion, QString::fromLatin1(seen));
        w->cmdUpdate->hide();
        w->Form_Activate();
        EXPECT_EQ(w->cmdUpdate->isVisibleTo(w.get()), shown) << seen;
    }
}

} // namespace
