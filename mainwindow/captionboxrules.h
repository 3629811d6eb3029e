#pragma once
// The rules of the caption box and the two time boxes, as plain functions on text and caret
// positions: the window's handlers read their box, ask here and show the answer.
//
// A time box holds exactly "00:00:00,000": digits at 0-1, 3-4, 6-7 and 9-11, ":" at 2 and 5,
// "," at 8. One character is always selected, so typing overwrites a digit and the caret walks
// over the separators by itself.
#include <QChar>
#include <QString>
#include <QStringView>

namespace TimeBox {

inline constexpr int kLength = 12;

// A typed character as the box takes it. Backspace becomes "0" and steps back; only the digits
// get through; everything else (the separators too) is swallowed.
struct TypedChar {
    bool accepted = false;
    QChar ch;
    bool back = false;
};
TypedChar FilterChar(QChar typed, bool backspace);

// Where the one-character selection goes after a change left the caret at p (just after the
// character written). Going back, it lands on the digit before the one just written; going on,
// it skips a separator and stays on the last digit at the end.
int CaretAfterChange(int p, bool back);
// The arrows, from the digit selected now: the digit before it, the digit after it.
int CaretAfterLeft(int selStart);
int CaretAfterRight(int selStart);
// The selection start to use when the box holds a caret or a selection not made by the rules
// (a click, a drag, a paste): the digit at or after it.
int NormalizedCaret(int caret);

// Typing ch with the selection at selStart: ch overwrites the character there (the text keeps
// its length; a text made short by a paste gets it appended). Returns the new text and the
// selection start the rules give it.
struct Typed {
    QString text;
    int selStart = 0;
};
Typed Type(const QString& text, int selStart, QChar ch, bool back);

// ":" at 2 and 5, "," at 8, and twelve characters. A box whose text breaks this gets back the
// text it had when it got the focus.
bool ShapeOk(QStringView text);

} // namespace TimeBox

namespace CaptionBox {

// Text that reaches a caption some other way than key by key (a paste, a drop, an input box)
// as typing would have given it: a tab is a blank (the Tab key moves on and types none), and
// the other control characters, which no key types, are dropped. Line breaks stay.
QString AsTyped(const QString& text);
// The caption box's text as a caption: AsTyped, each line break (CR LF, LF or CR) becomes the
// marker, and the caption is Normalized.
QString ToCaption(const QString& boxText, const QString& marker);
// A caption without empty lines: lines that hold nothing but blanks are dropped wherever they
// are (first, last, between two lines, or the only one), so that the caption never ends with the marker (the
// caption list refuses that) and no format gets a blank line inside a caption (one ends the
// caption in most of them). Style tags on such a line are kept, in front of the text.
QString Normalized(const QString& caption, const QString& marker);
// A caption as the box shows it: each marker becomes a line break.
QString ToBox(const QString& caption, const QString& marker);

// The caption text with every old marker replaced by the new one (all of them, so a caption
// of three lines keeps no old marker).
QString ConvertMarker(const QString& text, const QString& oldMarker, const QString& newMarker);
// A marker the user may choose: something other than blanks.
bool MarkerOk(const QString& marker);

} // namespace CaptionBox
