// The registry stand-in over any file. The input is registry.conf as a user or another tool
// left it. A file the reader refuses gives every read its default and takes no write. A file it
// takes is rewritten by one write of the program's own: every key and value reads back as
// before, the new value as written, and a second rewrite changes no byte.
#include "fuzz_support.h"

#include "platform/RegistryAccess.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

struct Query {
    QString path;
    QString name;
};

// Keys and value names the file seems to hold, read roughly as the reader reads them.
std::vector<Query> Queries(const QString& text) {
    std::vector<Query> out;
    QString path;
    for (const QString& raw : text.split(QRegularExpression(QStringLiteral("\r\n|\r|\n")))) {
        if (out.size() >= 48) break;
        const QString line = raw.trimmed();
        if (line.startsWith(u'[') && line.endsWith(u']') && line.size() >= 2) {
            path = line.mid(1, line.size() - 2);
            out.push_back({path, QString()});
            continue;
        }
        QString name;
        if (line.startsWith(u'@')) {
            name = QStringLiteral("@");
        } else if (line.startsWith(u'"')) {
            for (qsizetype i = 1; i < line.size() && line[i] != u'"'; ++i) {
                if (line[i] == u'\\' && i + 1 < line.size()) ++i;
                name += line[i] == u'n' && line[i - 1] == u'\\' ? QChar(u'\n') : line[i];
            }
        } else {
            continue;
        }
        out.push_back({path, name});
    }
    return out;
}

struct Answer {
    bool key = false, value = false;
    int32_t dword = 0;
    bool operator==(const Answer&) const = default;
};

std::vector<Answer> Answers(const std::vector<Query>& queries) {
    std::vector<Answer> out;
    for (const Query& q : queries)
        out.push_back({gReg.KeyExists(q.path), gReg.ValueExists(q.path, q.name),
                       gReg.ReadDWORD(q.path, q.name, int32_t(0x5EED0001))});
    return out;
}

const QString kProbeKey = QStringLiteral("HKEY_CURRENT_USER\\Software\\Scrivelle Fuzz\\Probe");

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetProcess();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const QString file = clsRegistryAccess::FilePath();
    QDir(QFileInfo(file).absolutePath()).removeRecursively();
    QDir().mkpath(QFileInfo(file).absolutePath());
    fuzz::WriteFile(file, bytes);

    const std::vector<Query> queries = Queries(QString::fromUtf8(bytes));
    std::vector<Answer> expected = Answers(queries);

    // A value named after the input's first characters, holding a number from its last bytes.
    const QString name = QString::fromUtf8(bytes).left(10);
    int32_t number = 0;
    for (size_t i = 0; i < size && i < 4; ++i)
        number |= int32_t(uint32_t(data[size - 1 - i]) << (8 * i));
    if (!gReg.WriteDWORD(kProbeKey, name, number)) {
        // Refused: the file stays as it was and every read gives its default.
        fuzz::Check(fuzz::ReadFile(file) == bytes, "a refused file was changed");
        for (const Answer& a : Answers(queries))
            fuzz::Check(!a.key && !a.value && a.dword == int32_t(0x5EED0001), "a refused file gave a value");
        return 0;
    }
    const QByteArray written = fuzz::ReadFile(file);

    fuzz::Check(gReg.ReadDWORD(kProbeKey, name, ~number) == number, "the value written does not read back",
                QString::fromUtf8(written));
    const QString probe = clsRegistryAccess::ParsePath(kProbeKey).subkey;
    for (size_t i = 0; i < queries.size(); ++i) {
        const clsRegistryAccess::ParsedPath p = clsRegistryAccess::ParsePath(queries[i].path);
        const bool probeKey = p.hive == clsRegistryAccess::HiveCurrentUser &&
                              (p.subkey.compare(probe, Qt::CaseInsensitive) == 0 ||
                               probe.startsWith(p.subkey + u'\\', Qt::CaseInsensitive));
        if (probeKey) continue;
        const Answer now = Answers({queries[i]}).front();
        fuzz::Check(now == expected[i], "a key or value changed when the file was rewritten",
                    QStringLiteral("[%1] \"%2\"\n%3")
                        .arg(queries[i].path, queries[i].name, QString::fromUtf8(written)));
    }

    fuzz::Check(gReg.WriteDWORD(kProbeKey, name, number), "the rewritten file takes no write",
                QString::fromUtf8(written));
    fuzz::Check(fuzz::ReadFile(file) == written, "the file does not write back as it was written",
                QString::fromUtf8(written) + QStringLiteral("\n---\n") +
                    QString::fromUtf8(fuzz::ReadFile(file)));
    return 0;
}
