// The format catalogue's reader over any formats.dat and formats.ini. The input is formats.dat;
// when it holds a zero byte, what follows is formats.ini (else the shipped formats.ini is used).
// Every id of the list is loaded; a definition the loader takes has its pieces in place, and a
// few captions written with it and read back with it give a sane read, whatever the template.
#include "subtitle_support.h"

#include "base/paths.h"
#include "formats/formatdefs.h"
#include "formats/writer.h"

#include <QFile>

namespace {

const std::vector<tSubtitleLine> kDocument{
    {1000, 2500, "<i>First|line two"},
    {3000, 4000, "a < b & c; d, e"},
    {3723450, 3725010, "<b>Late caf\u00e9"},
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::ResetProcess();
    const QByteArray bytes = fuzz::Bytes(data, size);
    const qsizetype zero = bytes.indexOf('\0');
    gFormatDatFile = fuzz::ScratchDir() + QStringLiteral("/formats.dat");
    gFormatFile = fuzz::ScratchDir() + QStringLiteral("/formats.ini");
    fuzz::WriteFile(gFormatDatFile, zero < 0 ? bytes : bytes.left(zero));
    if (zero >= 0) {
        fuzz::WriteFile(gFormatFile, bytes.mid(zero + 1));
    } else {
        QFile::remove(gFormatFile);
        if (!QFile::copy(QStringLiteral(SCRIVELLE_SOURCE_DIR "/formats/data/formats.ini"), gFormatFile))
            fuzz::Fail("cannot copy formats.ini");
    }
    bool ended = false;
    SetProgramEndHandler([&](int) { ended = true; });

    if (!LoadFormatsList()) {
        fuzz::Check(ended && gFormatMax == -1, "a list refused without ending the program");
        return 0;
    }
    fuzz::Check(gFormatMax == gFormatIds.size() - 1 && gFormatMax < kMaxFormats, "the list's size is wrong");
    // Every definition is loaded; a few of those taken (from a place the input chooses) also
    // write and read, which costs far more.
    std::vector<QString> taken;
    for (int i = 0; i <= gFormatMax; ++i) {
        const QString id = gFormatIds[i];
        fuzz::Check(id == id.trimmed().toUpper(), "an id that is not trimmed upper case");
        if (!LoadFormatDefinition(id, false, false)) {
            fuzz::Check(gFormatDef.Header.isEmpty() && gFormatDef.Body.isEmpty() &&
                            gFormatDef.Footer.isEmpty(),
                        "a refused definition kept its template");
            continue;
        }
        const tFormatDef& def = gFormatDef;
        fuzz::Check(def.Body.contains(QLatin1String("zrvStart")) &&
                        def.Body.contains(QLatin1String("zrvEnd")) &&
                        def.Body.contains(QLatin1String("zrvCaption")),
                    "a definition taken without its placeholders", def.Body);
        fuzz::Check(!def.TimeMask.isEmpty(), "a definition without a time mask");
        taken.push_back(id);
    }
    const size_t first = taken.empty() ? 0 : size % taken.size();
    for (size_t k = 0; k < taken.size() && k < 6; ++k) {
        const QString& id = taken[(first + k) % taken.size()];
        // Whatever the template, what is written with it reads without harm.
        fuzz::Check(LoadFormatDefinition(id, false, false), "a definition taken once was refused");
        const float fps = gFormatDef.Timecode.contains(QLatin1String("ff")) ? 25.0f : 0.0f;
        const QByteArray file = fuzz::SaveAs(id, kDocument, fps);
        const QString text = DecodeFileText(file, DetectTextEncoding(file));
        fuzz::ReadAs(id, text, k % 2 == 0);
    }
    return 0;
}
