#include "platform/SystemFigures.h"

#include <QFile>
#include <QLocale>
#include <QStringList>
#include <QSysInfo>

#include <cmath>

QString GetWindowsVersion(int platformId, int major, int minor) {
    switch (platformId) {
    case 0:
        return QStringLiteral("Win32s on Windows 3.1");
    case 1:
        if (minor == 0) return QStringLiteral("Windows 95");
        if (minor == 90) return QStringLiteral("Windows Me");
        return QStringLiteral("Windows 98");
    case 2:
        if (major == 3) return QStringLiteral("Windows NT 3.5");
        if (major == 4) return QStringLiteral("Windows NT 4.0");
        if (major == 5 && minor == 0) return QStringLiteral("Windows 2000");
        if (major == 5 && minor == 1) return QStringLiteral("Windows XP");
        if (major == 5 && minor == 2) return QStringLiteral("Windows Server 2003");
        if (major == 6 && minor == 0) return QStringLiteral("Windows Vista");
        if (major == 6 && minor == 1) return QStringLiteral("Windows 7");
        if (major == 6 && minor == 2) return QStringLiteral("Windows 8");
        return QStringLiteral("Windows NT");
    default:
        return QString();
    }
}

QString GetWindowsVersion() {
    QString name = QSysInfo::prettyProductName();
    const QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty()) {
        QString k = kernel;
        if (!k.isEmpty()) k[0] = k[0].toUpper();
        name += QStringLiteral(", ") + k + u' ' + QSysInfo::kernelVersion();
    }
    return name;
}

namespace {

QString ReadProcFiles() {
    QString text;
    for (const char* path : {"/proc/meminfo", "/proc/self/status"}) {
        QFile f(QString::fromLatin1(path));
        if (f.open(QIODevice::ReadOnly)) text += QString::fromLatin1(f.readAll()) + u'\n';
    }
    return text;
}

// The user address space of a 64-bit process (47 bits), or 3 GiB for a 32-bit one.
uint64_t AddressSpace() {
    return QSysInfo::WordSize == 64 ? (uint64_t(1) << 47) : (uint64_t(3) << 30);
}

} // namespace

clsMemoryStatus::clsMemoryStatus(Source source)
    : mSource(source ? std::move(source) : Source(ReadProcFiles)) {
    Refresh();
}

std::optional<clsMemoryStatus::Record> clsMemoryStatus::Parse(const QString& text) {
    // "Name:   12345 kB" lines; the figures that are missing stay 0.
    auto field = [&](const char* name) -> std::optional<uint64_t> {
        const QString key = QString::fromLatin1(name) + u':';
        for (QStringView line : QStringView(text).split(u'\n')) {
            if (!line.startsWith(key)) continue;
            const auto parts = line.mid(key.size()).trimmed().split(u' ', Qt::SkipEmptyParts);
            if (parts.isEmpty()) return std::nullopt;
            bool ok = false;
            const uint64_t n = parts[0].toULongLong(&ok);
            if (!ok) return std::nullopt;
            const bool kb = parts.size() > 1 && parts[1].compare(u"kB", Qt::CaseInsensitive) == 0;
            if (kb && n > UINT64_MAX / 1024) return std::nullopt;
            return kb ? n * 1024 : n;
        }
        return std::nullopt;
    };
    const auto memTotal = field("MemTotal");
    if (!memTotal || *memTotal == 0) return std::nullopt;
    Record r;
    r.total[0] = *memTotal;
    r.avail[0] = std::min(field("MemAvailable").value_or(field("MemFree").value_or(0)), *memTotal);
    const uint64_t limit = field("CommitLimit").value_or(0);
    const uint64_t committed = field("Committed_AS").value_or(0);
    r.total[1] = limit;
    r.avail[1] = committed < limit ? limit - committed : 0;
    r.total[2] = AddressSpace();
    const uint64_t used = field("VmSize").value_or(0);
    r.avail[2] = used < r.total[2] ? r.total[2] - used : 0;
    r.load = uint32_t((r.total[0] - r.avail[0]) * 100 / r.total[0]);
    return r;
}

bool clsMemoryStatus::Refresh() {
    const auto r = Parse(mSource());
    if (!r) return false;
    mPrevious = mCurrent;
    mCurrent = *r;
    return true;
}

std::optional<uint64_t> clsMemoryStatus::Available(int kind) const {
    if (kind < 0 || kind > 2) return std::nullopt;
    return mCurrent.avail[kind];
}

std::optional<int64_t> clsMemoryStatus::Change(int kind) const {
    if (kind < 0 || kind > 2 || mPrevious.avail[kind] == 0) return std::nullopt;
    return int64_t(mCurrent.avail[kind]) - int64_t(mPrevious.avail[kind]);
}

uint32_t clsMemoryStatus::Load() const {
    return mCurrent.load;
}

std::optional<uint64_t> clsMemoryStatus::Total(int kind) const {
    if (kind < 0 || kind > 2) return std::nullopt;
    return mCurrent.total[kind];
}

QString clsMemoryStatus::FormatBytes(double value, bool showExact) {
    const QLocale locale;
    if (value < 0) return u'-' + FormatBytes(-value, showExact);
    const auto whole = [&](double v) { return locale.toString(qulonglong(std::floor(v))); };
    if (value < 1024) return whole(value) + (value == 1 ? QStringLiteral(" byte") : QStringLiteral(" bytes"));

    static const struct {
        double size;
        const char* unit;
    } kUnits[] = {{1099511627776.0, " TB"}, {1073741824.0, " GB"}, {1048576.0, " MB"}, {1024.0, " KB"}};
    double unitSize = 1024;
    const char* unit = " KB";
    for (const auto& u : kUnits) {
        if (value >= u.size) {
            unitSize = u.size;
            unit = u.unit;
            break;
        }
    }
    const double x = value / unitSize;
    QLocale plain = locale;
    plain.setNumberOptions(QLocale::OmitGroupSeparator);
    QString number;
    if (x < 10)
        number = plain.toString(x, 'f', 2).left(4);
    else if (x < 100)
        number = plain.toString(x, 'f', 1);
    else
        number = plain.toString(x, 'f', 0);
    QString text = number + QString::fromLatin1(unit);
    if (showExact) text += QStringLiteral(" (") + whole(value) + QStringLiteral(" bytes)");
    return text;
}
