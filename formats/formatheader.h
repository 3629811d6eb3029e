#pragma once
#include <QString>

// The header of a format whose "header" key is 1, built from the per-format settings
// (formats/formatsettings.h) as they are stored at the moment of the call, instead of being
// cut from formats.dat. The DVD subtitle script, SAMI and SubStation Alpha have one; every other
// id gets the empty text. Lines are joined by CR LF; the header has no line break at its end.
//
// A stored value is inserted as it stands except where it could break the file: a line break
// (or any other control character) becomes a blank, so no value can start a line of its own,
// and the characters that would close the value's surroundings are left out ("{" and "}" in the
// DVD script's head block, "<", ">", "{" and "}" in SAMI's style sheet, "," between the fields
// of the SubStation Alpha style line).
QString BuildFormatHeader(const QString& id);
// The header of the format at gFormatIndex.
QString BuildFormatHeader();
