#include "formats/formatdefs.h"

#include "base/appinfo.h"
#include "base/numbers.h"
#include "base/paths.h"
#include "base/processstate.h"
#include "base/toolbox.h"
#include "formats/textops.h"
#include "language/lang.h"
#include "platform/MsgBox.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>

#include <algorithm>
#include <cstdlib>
#include <optional>
#include <vector>

tFormatDef gFormatDef;
QStringList gFormatIds;
int gFormatMax = -1;
int gFormatIndex = 0;
float gFPS = 0.0f;
bool gBadFormatWarned = false;
int gConfigFormatIndex = 0;
std::function<void(const QString&, bool)> gOnFileStatus;
std::function<void()> gOnRefreshFileLabels;

namespace {

std::function<void(int)>& ProgramEnd() {
    static std::function<void(int)> handler;
    return handler;
}

// formats.dat, read once: its lines, where each block opens and where blocks end, so that
// every definition load (a detection loads up to 255) costs a hash look-up, not a file scan.
struct DatFile {
    QString path;
    bool loaded = false;
    QStringList lines;
    QHash<QString, int> firstOpener; // trimmed "---ID FORMAT---" line -> its first line index
    std::vector<int> endLines;       // indices of "---END FORMAT DEFINITION---" lines, ascending
    QHash<QString, std::optional<QString>> blocks;
};

DatFile& Dat() {
    static DatFile dat;
    return dat;
}

const QString kEndLine = QStringLiteral("---END FORMAT DEFINITION---");

DatFile& LoadDat() {
    DatFile& dat = Dat();
    if (dat.loaded && dat.path == gFormatDatFile) return dat;
    dat = DatFile();
    dat.path = gFormatDatFile;
    dat.loaded = true;
    QFile f(gFormatDatFile);
    if (!f.open(QIODevice::ReadOnly)) return dat;
    QByteArray bytes = f.readAll();
    if (bytes.startsWith("\xEF\xBB\xBF")) bytes.remove(0, 3);
    const QString text = QString::fromUtf8(bytes);
    dat.lines = text.split(u'\n');
    // A final line break does not start another line.
    if (!dat.lines.isEmpty() && dat.lines.last().isEmpty()) dat.lines.removeLast();
    for (int i = 0; i < dat.lines.size(); ++i) {
        QString& line = dat.lines[i];
        if (line.endsWith(u'\r')) line.chop(1);
        const QString t = line.trimmed();
        if (t == kEndLine)
            dat.endLines.push_back(i);
        else if (t.startsWith(QLatin1String("---")) && t.endsWith(QLatin1String(" FORMAT---")) &&
                 !dat.firstOpener.contains(t))
            dat.firstOpener.insert(t, i);
    }
    return dat;
}

// The block of an id: the lines between its first opening line and the next end line, each
// followed by CR LF; nothing when the id has no opening line.
std::optional<QString> FindBlock(const QString& id) {
    DatFile& dat = LoadDat();
    if (auto it = dat.blocks.constFind(id); it != dat.blocks.cend()) return *it;
    std::optional<QString> block;
    const auto open = dat.firstOpener.constFind(QStringLiteral("---") + id + QStringLiteral(" FORMAT---"));
    if (open != dat.firstOpener.cend()) {
        const int first = *open + 1;
        const auto end = std::upper_bound(dat.endLines.begin(), dat.endLines.end(), *open);
        const int last = end == dat.endLines.end() ? int(dat.lines.size()) : *end;
        QString text;
        for (int i = first; i < last; ++i) {
            text += dat.lines[i];
            text += QLatin1String("\r\n");
        }
        block = text;
    }
    dat.blocks.insert(id, block);
    return block;
}

void ResetFormatState() {
    gFormatDef = tFormatDef();
    gFormatIds.clear();
    gFormatMax = -1;
    gFormatIndex = 0;
    gFPS = 0.0f;
    gBadFormatWarned = false;
    gConfigFormatIndex = 0;
    gOnFileStatus = nullptr;
    gOnRefreshFileLabels = nullptr;
    ProgramEnd() = nullptr;
    Dat() = DatFile();
}
SCRIVELLE_REGISTER_RESET(ResetFormatState);

void DeriveTimeMasks(tFormatDef& def) {
    if (def.Timecode == QLatin1String("ms") || def.Timecode == QLatin1String("ff")) {
        def.TimeMask = QStringLiteral("0");
        return;
    }
    QString mask = def.Timecode;
    for (const char16_t field : {u'h', u'm', u's', u'z'})
        mask.replace(QChar(field), QChar(u'0'));
    def.TimeMask = ReplaceText(mask, u"ff", u"00");
    QString compact = ReplaceText(def.Timecode, u"hh", u"h");
    compact = ReplaceText(compact, u"mm", u"m");
    compact = ReplaceText(compact, u"ss", u"s");
    compact = compact.contains(QLatin1String("zzz")) ? ReplaceText(compact, u"zzz", u"z")
                                                     : ReplaceText(compact, u"zz", u"z");
    def.CompactPattern = compact;
    def.HourMask = def.Timecode.contains(QLatin1String("hh"), Qt::CaseInsensitive) ? QStringLiteral("00")
                                                                                   : QStringLiteral("0");
    def.FractionMask = def.Timecode.contains(QLatin1String("zzz"))  ? QStringLiteral("000")
                       : def.Timecode.contains(QLatin1String("zz")) ? QStringLiteral("00")
                                                                    : QStringLiteral("0");
}

} // namespace

QString ReadFormatIni(const QString& id, const QString& key, const QString& def) {
    return ReadIni(id, key, def, gFormatFile);
}

QString CurrentFormatId() {
    return gFormatIndex >= 0 && gFormatIndex < gFormatIds.size() ? gFormatIds[gFormatIndex] : QString();
}

void ClearFormatFileCache() {
    Dat() = DatFile();
}

void SetProgramEndHandler(std::function<void(int)> handler) {
    ProgramEnd() = std::move(handler);
}

void ShowFileStatus(const QString& text, bool clearVideoLabel) {
    if (gOnFileStatus) gOnFileStatus(text, clearVideoLabel);
    if (QCoreApplication::instance()) QCoreApplication::processEvents();
}

void RefreshFileLabels() {
    if (gOnRefreshFileLabels) gOnRefreshFileLabels();
}

bool LoadFormatsList() {
    const bool iniMissing = !FileExists(gFormatFile);
    const bool datMissing = !FileExists(gFormatDatFile);
    for (const auto& [missing, path] :
         {std::pair{iniMissing, gFormatFile}, std::pair{datMissing, gFormatDatFile}}) {
        if (missing)
            MsgBox(LangText(287) + QStringLiteral("\r\n\r\n[") + path + QStringLiteral("]"), vbCritical,
                   LangText(146));
    }
    if (iniMissing || datMissing) {
        if (ProgramEnd())
            ProgramEnd()(1);
        else
            std::exit(1);
        return false;
    }
    gFormatIds.clear();
    const DatFile& dat = LoadDat();
    for (const QString& line : dat.lines) {
        const QString id = line.trimmed().toUpper();
        if (id == QLatin1String("</FORMATSLIST>")) break;
        if (id == QLatin1String("<FORMATSLIST>")) continue;
        // The index is 8 bits wide in the file's design: one id more overflows it. Such a
        // list is a broken installation, reported as one, not a shorter list.
        if (gFormatIds.size() == kMaxFormats) {
            gFormatIds.clear();
            gFormatMax = -1;
            MsgBox(LangText(287) + QStringLiteral("\r\n\r\n[") + gFormatDatFile +
                       QStringLiteral("]\r\n\r\nError #6: Overflow"),
                   vbCritical, LangText(146));
            if (ProgramEnd())
                ProgramEnd()(1);
            else
                std::exit(1);
            return false;
        }
        gFormatIds.append(id);
    }
    gFormatMax = int(gFormatIds.size()) - 1;
    return true;
}

bool LoadFormatDefinition(const QString& id, bool showStatus, bool timecodeOnly) {
    tFormatDef& def = gFormatDef;
    def.Id = id;
    def.Timecode = ReadFormatIni(id, QStringLiteral("timecode"), QStringLiteral("ms")).toLower();
    DeriveTimeMasks(def);
    if (timecodeOnly) return false;

    QString sample = ReadFormatIni(id, QStringLiteral("sample"), QStringLiteral("???")).toUpper();
    sample.replace(u'!', QLatin1String("\r\n"));
    sample.replace(u'?', u'\t');
    def.Sample = sample;
    def.LineBreakToken = ReadFormatIni(id, QStringLiteral("lbreak"), QStringLiteral("[enter]"));
    const double tags = LeadingNumber(ReadFormatIni(id, QStringLiteral("tags"), QStringLiteral("0")));
    def.TagFlags = (tags >= 0 && tags <= 255) ? uint8_t(RoundHalfEven(tags)) : 0;
    if (def.TagFlags != 0) {
        def.TagOpen = ReadFormatIni(id, QStringLiteral("tagopen"));
        def.TagClose = ReadFormatIni(id, QStringLiteral("tagclose"));
    }
    def.TextEscape = ReadFormatIni(id, QStringLiteral("escape")).toLower();
    def.Encoding = ReadFormatIni(id, QStringLiteral("encoding")).trimmed().toLower();

    const std::optional<QString> block = FindBlock(id);
    const QString text = block.value_or(QString());
    const qsizetype p1 = text.indexOf(QLatin1String("{SubRepeat}"));
    const qsizetype p2 = text.indexOf(QLatin1String("{/SubRepeat}"));
    // The markers must frame at least one body line, each on a line of its own, and the
    // placeholders must stand in that body: a template whose pieces are elsewhere would be cut
    // into nonsense and half used by the reader and the writer.
    const qsizetype bodyStart = p1 + 13;
    const qsizetype bodyLength = p2 - p1 - 14;
    const QStringView body = bodyLength > 0 ? QStringView(text).mid(bodyStart, bodyLength) : QStringView();
    const bool valid = block && p1 >= 0 && p2 >= 0 && bodyLength > 0 &&
                       QStringView(text).mid(p1 + 11, 2) == QLatin1String("\r\n") &&
                       QStringView(text).mid(p2 - 2, 2) == QLatin1String("\r\n") &&
                       body.contains(QLatin1String("zrvStart")) && body.contains(QLatin1String("zrvEnd")) &&
                       body.contains(QLatin1String("zrvCaption"));
    if (!valid) {
        if (!gBadFormatWarned) {
            gBadFormatWarned = true;
            MsgBox(LangText(412, id), vbExclamation);
        }
        def.Header.clear();
        def.Body.clear();
        def.Footer.clear();
        return false;
    }

    // The body: the lines after "{SubRepeat}" and its line break, up to and including the CR
    // of the line break before "{/SubRepeat}".
    def.Body = body.toString();
    def.SingleLineBody =
        !def.Body.contains(QLatin1String("\r\n")) && def.LineBreakToken != QLatin1String("[enter]");
    if (LeadingNumber(ReadFormatIni(id, QStringLiteral("header"), QStringLiteral("0"))) == 1) {
        // Generated from the settings by the writer, once per save: detection loads up to every
        // definition and has no use for a header.
        def.Header.clear();
    } else {
        def.Header = text.left(p1);
        if (def.Header.size() > 2 && def.Header.endsWith(QLatin1String("\r\n"))) def.Header.chop(2);
    }
    const qsizetype footerStart = p2 + 14;
    def.Footer = footerStart < text.size() ? text.mid(footerStart) : QString();
    const qsizetype caption = def.Body.indexOf(QLatin1String("zrvCaption"));
    const qsizetype end = def.Body.indexOf(QLatin1String("zrvEnd"));
    def.CaptionAfterEnd = caption >= 0 && end >= 0 && caption > end;
    def.SubCountFormat = def.Body.contains(QLatin1String("zrvSubCount"), Qt::CaseInsensitive)
                             ? ReadFormatIni(id, QStringLiteral("subcount"), QStringLiteral("0"))
                             : QString();

    if (showStatus) {
        for (int i = 1; i <= gFormatMax; ++i) {
            if (gFormatIds[i] == id) {
                gFormatIndex = i;
                break;
            }
        }
        ShowFileStatus(LangText(274, ReadFormatIni(id, QStringLiteral("name"))), false);
    }
    return true;
}
