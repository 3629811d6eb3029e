#include "formats/textops.h"

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
