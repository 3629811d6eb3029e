#include "formats/encodings.h"

#include "platform/CodePage.h"

#include <QFile>

QString GetFileEncoding(const QString& path) {
    QFile f(path);
    QByteArray head;
    if (f.open(QIODevice::ReadOnly)) head = f.read(2);
    const auto b1 = head.size() > 0 ? static_cast<unsigned char>(head[0]) : 0;
    const auto b2 = head.size() > 1 ? static_cast<unsigned char>(head[1]) : 0;
    if (b1 == 0xFF && b2 == 0xFE) return QStringLiteral("Unicode");
    if (b1 == 0xFE && b2 == 0xFF) return QStringLiteral("Unicode Big-Endian");
    if (b1 == 0xEF && b2 == 0xBB) return QStringLiteral("UTF-8");
    return QStringLiteral("ANSI");
}

QString DecodeUTF8(const QString& line) {
    return QString::fromUtf8(EncodeCodePage(line, -1));
}

QString MultiByteToString(const QByteArray& bytes, int32_t codePage, int32_t /*flags*/) {
    const qsizetype zero = bytes.indexOf('\0');
    return DecodeCodePage(zero < 0 ? QByteArrayView(bytes) : QByteArrayView(bytes).first(zero), codePage);
}

QByteArray StringToMultiByte(const QString& text, int32_t codePage, int32_t /*flags*/) {
    return EncodeCodePage(text, codePage);
}

QString ToUTF8Bytes(const QString& text) {
    return QString::fromLatin1(text.toUtf8());
}
