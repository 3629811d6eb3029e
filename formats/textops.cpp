#include "formats/textops.h"

#include <cstdint>
#include <iterator>

QString ReplaceText(const QString& text, QStringView find, QStringView with, Qt::CaseSensitivity cs) {
    if (find.isEmpty()) return text;
    qsizetype at = text.indexOf(find, 0, cs);
    if (at < 0) return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (at >= 0) {
        out.append(QStringView(text).mid(from, at - from));
        out.append(with);
        from = at + find.size();
        at = text.indexOf(find, from, cs);
    }
    out.append(QStringView(text).mid(from));
    return out;
}

bool IsBlank(QStringView text) {
    for (QChar c : text)
        if (!c.isSpace()) return false;
    return true;
}

void AppendNumberPicture(QString& out, qint64 n, const QString& picture) {
    bool zeros = !picture.isEmpty();
    for (QChar c : picture)
        if (c != u'0') zeros = false;
    // The digits of |n| from the right; unsigned, so that the smallest value has its magnitude.
    char16_t digits[24];
    qsizetype at = std::size(digits);
    uint64_t v = n < 0 ? 0 - uint64_t(n) : uint64_t(n);
    do {
        digits[--at] = char16_t(u'0' + v % 10);
        v /= 10;
    } while (v != 0);
    const qsizetype width = qsizetype(std::size(digits)) - at;
    if (n < 0) out += u'-';
    if (zeros && width < picture.size()) out.append(QString(picture.size() - width, u'0'));
    out.append(reinterpret_cast<const QChar*>(digits + at), width);
}

QString FormatNumberPicture(qint64 n, const QString& picture) {
    bool zeros = !picture.isEmpty();
    for (QChar c : picture)
        if (c != u'0') zeros = false;
    const QString digits = QString::number(n < 0 ? -n : n);
    QString out = zeros && digits.size() < picture.size()
                      ? QString(picture.size() - digits.size(), u'0') + digits
                      : digits;
    return n < 0 ? QStringLiteral("-") + out : out;
}
