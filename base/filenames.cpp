#include "base/filenames.h"

#include "base/processstate.h"

#include <QCoreApplication>
#include <QFile>

#include <atomic>
#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr char16_t kEscapeBase = 0xDC00; // U+DC80..U+DCFF stand for the bytes 0x80..0xFF

// The length of the valid UTF-8 sequence at p (at most n bytes), 0 when there is none.
int ValidSequence(const uchar* p, qsizetype n) {
    const uchar b = p[0];
    if (b < 0x80) return 1;
    int length = 0;
    uchar low = 0x80, high = 0xBF; // the second byte's range
    if (b >= 0xC2 && b <= 0xDF) {
        length = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        length = 3;
        if (b == 0xE0) low = 0xA0;
        if (b == 0xED) high = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        length = 4;
        if (b == 0xF0) low = 0x90;
        if (b == 0xF4) high = 0x8F;
    } else {
        return 0;
    }
    if (n < length || p[1] < low || p[1] > high) return 0;
    for (int i = 2; i < length; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return length;
}

bool IsEscapedByte(const QString& s, qsizetype i) {
    const char16_t c = s[i].unicode();
    if (c < 0xDC80 || c > 0xDCFF) return false;
    return i == 0 || !s[i - 1].isHighSurrogate(); // a low surrogate of a pair is a character
}

QStringList gArguments;
bool gArgumentsSet = false;
std::atomic<int> gStaged{0};

void ResetArguments() {
    gArguments.clear();
    gArgumentsSet = false;
}
SCRIVELLE_REGISTER_RESET(ResetArguments);

} // namespace

QString DecodeFileName(QByteArrayView bytes) {
    const auto* p = reinterpret_cast<const uchar*>(bytes.data());
    const qsizetype n = bytes.size();
    QString out;
    out.reserve(n);
    qsizetype run = 0; // start of the valid run not yet appended
    for (qsizetype i = 0; i < n;) {
        const int length = ValidSequence(p + i, n - i);
        if (length > 0) {
            i += length;
            continue;
        }
        out += QString::fromUtf8(bytes.data() + run, i - run);
        out += QChar(char16_t(kEscapeBase + p[i]));
        run = ++i;
    }
    out += QString::fromUtf8(bytes.data() + run, n - run);
    return out;
}

QByteArray EncodeFileName(const QString& name) {
    QByteArray out;
    out.reserve(name.size());
    qsizetype run = 0;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (!IsEscapedByte(name, i)) continue;
        out += QStringView(name).mid(run, i - run).toUtf8();
        out += char(name[i].unicode() - kEscapeBase);
        run = i + 1;
    }
    out += QStringView(name).mid(run).toUtf8();
    return out;
}

bool QtNamesFile(const QString& name) {
    return QFile::encodeName(name) == EncodeFileName(name);
}

QString DisplayFileName(const QString& name) {
    QString out;
    for (qsizetype i = 0; i < name.size(); ++i) {
        if (IsEscapedByte(name, i))
            out += QStringLiteral("\\x") + QString::number(name[i].unicode() - kEscapeBase, 16).toUpper();
        else
            out += name[i];
    }
    return out;
}

bool FileNameExists(const QString& name) {
    struct stat st {};
    return !name.isEmpty() && ::stat(EncodeFileName(name).constData(), &st) == 0;
}

QUrl FileNameUrl(const QString& name) {
    if (QtNamesFile(name)) return QUrl::fromLocalFile(name);
    // Bytes Qt cannot name stay percent-encoded in the address; whoever opens it (the player)
    // decodes them back to the very bytes.
    return QUrl::fromEncoded("file://" + EncodeFileName(name).toPercentEncoding("/"));
}

QString FileNameFromUrl(const QUrl& url) {
    if (!url.isLocalFile()) return QString();
    return DecodeFileName(QByteArray::fromPercentEncoding(url.path(QUrl::FullyEncoded).toLatin1()));
}

FileNameAlias::FileNameAlias(const QString& name) : path_(name) {
    if (name.isEmpty() || QtNamesFile(name)) return;
    fd_ = ::open(EncodeFileName(name).constData(), O_PATH | O_CLOEXEC);
    if (fd_ >= 0) path_ = QStringLiteral("/proc/self/fd/%1").arg(fd_);
}

FileNameAlias::~FileNameAlias() {
    if (fd_ >= 0) ::close(fd_);
}

FileNameSaveFile::FileNameSaveFile(const QString& name) : QSaveFile(name) {
    if (name.isEmpty() || QtNamesFile(name)) return;
    const QByteArray bytes = EncodeFileName(name);
    const qsizetype slash = bytes.lastIndexOf('/');
    const QByteArray folder = slash < 0 ? QByteArray(".") : slash == 0 ? QByteArray("/") : bytes.left(slash);
    dirFd_ = ::open(folder.constData(), O_PATH | O_DIRECTORY | O_CLOEXEC);
    if (dirFd_ < 0) return; // the save then fails to open, as it does for a missing folder
    target_ = bytes.mid(slash + 1);
    stagedAt_ = ".scrivelle-save-" + QByteArray::number(::getpid()) + '-' + QByteArray::number(++gStaged);
    setFileName(QStringLiteral("/proc/self/fd/%1/").arg(dirFd_) + QString::fromLatin1(stagedAt_));
}

FileNameSaveFile::~FileNameSaveFile() {
    if (dirFd_ >= 0) ::close(dirFd_);
}

bool FileNameSaveFile::commit() {
    if (dirFd_ < 0) return QSaveFile::commit();
    struct stat old {};
    const bool existed = ::fstatat(dirFd_, target_.constData(), &old, 0) == 0;
    if (!QSaveFile::commit()) return false;
    // The replacement keeps the old file's permissions, as a save to a name Qt can give does.
    if (existed) ::fchmodat(dirFd_, stagedAt_.constData(), old.st_mode & 07777, 0);
    if (::renameat(dirFd_, stagedAt_.constData(), dirFd_, target_.constData()) != 0) {
        const int error = errno;
        ::unlinkat(dirFd_, stagedAt_.constData(), 0);
        setErrorString(QString::fromLocal8Bit(strerror(error)));
        errno = error;
        return false;
    }
    return true;
}

void SetProgramArguments(int argc, char** argv) {
    gArguments.clear();
    for (int i = 1; i < argc; ++i)
        gArguments << DecodeFileName(argv[i]);
    gArgumentsSet = true;
}

QStringList ProgramArguments() {
    if (gArgumentsSet) return gArguments;
    return QCoreApplication::arguments().mid(1);
}
