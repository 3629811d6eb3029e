#pragma once
#include <QString>

// The header of a format whose "header" key is 1, built from the per-format settings instead
// of being cut from formats.dat. Always for the format at gFormatIndex. The generated headers
// are not written yet: until they are, every format gets an empty header here.
QString BuildFormatHeader();
