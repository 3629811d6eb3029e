#pragma once
// The subtitle document: the captions are the rows of the caption grid grdSubs(). Row 0 is the
// header; rows 1 .. Rows - 1 are captions 1 .. Rows - 1 in display order. Column 0 is the
// caption number, 1 the start and 2 the end in whole milliseconds (0 and 0: untimed), 3 the
// text, with line breaks as the marker gLineBreak and the style tags "<b>", "<i>", "<u>".
//
// Every accessor that takes a row does nothing (gives "", 0 or false) unless the grid holds a
// document (four columns, not the one-column "nothing loaded" message) and 1 <= row <= Rows - 1.
#include "platform/FlexGrid.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <span>
#include <vector>

// --- The open document's state ---
extern QString gSubFile;    // path of the open subtitle; "NEW" for a new unsaved one; "" when none
extern bool gModified;      // the document has changes not yet saved
extern int16_t gCurrentRow; // row of the selected caption, 0 before anything is selected
extern int32_t gSelStart;   // start of the selected caption (ms), refreshed by SelectLine
extern int32_t gSelEnd;     // end of the selected caption (ms)
extern int32_t gTimingMode; // 0 press-and-hold, 1 manual, 2 preview
extern int16_t gPreviewRow; // row whose caption the preview shows, 0 for none

// Row numbers are 16-bit: no more captions than this.
inline constexpr int kMaxCaptions = FlexGrid::kMaxRows - 1;

enum CaptionColumn : int { kColNumber = 0, kColStart = 1, kColEnd = 2, kColText = 3 };

// The caption grid (the program's one document). The main window shows it; after a process
// reset it holds an empty subtitle: the header and one empty caption row, row 1 current.
FlexGrid& grdSubs();

// One caption as a record (bulk fills).
struct tSubtitleLine {
    int32_t start = 0;
    int32_t end = 0;
    QString text;
};

// True when the grid holds a subtitle (four columns), false in its "nothing loaded" state.
bool IsDocumentGrid();

// --- Cell accessors ---
// The text; with bCrLf every line-break marker becomes CR LF.
QString GetLineText(int row, bool bCrLf = false);
int32_t GetLineStart(int row);
int32_t GetLineEnd(int row);
// False when start and end are both 0 or the row is out of range.
bool IsLineTimed(int row);
// Writes the text, except when it ends with the (non-empty) line-break marker. gModified untouched.
void SetLineText(int row, const QString& text);
// Times are stored as max(ms, 0). SetLineStart marks the document modified unless bNoDirty;
// SetLineEnd always does.
void SetLineStart(int row, int32_t ms, bool bNoDirty = false);
void SetLineEnd(int row, int32_t ms);
// Start and end become 0; modified unless bNoDirty.
void ClearLineTimes(int row, bool bNoDirty = false);

// --- Styles: whole-caption tags, mirrored in the text cell's font ---
bool IsLineBold(int row);
bool IsLineItalic(int row);
bool IsLineUnderline(int row);
// Over fromRow..toRow (either order, all in range): adds the tag to every row when any row
// lacks it, else removes it from all. Returns true when added. gModified untouched.
bool ToggleBold(int fromRow, int toRow);
bool ToggleItalic(int fromRow, int toRow);
bool ToggleUnderline(int fromRow, int toRow);
// Deletes every style tag from the row's text and clears the text cell's font styles.
void RemoveLineTags(int row);

// --- Rows ---
// Inserts a caption at row (0 appends), or reuses the only row when it is empty. Times below
// 0 become 0. Returns the row written, or 0 (nothing added) when the row is outside 0..Rows,
// the grid holds no document, or it already holds kMaxCaptions captions. gModified untouched.
int AddLine(int32_t startMs, int32_t endMs, const QString& text, int row = 0);
// Removes the rows fromRow..toRow (either order); removing every caption leaves one empty row.
// A range reaching outside 1..Rows - 1 is ignored. Selects row `first`, marks the document modified.
void RemoveLines(int fromRow, int toRow);
// Column 0 shows every row's number (the grid computes them, so this is cheap).
void RenumberLines();
// Bulk fill: the grid becomes rows 1..baseRow followed by the given captions (rows
// baseRow + 1 ..), in one step. Times below 0 become 0; each text cell's font follows the
// text's tags. With no captions and baseRow 0 the document is one empty row. False (nothing
// changed) when baseRow is outside 0..Rows - 1, the grid holds no document, or the result
// would exceed kMaxCaptions. Neither selects a row nor marks the document modified.
bool FillLines(int baseRow, std::span<const tSubtitleLine> lines);
// The same from captions in pieces, one piece after the other, their texts moved into the grid
// (the pieces keep their rows, the texts emptied, when it returns true).
bool FillLines(int baseRow, std::span<std::vector<tSubtitleLine>> pieces);
// The number of captions (Rows - 1), 0 when the grid holds no document.
int CaptionCount();

// Sets the grid up for an open subtitle (header texts, one empty caption selected, its times
// cleared without marking the document modified) or for nothing loaded (one full-width
// column with the "nothing loaded" text). The main window's ResetGrid adds its boxes.
void ResetCaptionGrid(bool bSubtitle);

// --- Selection ---
// Makes row the current caption: gCurrentRow, the grid's row (the whole row selected),
// gSelStart/gSelEnd, the window's menu checks, caption box and time boxes, the waveform span.
// Row 0 does nothing; other rows are clamped to 1..Rows - 1. bScroll brings the row into view.
void SelectLine(int row, bool bScroll);
// Shows the current row's new state (gSelStart/gSelEnd, menu checks, caption and time boxes,
// waveform span) without touching the grid's selection. Every accessor that writes the current
// row calls it.
void RefreshCurrentLine();
// Brings grdSubs().Row() into view; bForce keeps two rows of look-ahead below it.
void ScrollToLine(bool bForce);
// The grid's RowColChange: a row changed by the user or by code is selected through SelectLine.
void grdSubs_RowColChange();

// --- Connections to parts of the main window, each doing nothing until set ---
// Shows a row in the Format menu checks, the caption box and the time boxes.
extern std::function<void(int row)> gOnShowSelectedLine;
// Redraws the preview caption over the video for a row.
extern std::function<void(int row)> gOnShowCaption;
// Marks a span on the waveform (the waveform ignores it while no WAV file is shown).
extern std::function<void(int32_t startMs, int32_t endMs)> gOnShowWaveSelection;
