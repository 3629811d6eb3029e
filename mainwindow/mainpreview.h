#pragma once
// The preview caption's arithmetic and text, kept apart from the labels that show them.
#include <QRect>
#include <QString>

// Where the caption and its shadow go over a picture of the given size (pixels, the picture's
// own coordinates). placement is the percentage of the free height above the caption
// (100: the caption's bottom on the picture's bottom); shadow is the shadow's offset. A
// picture lower than the caption gives a negative top: the caption then reaches above it.
struct CaptionPlace {
    QRect caption;
    QRect shadow;
};
CaptionPlace PlaceCaptionIn(int pictureWidth, int pictureHeight, int captionHeight, int placement,
                            int shadow);

// A caption as the preview shows it: each line-break marker a line break, the style tags gone
// (the labels show italic and underline as their font; bold follows the setting alone).
QString PreviewText(const QString& caption, const QString& marker);

// The caption font settings as used: a damaged settings file may hold no name or size 0.
QString CaptionFontName();
int CaptionFontSize();
