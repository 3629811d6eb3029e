#pragma once
// The timing rules: they check the captions against the rule settings and correct them.
//   1  a caption of three or more lines is rebuilt as two lines;
//   2a a start before the previous caption's end moves to that end;
//   2b a start just after the previous end is joined to it;
//   2c a display time that does not fit the caption's length is corrected;
//   2d a display time that is not positive is set from the length;
//   3  captions holding a credit or link keyword are deleted;
//   4  line breaks not followed by a dash are folded into spaces.
// ApplyRules runs them over the whole document and fills the rule report (document/report.h);
// the timing modes and the time boxes use SetDurationByLength on their own.
#include <QString>

#include <cstdint>
#include <functional>

// What a rule run needs from the main window. Each does nothing until the window sets it; the
// two report hooks are set by ApplyRulesAndReport (document/ui/frmReport.h), which is what the
// window calls to run the rules.
struct RulesHooks {
    // Unloads the find and replace windows when they are loaded.
    std::function<void()> unloadSideWindows;
    // Unloads the rule report window when it is loaded (set by the report window's module).
    std::function<void()> unloadReportWindow;
    // Pauses the player when it is playing; returns true when it was playing.
    std::function<bool()> pausePlayer;
    // Plays again after a run that paused the player.
    std::function<void()> resumePlayer;
    // Shows the run's progress in the subtitle file label.
    std::function<void(const QString& text)> showProgress;
    // Puts the file labels back after the run.
    std::function<void()> restoreFileLabels;
    // Shows the report window modeless, owned by the main window.
    std::function<void()> showReport;
};
extern RulesHooks gRulesHooks;

// The message shown once after a run in which a step failed.
extern const QString kRulesFailedText;

// Runs every enabled rule over every caption, pausing the player meanwhile, and fills the report.
// Opens the report when it has entries; otherwise, unless bSilent, says that all captions comply.
// The grid is disabled and the document busy (document/busy.h) while the rules run; a call made
// while the document is busy does nothing.
void ApplyRules(bool bSilent);

// Rule 1: the text (marker form) rebuilt as two lines. A dialogue is split before the second
// speaker's dash, anything else at the space nearest the middle. A text with no space to split at
// comes back with its words on one line.
QString SplitInTwoLines(const QString& text);

// Rule 2a. start is the row's start to test (0: the row's own start, written back to the
// caller). When it lies before the end of the timed previous caption it is reported (amount:
// the overlap) and, with the Collision setting on, the row's start moves to that end.
void CheckCollision(int row, int32_t& start);

// Rule 2b: a start no further than the Near setting after the timed previous caption's end (or
// before it) moves to that end. Marks the document modified unless bNoDirty. Not reported.
void JoinWithPrevious(int row, bool bNoDirty);

// Rule 2c: a positive display time outside the target per character, plus or minus the
// tolerance, of the caption's length class is reported and, with bFix, set to the target.
void CheckDuration(int row, bool bFix);

// Rule 2d: the end becomes start + target per character x length (a display time below 1 ms is
// first made 100 ms). With bReport the change is reported.
void SetDurationByLength(int row, bool bReport);

// The caption length the duration rules count: the text without its style tags and line-break
// marker. Below 1 the duration rules leave the caption alone.
int64_t RuleCharCount(const QString& text);
// Length class of a count: 0 short (1-5), 1 medium (6-15), 2 long (16 and more).
int LengthClass(int64_t count);
