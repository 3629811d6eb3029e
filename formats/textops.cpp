#include "formats/textops.h"

#include "base/textsearch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <iterator>

namespace {

bool IsAsciiText(QStringView s) {
    for (QChar c : s)
        if (c.unicode() >= 0x80) return false;
    return true;
}

char16_t AsciiLower(char16_t c) {
    return c >= u'A' && c <= u'Z' ? char16_t(c + (u'a' - u'A')) : c;
}

// text.indexOf(find, from, Qt::CaseInsensitive) for ASCII text and needle, where case folding
// is plain lowering.
qsizetype IndexOfAsciiNoCase(QStringView text, QStringView find, qsizetype from) {
    const char16_t* h = reinterpret_cast<const char16_t*>(text.data());
    const char16_t* n = reinterpret_cast<const char16_t*>(find.data());
    const qsizetype hn = text.size(), nn = find.size();
    // A needle that begins with anything but a letter can only start where that character
    // stands: the search jumps from one to the next.
    const bool firstIsLetter = (n[0] >= u'a' && n[0] <= u'z') || (n[0] >= u'A' && n[0] <= u'Z');
    for (qsizetype i = std::max<qsizetype>(from, 0); i + nn <= hn; ++i) {
        if (!firstIsLetter) {
            i = text.indexOf(QChar(n[0]), i);
            if (i < 0 || i + nn > hn) return -1;
        }
        qsizetype k = 0;
        while (k < nn && AsciiLower(h[i + k]) == AsciiLower(n[k]))
            ++k;
        if (k == nn) return i;
    }
    return -1;
}

} // namespace

QString ReplaceText(const QString& text, QStringView find, QStringView with, Qt::CaseSensitivity cs) {
    if (find.isEmpty()) return text;
    // Qt folds every character of the text for a case-insensitive search; between ASCII texts
    // lowering gives the same matches for much less.
    const bool asciiNoCase = cs == Qt::CaseInsensitive && IsAsciiText(find) && IsAsciiText(text);
    const auto next = [&](qsizetype from) {
        if (asciiNoCase) return IndexOfAsciiNoCase(text, find, from);
        return cs == Qt::CaseSensitive ? FindText(text, find, from) : text.indexOf(find, from, cs);
    };
    qsizetype at = next(0);
    if (at < 0) return text;
    QString out;
    out.reserve(text.size());
    qsizetype from = 0;
    while (at >= 0) {
        out.append(QStringView(text).mid(from, at - from));
        out.append(with);
        from = at + find.size();
        at = next(from);
    }
    out.append(QStringView(text).mid(from));
    return out;
}

void RemoveMatches(QString& text, QStringView find, Qt::CaseSensitivity cs) {
    if (find.isEmpty()) return;
    if (cs == Qt::CaseSensitive) {
        RemoveText(text, find);
        return;
    }
    if (!IsAsciiText(find) || !IsAsciiText(text)) {
        text = ReplaceText(text, find, u"", cs);
        return;
    }
    const qsizetype hit = IndexOfAsciiNoCase(text, find, 0);
    if (hit < 0) return;
    RemoveFound(text, hit, find.size(),
                [find](QStringView view, qsizetype from) { return IndexOfAsciiNoCase(view, find, from); });
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
