#pragma once
// Searching and replacing text in the captions: the engine behind the find and replace windows.
//
// A caption matches when the search text occurs in it, the caption read as if it had one space
// before and one after it (so a search text beginning or ending with a space also matches at
// the caption's start or end). With whole words the occurrence must stand between spaces or the
// caption's ends; only the space separates words, so punctuation, the line-break marker or a tag
// next to the word prevents a match. Captions are searched as stored, marker and tags included.
#include <QString>

// How one search compares.
struct FindOptions {
    bool wholeWord = false;
    bool matchCase = false;
};

// True when text holds find under the options. An empty search text matches nothing.
bool CaptionMatches(const QString& text, const QString& find, FindOptions options);

// text with every occurrence of find replaced by replaceWith, in one left-to-right pass: a
// replacement is never searched again, and the rest of the text keeps its case and spacing.
// The spaces that bound a whole-word occurrence, and those imagined at the caption's ends,
// stay out of the replacement.
QString ReplaceInCaption(const QString& text, const QString& find, const QString& replaceWith,
                         FindOptions options);

// Walks the captions from the grid's current row down to the last (never wrapping, never above
// the current row) and returns how many captions it found the text in.
//  - Find (doReplace false): a match on the starting row is counted and the walk goes on; it
//    stops at the first match below it, which becomes the current row. So a find from a caption
//    that holds the text selects the next one and returns 2.
//  - Replace (doReplace, not replaceAll): replaces in the first matching caption at or below the
//    current row, selects it and returns 1.
//  - Replace all: replaces in every matching caption from the current row down, leaves the last
//    one selected, and returns the number of captions it changed.
// A caption changed marks the document modified and shows in the caption box at once.
// wholeWord 1 asks for whole words; matchCase 0 ignores letter case.
int FindInLines(const QString& find, uint8_t wholeWord, uint8_t matchCase, bool doReplace,
                const QString& replaceWith, bool replaceAll);
