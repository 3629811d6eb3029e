#include "document/report.h"

#include "base/processstate.h"
#include "document/captions.h"
#include "language/lang.h"

#include <algorithm>
#include <limits>
#include <utility>

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

    // A run logs tens of thousands of findings: each one is built in place from the UI texts,
    // with its numbers made only where they are used.
    const QString line = Num(lineNo);
    // Set for the findings whose second line and summary give an amount; the second line of
    // the others is its text as it stands.
    QString amount;
    int firstText = 0, secondText = 0, summaryText = 0; // 0: no summary line
    int16_t* total = nullptr;
    switch (kind) {
    case kReportSplit:
        firstText = 233;
        secondText = 234;
        summaryText = 235;
        total = &gRepSplit;
        break;
    case kReportCollision:
        firstText = 236;
        if (fixed) {
            amount = Num(ms);
            secondText = 237;
            summaryText = 238;
        } else {
            secondText = 239;
            summaryText = 240;
        }
        total = &gRepCollisions;
        break;
    case kReportDuration:
        firstText = 241;
        if (!fixed) {
            secondText = 239; // nothing was changed, so there is no summary line
        } else if (ms >= 1) {
            amount = Num(ms);
            secondText = 242;
            summaryText = 243;
        } else {
            // Reductions are shown as positive amounts (64-bit: the smallest 32-bit value has
            // no negative).
            amount = Num(-int64_t(ms));
            secondText = 244;
            summaryText = 245;
        }
        total = &gRepDurations;
        break;
    case kReportNegativeDuration:
        amount = Num(ms);
        firstText = 266;
        secondText = 267;
        summaryText = 268;
        total = &gRepDurations;
        break;
    default: // kReportRemoved
        firstText = 230;
        secondText = 231;
        summaryText = 232;
        total = &gRepRemoved;
        break;
    }
    const QString& first = gLang[size_t(firstText)];
    const QString& second = gLang[size_t(secondText)];
    const QString& head = gLang[228];
    const QString& quote = gLang[229];
    QString detail;
    detail.reserve(head.size() + 2 + line.size() + 1 + quote.size() + text.size() + first.size() +
                   second.size() + amount.size() + 12);
    AppendLangText(detail, 228, Num(kind));
    detail += QLatin1String(" [");
    detail += line;
    detail += u']';
    detail += kCrLf;
    detail += quote;
    detail += u'"';
    detail += text;
    detail += u'"';
    detail += kCrLf;
    detail += first;
    detail += kCrLf;
    if (amount.isEmpty())
        detail += second;
    else
        AppendLangText(detail, secondText, amount);

    QString summary;
    if (summaryText != 0) summary = LangText(summaryText, line, amount);

    const qsizetype n = gReportCount;
    while (gReportDetail.size() <= n)
        gReportDetail.append(QString());
    while (gReportSummary.size() <= n)
        gReportSummary.append(QString());
    gReportDetail[n] = std::move(detail);
    gReportSummary[n] = std::move(summary);
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
