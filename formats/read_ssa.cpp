#include "formats/readerpaths.h"

namespace {

// The sections of a script, as far as what is left out of it is concerned.
enum : int { kScriptInfo = 0, kStyles, kEvents, kEmbedded, kEditorState, kOtherSection };

int SectionOf(QStringView name) {
    const auto is = [name](const char* s) {
        return name.compare(QLatin1String(s), Qt::CaseInsensitive) == 0;
    };
    if (is("Script Info")) return kScriptInfo;
    if (name.startsWith(QLatin1String("V4"), Qt::CaseInsensitive) &&
        name.endsWith(QLatin1String("Styles"), Qt::CaseInsensitive))
        return kStyles;
    if (is("Events")) return kEvents;
    if (is("Fonts") || is("Graphics")) return kEmbedded;
    // An editor's own view of the script (its video, its scroll position): nothing of the
    // subtitle itself.
    if (is("Aegisub Project Garbage") || is("Aegisub Extradata")) return kEditorState;
    return kOtherSection;
}

// The keys a script's information section holds by the format's own description and as the
// common editors write them.
bool IsScriptInfoKey(QStringView line) {
    static const char* const kKeys[] = {"Title",
                                        "Original Script",
                                        "Original Translation",
                                        "Original Editing",
                                        "Original Timing",
                                        "Synch Point",
                                        "Script Updated By",
                                        "Update Details",
                                        "ScriptType",
                                        "Collisions",
                                        "PlayResX",
                                        "PlayResY",
                                        "PlayDepth",
                                        "Timer",
                                        "WrapStyle",
                                        "ScaledBorderAndShadow",
                                        "YCbCr Matrix",
                                        "LayoutResX",
                                        "LayoutResY",
                                        "Kerning",
                                        "Language"};
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0) return false;
    const QStringView key = TrimLine(line.left(colon));
    for (const char* k : kKeys)
        if (key.compare(QLatin1String(k), Qt::CaseInsensitive) == 0) return true;
    return false;
}

// The value of a "Key: value" line when its key is the one given.
bool KeyValue(QStringView line, const char* key, QStringView& value) {
    const qsizetype colon = line.indexOf(u':');
    if (colon < 0 || TrimLine(line.left(colon)).compare(QLatin1String(key), Qt::CaseInsensitive) != 0)
        return false;
    value = TrimLine(line.mid(colon + 1));
    return true;
}

// The name of a style line ("Style: Name,Font,...").
QStringView StyleName(QStringView line) {
    const QStringView fields = line.mid(line.indexOf(u':') + 1);
    const qsizetype comma = fields.indexOf(u',');
    return (comma < 0 ? fields : fields.left(comma)).trimmed();
}

bool IsDefaultStyle(QStringView name) {
    if (name.startsWith(u'*')) name = name.mid(1);
    // The usual spelling first: a case-blind compare costs more.
    return name == QLatin1String("Default") ||
           name.compare(QLatin1String("Default"), Qt::CaseInsensitive) == 0;
}

int Number(QStringView field, bool* ok = nullptr) {
    return field.trimmed().toInt(ok);
}

// The canvas a renderer uses: both sizes given, one derived from the other, or 384 x 288.
std::pair<int, int> Canvas(int x, int y) {
    if (x <= 0 && y <= 0) return {384, 288};
    if (y <= 0) return {x, x == 1280 ? 1024 : x * 3 / 4};
    if (x <= 0) return {y == 1024 ? 1280 : y * 4 / 3, y};
    return {x, y};
}

// The canvas size of the script this program writes (its header's PlayResX and PlayResY).
std::pair<int, int> OwnCanvas(const QString& header) {
    int x = 0, y = 0;
    for (QStringView line : QStringView(header).split(u'\n')) {
        line = line.trimmed();
        QStringView value;
        if (KeyValue(line, "PlayResX", value))
            x = Number(value);
        else if (KeyValue(line, "PlayResY", value))
            y = Number(value);
    }
    return Canvas(x, y);
}

// True for a number field that is 0 ("0", "0000", blanks around), or that holds no number.
bool IsZeroField(QStringView field) {
    field = TrimLine(field);
    bool digits = true;
    for (const QChar c : field) {
        if (c != u'0') digits = false;
    }
    if (digits) return true;
    bool ok = false;
    return Number(field, &ok) == 0 || !ok;
}

// Notes what of an event the caption list cannot hold: its layer, a style other than the
// default, a speaker's name, margins, an effect. fields: the nine before the text.
void NoteEventFields(tCaptionReader& r, const QStringView (&fields)[9]) {
    const QStringView layer = TrimLine(fields[0]);
    if (!layer.startsWith(QLatin1String("Marked"), Qt::CaseInsensitive) && !IsZeroField(layer))
        r.leftOut |= kLeftLayers;
    if (!IsDefaultStyle(TrimLine(fields[3]))) r.leftOut |= kLeftStyles;
    if (!TrimLine(fields[4]).isEmpty()) r.leftOut |= kLeftNames;
    for (int k = 5; k < 8; ++k)
        if (!IsZeroField(fields[k])) r.leftOut |= kLeftPositions;
    if (!TrimLine(fields[8]).isEmpty()) r.leftOut |= kLeftEffects;
}

} // namespace

// SubStation Alpha and Advanced SSA: only "Dialogue:" lines are captions. Their ten fields are
// separated by commas, the last (the text) keeps any further commas; "\N" and "\n" are line
// breaks. A line with fewer fields is not a caption. What else the script holds (styles,
// comment events, layers, a canvas size, embedded fonts) is noted as left out where this
// program would not write it the same way.
void ReadSsaLine(tCaptionReader& r, QStringView line) {
    if (line.isEmpty()) return;
    if (line.startsWith(u'[') && line.endsWith(u']')) {
        r.grammarState = SectionOf(line.mid(1, line.size() - 2).trimmed());
        if (r.grammarState == kOtherSection) r.NotRead(line);
        return;
    }
    // Tools differ in the case of the event name and in the blank after its colon.
    const bool dialogue = line.startsWith(QLatin1String("Dialogue:"), Qt::CaseInsensitive);
    if (!dialogue) {
        const auto startsWith = [line](const char* s) {
            return line.startsWith(QLatin1String(s), Qt::CaseInsensitive);
        };
        QStringView value;
        switch (r.grammarState) {
        case kScriptInfo:
            if (KeyValue(line, "PlayResX", value))
                r.scriptCanvasX = Number(value);
            else if (KeyValue(line, "PlayResY", value))
                r.scriptCanvasY = Number(value);
            // Comments (";", "!:") and the keys the format knows carry nothing a caption holds.
            else if (!line.startsWith(u';') && !startsWith("!:") && !IsScriptInfoKey(line))
                r.NotRead(line);
            break;
        case kStyles:
            // The default style is the caption list's one style, whose look the program's
            // settings decide; any other is the file's own.
            if (startsWith("Style:")) {
                if (!IsDefaultStyle(StyleName(line))) r.leftOut |= kLeftStyles;
            } else if (!startsWith("Format:") && !line.startsWith(u';')) {
                r.NotRead(line);
            }
            break;
        case kEvents:
            if (startsWith("Comment:"))
                r.leftOut |= kLeftComments;
            else if (!startsWith("Format:") && !line.startsWith(u';'))
                r.NotRead(line);
            break;
        case kEmbedded:
            r.leftOut |= kLeftEmbedded;
            break;
        case kEditorState:
            break;
        default:
            r.NotRead(line);
            break;
        }
        return;
    }
    const qsizetype fieldsAt = line.size() > 9 && line[9] == u' ' ? 10 : 9;
    qsizetype commas[9];
    qsizetype from = fieldsAt;
    for (qsizetype& at : commas) {
        at = line.indexOf(u',', from);
        if (at < 0) {
            ++r.skipped;
            return;
        }
        from = at + 1;
    }
    const QStringView fields[9] = {
        line.mid(fieldsAt, commas[0] - fieldsAt),
        line.mid(commas[0] + 1, commas[1] - commas[0] - 1),
        line.mid(commas[1] + 1, commas[2] - commas[1] - 1),
        line.mid(commas[2] + 1, commas[3] - commas[2] - 1),
        line.mid(commas[3] + 1, commas[4] - commas[3] - 1),
        line.mid(commas[4] + 1, commas[5] - commas[4] - 1),
        line.mid(commas[5] + 1, commas[6] - commas[5] - 1),
        line.mid(commas[6] + 1, commas[7] - commas[6] - 1),
        line.mid(commas[7] + 1, commas[8] - commas[7] - 1),
    };
    NoteEventFields(r, fields);
    r.ClearPending();
    r.start = r.Time(fields[1]);
    r.end = r.Time(fields[2]);
    const QStringView text = line.mid(commas[8] + 1);
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\\' && i + 1 < text.size() && (text[i + 1] == u'n' || text[i + 1] == u'N')) {
            out += r.LineBreak();
            ++i;
        } else {
            out += text[i];
        }
    }
    r.text = out;
    r.FlushCaption();
}

// The script's canvas against the one this program writes: another size moves every positioned
// sign when the script is written with the program's.
void FinishSsa(tCaptionReader& r) {
    if (Canvas(r.scriptCanvasX, r.scriptCanvasY) != OwnCanvas(r.OwnHeader())) r.leftOut |= kLeftCanvas;
}
