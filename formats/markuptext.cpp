// Character references of markup formats (SAMI, the timed-text family, WebVTT...) turned back
// into characters.
#include "formats/readerpaths.h"

#include <QHash>

#include <algorithm>

namespace {

// The named references that subtitle files use: XML's five and HTML's Latin-1 and typographic
// set.
struct NamedReference {
    const char* name;
    char16_t code;
};
constexpr NamedReference kNamedReferences[] = {
    {"amp", u'&'},      {"lt", u'<'},       {"gt", u'>'},       {"quot", u'"'},     {"apos", u'\''},
    {"nbsp", 0xA0},     {"iexcl", 0xA1},    {"cent", 0xA2},     {"pound", 0xA3},    {"curren", 0xA4},
    {"yen", 0xA5},      {"brvbar", 0xA6},   {"sect", 0xA7},     {"uml", 0xA8},      {"copy", 0xA9},
    {"ordf", 0xAA},     {"laquo", 0xAB},    {"not", 0xAC},      {"shy", 0xAD},      {"reg", 0xAE},
    {"macr", 0xAF},     {"deg", 0xB0},      {"plusmn", 0xB1},   {"sup2", 0xB2},     {"sup3", 0xB3},
    {"acute", 0xB4},    {"micro", 0xB5},    {"para", 0xB6},     {"middot", 0xB7},   {"cedil", 0xB8},
    {"sup1", 0xB9},     {"ordm", 0xBA},     {"raquo", 0xBB},    {"frac14", 0xBC},   {"frac12", 0xBD},
    {"frac34", 0xBE},   {"iquest", 0xBF},   {"Agrave", 0xC0},   {"Aacute", 0xC1},   {"Acirc", 0xC2},
    {"Atilde", 0xC3},   {"Auml", 0xC4},     {"Aring", 0xC5},    {"AElig", 0xC6},    {"Ccedil", 0xC7},
    {"Egrave", 0xC8},   {"Eacute", 0xC9},   {"Ecirc", 0xCA},    {"Euml", 0xCB},     {"Igrave", 0xCC},
    {"Iacute", 0xCD},   {"Icirc", 0xCE},    {"Iuml", 0xCF},     {"ETH", 0xD0},      {"Ntilde", 0xD1},
    {"Ograve", 0xD2},   {"Oacute", 0xD3},   {"Ocirc", 0xD4},    {"Otilde", 0xD5},   {"Ouml", 0xD6},
    {"times", 0xD7},    {"Oslash", 0xD8},   {"Ugrave", 0xD9},   {"Uacute", 0xDA},   {"Ucirc", 0xDB},
    {"Uuml", 0xDC},     {"Yacute", 0xDD},   {"THORN", 0xDE},    {"szlig", 0xDF},    {"agrave", 0xE0},
    {"aacute", 0xE1},   {"acirc", 0xE2},    {"atilde", 0xE3},   {"auml", 0xE4},     {"aring", 0xE5},
    {"aelig", 0xE6},    {"ccedil", 0xE7},   {"egrave", 0xE8},   {"eacute", 0xE9},   {"ecirc", 0xEA},
    {"euml", 0xEB},     {"igrave", 0xEC},   {"iacute", 0xED},   {"icirc", 0xEE},    {"iuml", 0xEF},
    {"eth", 0xF0},      {"ntilde", 0xF1},   {"ograve", 0xF2},   {"oacute", 0xF3},   {"ocirc", 0xF4},
    {"otilde", 0xF5},   {"ouml", 0xF6},     {"divide", 0xF7},   {"oslash", 0xF8},   {"ugrave", 0xF9},
    {"uacute", 0xFA},   {"ucirc", 0xFB},    {"uuml", 0xFC},     {"yacute", 0xFD},   {"thorn", 0xFE},
    {"yuml", 0xFF},     {"OElig", 0x152},   {"oelig", 0x153},   {"Scaron", 0x160},  {"scaron", 0x161},
    {"Yuml", 0x178},    {"fnof", 0x192},    {"circ", 0x2C6},    {"tilde", 0x2DC},   {"ensp", 0x2002},
    {"emsp", 0x2003},   {"thinsp", 0x2009}, {"zwnj", 0x200C},   {"zwj", 0x200D},    {"lrm", 0x200E},
    {"rlm", 0x200F},    {"ndash", 0x2013},  {"mdash", 0x2014},  {"lsquo", 0x2018},  {"rsquo", 0x2019},
    {"sbquo", 0x201A},  {"ldquo", 0x201C},  {"rdquo", 0x201D},  {"bdquo", 0x201E},  {"dagger", 0x2020},
    {"Dagger", 0x2021}, {"bull", 0x2022},   {"hellip", 0x2026}, {"permil", 0x2030}, {"prime", 0x2032},
    {"Prime", 0x2033},  {"lsaquo", 0x2039}, {"rsaquo", 0x203A}, {"euro", 0x20AC},   {"trade", 0x2122},
};

char16_t NamedCode(QStringView name) {
    static const QHash<QString, char16_t> table = [] {
        QHash<QString, char16_t> t;
        for (const NamedReference& r : kNamedReferences)
            t.insert(QString::fromLatin1(r.name), r.code);
        return t;
    }();
    const QString key = name.toString();
    if (auto it = table.constFind(key); it != table.cend()) return *it;
    // Old tools write some names in capitals ("&NBSP;", "&AMP;").
    if (auto it = table.constFind(key.toLower()); it != table.cend()) return *it;
    return 0;
}

bool IsControl(char32_t code) {
    return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

} // namespace

QString UnescapeMarkup(QStringView text, QStringView lineBreak) {
    // Markup cannot hold control characters, written or referenced: a file that has them raw
    // loses them here, as the writer leaves them out, so that the caption is the same after a
    // save.
    const auto rawControl = [](QChar c) { return c.unicode() < 0x20 && c != u'\t'; };
    if (!text.contains(u'&') && std::none_of(text.begin(), text.end(), rawControl)) return text.toString();
    QString out;
    out.reserve(text.size());
    bool afterCr = false; // the last reference was a CR: an LF right after it is the same break
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != u'&') {
            if (!rawControl(text[i])) out += text[i];
            afterCr = false;
            continue;
        }
        const qsizetype semi = text.indexOf(u';', i + 1);
        // References are short; a lone "&" is text.
        if (semi < 0 || semi - i > 10) {
            out += text[i];
            afterCr = false;
            continue;
        }
        const QStringView name = text.mid(i + 1, semi - i - 1);
        char32_t code = 0;
        if (name.size() > 1 && name[0] == u'#') {
            bool ok = false;
            const uint value = (name[1] == u'x' || name[1] == u'X') ? name.mid(2).toUInt(&ok, 16)
                                                                    : name.mid(1).toUInt(&ok, 10);
            if (ok && value > 0 && value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF)) code = value;
        } else if (!name.isEmpty()) {
            code = NamedCode(name);
        }
        if (code == 0) {
            out += text[i];
            afterCr = false;
            continue;
        }
        i = semi;
        if (code == u'\r' || code == u'\n') {
            // A line break inside a caption is the program's marker: a raw one would split the
            // caption when it is saved in a format of lines.
            if (!(code == u'\n' && afterCr)) {
                if (lineBreak.isEmpty())
                    out += u' ';
                else
                    out += lineBreak;
            }
            afterCr = code == u'\r';
            continue;
        }
        afterCr = false;
        if (code == u'\t') {
            out += u' ';
        } else if (IsControl(code)) {
            continue;
        } else if (QChar::requiresSurrogates(code)) {
            out += QChar(QChar::highSurrogate(code));
            out += QChar(QChar::lowSurrogate(code));
        } else {
            out += QChar(char16_t(code));
        }
    }
    return out;
}
