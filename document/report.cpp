#include "document/report.h"

#include "document/captions.h"
#include "language/lang.h"
#include "platform/processstate.h"

#include <algorithm>
#include <limits>

QStringList gReportDetail{QString()};
QStringList gReportSummary{QString()};
int32_t gReportCount = 0;
int16_t gRepSplit = 0;
int16_t gRepCollisions = 0;
int16_t gRepDurations = 0;
int16_t gRepRemoved = 0;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

SCRIVELLE_REGISTER_RESET(ResetReportLists);

// The totals are 16-bit; they stop at the top instead of wrapping round.
void Count(int16_t& total) {
    if (total < std::numeric_limits<int16_t>::max()) ++total;
}

QString Num(int64_t value) {
    return QString::number(value);
}

} // namespace

void ResetReportLists() {
    gReportDetail = QStringList{QString()};
    gReportSummary = QStringList{QString()};
    gReportCount = 0;
    gRepSplit = gRepCollisions = gRepDurations = gRepRemoved = 0;
}

void LogCaptionIssue(int lineNo, const QString& text, uint8_t kind, int32_t ms, bool fixed) {
    if (kind < kReportSplit || kind > kReportRemoved) return;
    if (kind == kReportCollision && ms < kReportMinCollisionMs) return;
    if (gReportCount == std::numeric_limits<int32_t>::max()) return;

    const QString line = Num(lineNo);
    const QString amount = Num(ms);
    // Reductions are shown as positive amounts (64-bit: the smallest 32-bit value has no negative).
    const QString reduced = Num(-int64_t(ms));
    QString first, second, summary;
    int16_t* total = nullptr;
    switch (kind) {
    case kReportSplit:
        first = LangText(233);
        second = LangText(234);
        summary = LangText(235, line);
        total = &gRepSplit;
        break;
    case kReportCollision:
        first = LangText(236);
        if (fixed) {
            second = LangText(237, amount);
            summary = LangText(238, line, amount);
        } else {
            second = LangText(239);
            summary = LangText(240, line);
        }
        total = &gRepCollisions;
        break;
    case kReportDuration:
        first = LangText(241);
        if (!fixed) {
            second = LangText(239); // nothing was changed, so there is no summary line
        } else if (ms >= 1) {
            second = LangText(242, amount);
            summary = LangText(243, line, amount);
        } else {
            second = LangText(244, reduced);
            summary = LangText(245, line, reduced);
        }
        total = &gRepDurations;
        break;
    case kReportNegativeDuration:
        first = LangText(266);
        second = LangText(267, amount);
        summary = LangText(268, line, amount);
        total = &gRepDurations;
        break;
    default: // kReportRemoved
        first = LangText(230);
        second = LangText(231);
        summary = LangText(232, line);
        total = &gRepRemoved;
        break;
    }

    QString detail = LangText(228, Num(kind));
    detail += QStringLiteral(" [") + line + QStringLiteral("]") + kCrLf;
    detail += LangText(229) + u'"' + text + u'"' + kCrLf;
    detail += first + kCrLf + second;

    const qsizetype n = gReportCount;
    while (gReportDetail.size() <= n)
        gReportDetail.append(QString());
    while (gReportSummary.size() <= n)
        gReportSummary.append(QString());
    gReportDetail[n] = detail;
    gReportSummary[n] = summary;
    Count(*total);
    ++gReportCount;
    gModified = true;
}

QString ReportTotalsText() {
    QString t = LangText(225, Num(gRepSplit));
    t += kCrLf + LangText(226, Num(gRepCollisions));
    t += kCrLf + LangText(227, Num(gRepDurations));
    t += kCrLf + LangText(224, Num(gRepRemoved));
    t += kCrLf + kCrLf;
    return t;
}

namespace {

// The totals and one entry per finding, in one string sized up front.
QString BuildReport(const QStringList& entries, const QString& separator) {
    const QString totals = ReportTotalsText();
    const qsizetype count = std::min<qsizetype>(gReportCount, entries.size());
    qsizetype size = totals.size();
    for (qsizetype k = 0; k < count; ++k)
        size += entries[k].size() + separator.size();
    QString text;
    text.reserve(size);
    text += totals;
    for (qsizetype k = 0; k < count; ++k) {
        text += entries[k];
        text += separator;
    }
    return text;
}

} // namespace

QString StandardReportText() {
    return BuildReport(gReportSummary, kCrLf);
}

QString DetailedReportText() {
    return BuildReport(gReportDetail, kCrLf + QStringLiteral("---") + kCrLf);
}
