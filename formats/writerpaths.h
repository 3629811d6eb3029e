#pragma once
// The formats whose files the template machinery alone cannot write, each with its own path in
// its own file, and the one table that maps a format id to its path.
#include "formats/writer.h"

#include <QString>
#include <QStringView>

#include <optional>

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
    // The template writer's caption lines (the line-break marker between them) rewritten where
    // the format's readers would take some of them for something else; nothing when they are
    // written as they are.
    std::optional<QString> (*captionLines)(const QString& text, const QString& lineBreak) = nullptr;
};

// The path of an id, or null for formats written by the template writer alone.
const tWriterPath* FindWriterPath(QStringView id);

// Caption text with the line-break marker as CR LF (no conversion with an empty marker).
QString TextWithLineBreaks(const QString& text, const QString& lineBreak);
// The caption's text as the formats without styles whose caption lines are the file's lines
// write it: without the program's style tags and their closing forms, without empty lines (a
// reader ends the caption at an empty one), raw line ends and markers as CR LF.
QString BareCaptionLines(const QString& text, const QString& lineBreak);

QString WritePlainText(const tWriteJob& job);
QString WriteAdobeEncore(const tWriteJob& job);
QString WriteTmPlayer(const tWriteJob& job);
std::optional<QString> SubRipCaptionLines(const QString& text, const QString& lineBreak);
