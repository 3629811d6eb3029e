#pragma once
// The rule report: what the last run of the timing rules found, one finding per entry, with a
// detailed text, a one-line summary and totals per kind. The report window shows it.
#include <QString>
#include <QStringList>

#include <cstdint>

// Kinds of finding.
enum ReportKind : uint8_t {
    kReportSplit = 1,            // caption of more than two lines split
    kReportCollision = 2,        // start before the previous caption's end
    kReportDuration = 3,         // display time outside the range for its length
    kReportNegativeDuration = 4, // display time not positive
    kReportRemoved = 5,          // credit or link caption deleted
};

// Collisions shorter than this are corrected but not reported.
inline constexpr int32_t kReportMinCollisionMs = 50;

// Finding k is gReportDetail[k] / gReportSummary[k], k = 0 .. gReportCount - 1. Both lists always
// hold at least one element; after a reset they hold one empty text each.
extern QStringList gReportDetail;
extern QStringList gReportSummary;
extern int32_t gReportCount;
extern int16_t gRepSplit;      // kind 1
extern int16_t gRepCollisions; // kind 2
extern int16_t gRepDurations;  // kinds 3 and 4
extern int16_t gRepRemoved;    // kind 5

// Empties the report.
void ResetReportLists();

// Records one finding on caption lineNo: text is the caption text (marker form), ms the amount in
// milliseconds, fixed whether the rule corrected it. Collisions under kReportMinCollisionMs are
// dropped. Every recorded finding marks the document modified. Texts come from the UI language.
void LogCaptionIssue(int lineNo, const QString& text, uint8_t kind, int32_t ms, bool fixed);

// The totals block that opens both views (ends with an empty line).
QString ReportTotalsText();
// The totals followed by one summary line per finding.
QString StandardReportText();
// The totals followed by one detail block per finding, each closed by a "---" line.
QString DetailedReportText();
