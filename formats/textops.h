#pragma once
#include <QString>
#include <QStringView>

// Text replacement with the program's one set of rules: every occurrence, found left to right
// in one pass (a replacement is never searched again); an empty needle changes nothing.
QString ReplaceText(const QString& text, QStringView find, QStringView with,
                    Qt::CaseSensitivity cs = Qt::CaseSensitive);

// text = ReplaceText(text, find, u"", cs), in place where it can be.
void RemoveMatches(QString& text, QStringView find, Qt::CaseSensitivity cs = Qt::CaseSensitive);

// True when the text is empty or only white space.
bool IsBlank(QStringView text);

// "0", "00", "000"...: n written with at least as many digits as the picture has characters;
// any other picture writes n plainly.
QString FormatNumberPicture(qint64 n, const QString& picture);
// The same, appended to out.
void AppendNumberPicture(QString& out, qint64 n, const QString& picture);
