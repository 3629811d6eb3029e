#include "tools/update.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "platform/Modules.h"
#include "tools/updatenetwork.h"

#include <QFile>
#include <QLocale>
#include <QSaveFile>

#include <cmath>
#include <memory>

QString gUpdVersion;
QString gUpdVersionNum;
QString gCurVersionNum;
QString gUpdDate;
int32_t gUpdResult;
int32_t gUpdChars;
QString gUpdText;
int gOnlineOverride = -1;
int gUpdateTimeLimitMs = 20000;

namespace {
void ResetUpdate() {
    gUpdVersion.clear();
    gUpdVersionNum.clear();
    gCurVersionNum.clear();
    gUpdDate.clear();
    gUpdResult = 0;
    gUpdChars = 0;
    gUpdText.clear();
    gOnlineOverride = -1;
    gUpdateTimeLimitMs = 20000;
}
SCRIVELLE_REGISTER_RESET(ResetUpdate);

// The error numbers reported for a failed download (the system's own download call's style).
constexpr int32_t kErrorTimeout = -2147012894;    // the request timed out
constexpr int32_t kErrorConnection = -2146697211; // no connection to the server
constexpr int32_t kErrorHttp = -2146697208;       // the server answered with an error
constexpr int32_t kErrorTooLarge = -2146697204;   // the reply was larger than any update list
constexpr int32_t kErrorWrite = -2147024891;      // the reply file could not be written
} // namespace

QString UpdateReplyFile() {
    return gTempDir + QStringLiteral("zrvupd.tmp");
}

QString UpdateRequestAddress() {
    QString base = ReadSetting(kUpdateSiteKey, kDefaultUpdateSite).trimmed();
    if (base.isEmpty()) base = kDefaultUpdateSite;
    if (!base.endsWith(u'/')) base += u'/';
    return base + QStringLiteral("files/updates.php?idprod=zrv&version=") + QString::number(kVersionMajor) +
           QString::number(kVersionMinor) + QString::number(kVersionRevision);
}

int CompareVersions(const QString& a, const QString& b) {
    const QStringList pa = a.trimmed().split(u'.');
    const QStringList pb = b.trimmed().split(u'.');
    const auto part = [](const QStringList& parts, qsizetype i) -> qulonglong {
        if (i >= parts.size()) return 0;
        QString digits;
        for (QChar c : parts[i].trimmed()) {
            if (!c.isDigit() || c.unicode() > 127) break;
            digits += c;
        }
        bool ok = false;
        const qulonglong n = digits.left(18).toULongLong(&ok);
        return ok ? n : 0;
    };
    for (qsizetype i = 0; i < std::max(pa.size(), pb.size()); ++i) {
        const qulonglong x = part(pa, i), y = part(pb, i);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

bool IsVersionText(const QString& text) {
    const QStringList parts = text.split(u'.');
    if (parts.size() > kMaxVersionParts) return false;
    for (const QString& part : parts) {
        if (part.isEmpty() || part.size() > kMaxVersionDigits) return false;
        for (QChar c : part)
            if (c < u'0' || c > u'9') return false;
    }
    return true;
}

bool IsNewerThanRunning(const QString& version) {
    return IsVersionText(version) && CompareVersions(version, AppVersionText()) > 0;
}

namespace {
constexpr ModuleInfo kNetworkModule{kUpdateNetworkModule,
#ifdef SCRIVELLE_NETWORK_MODULE
                                    SCRIVELLE_NETWORK_MODULE,
#else
                                    nullptr,
#endif
                                    kCreateUpdateNetworkSymbol, "The network module"};

// A fresh network side for one request; null with the reason when the module is missing.
std::unique_ptr<UpdateNetwork> MakeUpdateNetwork(QString* error) {
    const auto create = reinterpret_cast<CreateUpdateNetworkFn>(ResolveModuleEntry(kNetworkModule, error));
    return std::unique_ptr<UpdateNetwork>(create ? create() : nullptr);
}
} // namespace

bool DownloadFile(const QString& address, const QString& path, int delayMs, QString* errorText,
                  const std::function<bool()>& keepGoing) {
    gUpdResult = 0;
    QString why;
    UpdateFetch reply;
    if (const std::unique_ptr<UpdateNetwork> network = MakeUpdateNetwork(&why)) {
        reply = network->Fetch(address, kUpdateReplyLimit, gUpdateTimeLimitMs, keepGoing);
    } else {
        // Without its network side the check fails as a request that found no server does.
        reply.failed = true;
        reply.errorText = why;
    }

    if (reply.tooLarge) {
        gUpdResult = kErrorTooLarge;
        why = QStringLiteral("The reply is larger than %1 bytes.").arg(kUpdateReplyLimit);
    } else if (reply.cancelled) {
        gUpdResult = kErrorTimeout;
        why = QStringLiteral("No answer within %1 seconds.").arg(gUpdateTimeLimitMs / 1000);
    } else if (reply.status >= 400) {
        gUpdResult = kErrorHttp;
        why = QStringLiteral("The server answered %1.").arg(reply.status);
    } else if (reply.failed) {
        gUpdResult = kErrorConnection;
        why = reply.errorText;
    }
    if (gUpdResult == 0) {
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(reply.body) != reply.body.size() || !file.commit()) {
            gUpdResult = kErrorWrite;
            why = QStringLiteral("Could not write %1: %2").arg(path, file.errorString());
        }
    }
    if (gUpdResult != 0) {
        if (errorText) *errorText = why;
        return false;
    }
    if (delayMs > 0) Wait(delayMs);
    return true;
}

bool IsOnline() {
    if (gOnlineOverride >= 0) return gOnlineOverride != 0;
    // Without its network side the state is unknown: the request then reports the failure.
    const std::unique_ptr<UpdateNetwork> network = MakeUpdateNetwork(nullptr);
    return !network || network->Reachable();
}

void NormalizeUpdateFile(const QString& path) {
    QFile file(path);
    if (!file.exists() || !file.open(QIODevice::ReadOnly)) return;
    const QByteArray bytes = file.read(kUpdateReplyLimit + 1);
    file.close();
    gUpdText = QString::fromLatin1(bytes);
    gUpdText.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    gUpdText.replace(u'\r', u'\n');
    gUpdText.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    if (!gUpdText.endsWith(QStringLiteral("\r\n"))) gUpdText += QStringLiteral("\r\n");
    QSaveFile out(path);
    if (out.open(QIODevice::WriteOnly)) {
        out.write(gUpdText.toLatin1());
        out.commit();
    }
    gUpdText.clear();
}

QString GetUpdateValue(const QString& key) {
    // A new reply file is a new size or time to the INI reader, which then reads it afresh; the
    // other files it keeps (the format definitions) stay parsed.
    QString value = ReadIni(QStringLiteral("VELLUMIX"), key, QStringLiteral("---"), UpdateReplyFile());
    // Server text reaches labels and message boxes: no control characters, a bounded length.
    value.removeIf([](QChar c) { return c.category() == QChar::Other_Control; });
    value = value.left(254);
    gUpdChars = int32_t(value.size());
    return value;
}

QString ReplyVersion() {
    // As the reply holds it: GetUpdateValue's cleaning would make "9.0<BEL>" look like "9.0".
    const QString raw =
        ReadIni(QStringLiteral("VELLUMIX"), QStringLiteral("version"), QString(), UpdateReplyFile());
    return IsVersionText(raw) ? raw : QString();
}

QString UpdateReleaseDate(const QString& year, const QString& month, const QString& day) {
    for (const QString* part : {&year, &month, &day})
        if (part->trimmed() == QLatin1String("---") || part->trimmed().isEmpty()) return QString();
    const auto number = [](const QString& t) {
        return int(std::clamp(std::round(LeadingNumber(t)), -32768.0, 32767.0));
    };
    const int y = number(year), m = number(month), d = number(day);
    if (y < 1 || y > 9999) return QString();
    // Months and days past their end roll over into the next month or year.
    const QDate date = QDate(y, 1, 1).addMonths(m - 1).addDays(d - 1);
    if (!date.isValid()) return QString();
    return QLocale().toString(date, QLocale::LongFormat);
}
