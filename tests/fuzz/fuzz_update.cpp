// The update check's reply over any bytes, as a server (or whatever answers in its place) may
// send them: the reply file is normalised and its values read as the check reads them. Every
// line of the normalised file ends in CR LF, normalising again changes nothing, values are
// short and free of control characters, and the version tests are consistent.
#include "fuzz_support.h"

#include "base/appinfo.h"
#include "base/paths.h"
#include "tools/update.h"

#include <QDir>

namespace {

void CheckCrLf(const QByteArray& text) {
    fuzz::Check(text.endsWith("\r\n"), "the normalised reply does not end with CR LF");
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == '\r')
            fuzz::Check(i + 1 < text.size() && text[i + 1] == '\n', "a lone CR in the reply");
        if (text[i] == '\n') fuzz::Check(i > 0 && text[i - 1] == '\r', "a lone LF in the reply");
    }
}

int Sign(int n) {
    return (n > 0) - (n < 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetProcess();
    QDir().mkpath(gTempDir);
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString reply = UpdateReplyFile();
    fuzz::WriteFile(reply, bytes);

    NormalizeUpdateFile(reply);
    const QByteArray normal = fuzz::ReadFile(reply);
    CheckCrLf(normal);
    // At most the longest reply is taken, and nothing but line ends is added or taken away.
    QByteArray bare = bytes.left(kUpdateReplyLimit + 1);
    fuzz::Check(normal.size() <= 2 * bare.size() + 2, "normalising made the reply grow beyond its line ends");
    bare.replace('\r', "");
    bare.replace('\n', "");
    QByteArray bareNormal = normal;
    bareNormal.replace('\r', "");
    bareNormal.replace('\n', "");
    fuzz::Check(bare == bareNormal, "normalising changed more than the line ends");
    NormalizeUpdateFile(reply);
    fuzz::Check(fuzz::ReadFile(reply) == normal, "normalising twice changed the reply");

    QString values[4];
    const char* keys[] = {"version", "year", "month", "day"};
    for (int i = 0; i < 4; ++i) {
        values[i] = GetUpdateValue(QString::fromLatin1(keys[i]));
        fuzz::Check(values[i].size() <= 254 && gUpdChars == values[i].size(), "a value is too long");
        for (QChar c : values[i])
            fuzz::Check(c.category() != QChar::Other_Control, "a value holds a control character");
    }
    const QString& version = values[0];
    // The comparison of versions is an order.
    const QString running = AppVersionText();
    fuzz::Check(CompareVersions(version, version) == 0, "a version differs from itself");
    fuzz::Check(Sign(CompareVersions(version, running)) == -Sign(CompareVersions(running, version)),
                "comparing versions is not symmetric");
    if (IsNewerThanRunning(version))
        fuzz::Check(CompareVersions(version, running) > 0, "newer, but not greater");
    // The date is whole or nothing.
    const QString date = UpdateReleaseDate(values[1], values[2], values[3]);
    if (values[1] == QLatin1String("---") || values[2] == QLatin1String("---") ||
        values[3] == QLatin1String("---"))
        fuzz::Check(date.isEmpty(), "a date from a reply that lacks a part of it");
    return 0;
}
