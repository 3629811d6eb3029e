#pragma once
// The formats whose files the template machinery alone cannot write, each with its own path in
// its own file, and the one table that maps a format id to its path.
#include "formats/writer.h"

#include <QString>
#include <QStringView>

struct tWriterPath {
    const char* id;
    // Writes the whole file as text; null = the template writer.
    QString (*write)(const tWriteJob& job);
    // The text's characters are already the file's bytes (one byte each, Latin-1).
    bool byteText = false;
    // The template writer numbers captions from this value on ("zrvSubCount").
    int firstNumber = 1;
    // The template writer turns ";" in caption texts into "," (";" separates the fields).
    bool semicolonsToCommas = false;
    // Writes every caption, timed or not, whatever count it is given.
    bool everyCaption = false;
};

// The path of an id, or null for formats written by the template writer alone.
const tWriterPath* FindWriterPath(QStringView id);

// Caption text with the line-break marker as CR LF (no conversion with an empty marker).
QString TextWithLineBreaks(const QString& text, const QString& lineBreak);
// The caption's text as the formats without styles whose caption lines are the file's lines
// write it: without the program's style tags and their closing forms, without empty lines (a
// reader ends the caption at an empty one), raw line ends and markers as CR LF.
QString BareCaptionLines(const QString& text, const QString& lineBreak);
// The caption's text as a line of a plain-text file: the program's style tags in front, without
// their closing forms, raw line ends as markers, no empty line first; empty when it shows nothing.
QString PlainCaption(const QString& text, const QString& lineBreak);

QString WritePlainText(const tWriteJob& job);
QString WriteAdobeEncore(const tWriteJob& job);
QString WriteTmPlayer(const tWriteJob& job);
