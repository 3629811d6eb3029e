#include "formats/formatheader.h"

#include "base/numbers.h"
#include "base/toolbox.h"
#include "formats/formatdefs.h"
#include "formats/formatsettings.h"
#include "language/lang.h"

#include <QStringList>

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// A stored value made safe for its place in the header: control characters become blanks and
// the characters in drop are left out.
QString Harmless(const QString& value, QStringView drop) {
    QString out;
    out.reserve(value.size());
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7F || c == QChar::LineSeparator ||
            c == QChar::ParagraphSeparator)
            out += u' ';
        else if (!drop.contains(c))
            out += c;
    }
    return out;
}

QString DvdHeader() {
    const auto value = [](const char* key, const QString& def = QString()) {
        return Harmless(ReadFormatSetting(kDvdSubtitleId, QLatin1String(key), def), u"{}");
    };
    return QStringList{
        QStringLiteral("{HEAD"),
        QStringLiteral("DISCID=") + value("discid"),
        QStringLiteral("DVDTITLE=") + value("dvdtitle"),
        QStringLiteral("CODEPAGE=1250"),
        QStringLiteral("FORMAT=ASCII"),
        QStringLiteral("LANG=") + value("lang", QStringLiteral("EN")),
        QStringLiteral("TITLE=1"),
        QStringLiteral("ORIGINAL=ORIGINAL"),
        QStringLiteral("AUTHOR=") + value("author"),
        QStringLiteral("WEB=") + value("web", kMakerWebAddress),
        QStringLiteral("INFO=") + value("info", kDefaultDvdInfo),
        QStringLiteral("LICENSE=") + value("license"),
        QStringLiteral("}"),
    }
        .join(kCrLf);
}

QString SamiHeader() {
    const auto value = [](const char* key, const QString& def = QString()) {
        return Harmless(ReadFormatSetting(kSamiId, QLatin1String(key), def), u"<>{}");
    };
    // Only exactly 1 is on: a header built before the settings were ever saved has no style.
    const auto on = [](const char* key) {
        return LeadingNumber(ReadFormatSetting(kSamiId, QLatin1String(key), QStringLiteral("0"))) == 1;
    };
    QString style = QStringLiteral("      text-align: ") + value("alignment", QStringLiteral("center")) +
                    QStringLiteral("; font-family: ") + value("font", QStringLiteral("Tahoma")) +
                    QStringLiteral("; ");
    if (on("bold")) style += QStringLiteral("font-weight: bold; ");
    if (on("italic")) style += QStringLiteral("font-style: italic; ");
    style += QStringLiteral("color: ") + value("color", QStringLiteral("#FFFF00")) +
             QStringLiteral("; background-color: ") + value("background", QStringLiteral("#000000")) +
             QStringLiteral(";}");
    return QStringList{
        QStringLiteral("<SAMI>"),
        QStringLiteral("<Head>"),
        QStringLiteral("   <STYLE TYPE=\"Text/css\">"),
        QStringLiteral("   <!--"),
        QStringLiteral("      P {margin-left: 28pt; margin-right: 28pt; font-size: ") +
            value("size", QStringLiteral("18")) + QStringLiteral("pt;"),
        style,
        QStringLiteral("      .SUBTTL {Name: 'Subtitles'; Lang: en-US; SAMIType: CC;}"),
        QStringLiteral("   -->"),
        QStringLiteral("   </Style>"),
        QStringLiteral("</Head>"),
        QStringLiteral("<BODY>"),
    }
        .join(kCrLf);
}

QString SsaHeader() {
    const auto value = [](const char* key, const char* def) {
        return Harmless(ReadFormatSetting(kSsaId, QLatin1String(key), QLatin1String(def)), u",");
    };
    const QString primary = value("primarycolour", "65535");
    const QStringList fields{
        value("fontname", "Tahoma"),
        value("fontsize", "28"),
        primary,
        primary,
        primary,
        value("backcolour", "0"),
        value("bold", "0"),
        value("italic", "0"),
        value("borderstyle", "1"),
        value("outline", "1"),
        value("shadow", "1"),
        value("alignment", "2"),
        value("marginl", "30"),
        value("marginr", "30"),
        value("marginv", "30"),
        QStringLiteral("0"),
        QString::number(gCharset),
    };
    return QStringList{
        QStringLiteral("[Script Info]"),
        QStringLiteral("; Subtitle script generated with Quenlark Scrivelle"),
        QStringLiteral("; ") + kProductWebPage,
        QStringLiteral("Title: <untitled>"),
        QStringLiteral("Original Script: <unknown>"),
        QStringLiteral("ScriptType: v4.00"),
        QString(),
        QStringLiteral("[V4 Styles]"),
        QStringLiteral("Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, "
                       "BackColour, Bold, Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, "
                       "MarginV, AlphaLevel, Encoding"),
        QStringLiteral("Style: Default,") + fields.join(QLatin1Char(',')),
        QString(),
        QStringLiteral("[Events]"),
        QStringLiteral("Format: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text"),
    }
        .join(kCrLf);
}

} // namespace

QString BuildFormatHeader(const QString& id) {
    if (id == kDvdSubtitleId) return DvdHeader();
    if (id == kSamiId) return SamiHeader();
    if (id == kSsaId) return SsaHeader();
    return QString();
}

QString BuildFormatHeader() {
    return BuildFormatHeader(CurrentFormatId());
}
