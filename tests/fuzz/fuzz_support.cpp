#include "fuzz_support.h"

#include "base/paths.h"
#include "base/processstate.h"
#include "base/settings.h"
#include "formats/formatdefs.h"
#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

namespace fuzz {

namespace {

// On a memory file system where there is one: the stores sync every file they replace to the
// disk, which would bound a target at a few dozen inputs a second.
QTemporaryDir& Scratch() {
    static QTemporaryDir dir(QFileInfo(QStringLiteral("/dev/shm")).isWritable()
                                 ? QStringLiteral("/dev/shm/scrivelle-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/scrivelle-fuzz-XXXXXX"));
    return dir;
}

void ApplyState() {
    gTempDir = ScratchDir() + QStringLiteral("/cache/");
    gLineBreak = QStringLiteral("|");
}

} // namespace

void Init() {
    static bool done = false;
    if (done) return;
    done = true;
    if (!Scratch().isValid()) Fail("no temporary folder");
    QDir(ScratchDir()).mkpath(QStringLiteral("config"));
    QDir(ScratchDir()).mkpath(QStringLiteral("cache"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(ScratchDir() + QStringLiteral("/config")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(ScratchDir() + QStringLiteral("/cache")));
    // Results must not depend on the machine's language.
    qputenv("SCRIVELLE_ANSI_CODEPAGE", "1252");
    SetMsgBoxHandler([](const QString&, int style, const QString&) { return MsgBoxEscapeAnswer(style); });
    ApplyState();
}

void ResetProcess() {
    Init();
    processstate::ResetAll();
    ApplyState();
}

void InitFormats() {
    static bool done = false;
    if (done) return;
    done = true;
    Init();
    gFormatFile = QStringLiteral(SCRIVELLE_SOURCE_DIR "/formats/data/formats.ini");
    gFormatDatFile = QStringLiteral(SCRIVELLE_SOURCE_DIR "/formats/data/formats.dat");
    SetProgramEndHandler([](int) { Fail("the format catalogue is missing"); });
    LoadLanguageStrings();
    if (!LoadFormatsList() || gFormatMax < 1) Fail("the format catalogue did not load");
}

QString ScratchDir() {
    return Scratch().path();
}

void WriteFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size())
        Fail("cannot write a scratch file", path);
}

QByteArray ReadFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void Fail(const char* what, const QString& detail) {
    std::fprintf(stderr, "\n*** fuzz check failed: %s\n", what);
    if (!detail.isEmpty()) {
        // Whole, even where the text holds a zero.
        const QByteArray bytes = detail.toUtf8();
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stderr);
        std::fputc('\n', stderr);
    }
    std::fflush(stderr);
    std::abort();
}

QString Visible(const QString& text) {
    QString out;
    for (const QChar c : text) {
        if (c.category() == QChar::Other_Control || c.category() == QChar::Other_Format || c.isSurrogate() ||
            c.category() == QChar::Separator_Line || c.category() == QChar::Separator_Paragraph)
            out += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
        else
            out += c;
    }
    return out;
}

QString Describe(const std::vector<tSubtitleLine>& captions) {
    QString out;
    for (const tSubtitleLine& c : captions)
        out += QStringLiteral("  %1 -> %2 \"%3\"\n").arg(c.start).arg(c.end).arg(Visible(c.text));
    return out;
}

} // namespace fuzz
