#include "formats/formatsettings.h"

#include "base/numbers.h"
#include "base/settingsstore.h"
#include "formats/formatdefs.h"

QString ReadFormatSetting(const QString& id, const QString& key, const QString& def) {
    return GetSetting(FormatSection(id), key, def);
}

void WriteFormatSetting(const QString& id, const QString& key, const QString& value) {
    SaveSetting(FormatSection(id), key, value);
}

bool HasGeneratedHeader(const QString& id) {
    return LeadingNumber(ReadFormatIni(id, QStringLiteral("header"), QStringLiteral("0"))) == 1;
}

QString ColorToHtml(int32_t bgr) {
    const auto hex = [](int value) {
        return QStringLiteral("%1").arg(value & 0xFF, 2, 16, QLatin1Char('0')).toUpper();
    };
    return QLatin1Char('#') + hex(bgr) + hex(bgr >> 8) + hex(bgr >> 16);
}

int32_t HtmlToColor(const QString& html) {
    const auto part = [](QStringView digits) {
        const double v = LeadingNumber(QStringLiteral("&H") + digits.toString());
        return v >= 0 && v <= 255 ? int32_t(v) : 0;
    };
    const int32_t red = part(QStringView(html).mid(1, 2));
    const int32_t green = part(QStringView(html).mid(3, 2));
    const int32_t blue = part(QStringView(html).right(2));
    return red | (green << 8) | (blue << 16);
}

int SsaAlignmentNumber(int horizontalEntry, int verticalEntry) {
    int a = horizontalEntry == 0 ? 1 : horizontalEntry == 1 ? 3 : 2;
    if (verticalEntry == 0) a += 4;
    if (verticalEntry == 1) a += 8;
    return a;
}

tSsaAlignmentEntries SsaAlignmentEntries(uint8_t alignment) {
    tSsaAlignmentEntries e;
    int a = alignment;
    if (a < 5) {
        e.vertical = 2;
        if (a == 0) a = 1;
    } else if (a <= 8) {
        e.vertical = 0;
        a -= 4;
    } else {
        e.vertical = 1;
        a -= 8;
    }
    e.horizontal = a == 1 ? 0 : a == 2 ? 2 : a == 3 ? 1 : -1;
    return e;
}
