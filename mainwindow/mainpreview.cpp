// The preview caption over the video: the labels lblSub and lblSubShadow lie in the player's
// picture widget, above the frames it paints. PlaceCaption puts them where the placement
// setting says, ApplyCaptionFont gives them the caption font settings, ShowCaption and
// ClearCaption fill and empty them. Also the grid font command.
#include "mainwindow/mainpreview.h"

#include "base/settings.h"
#include "document/busy.h"
#include "document/captions.h"
#include "mainwindow/GridView.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/Dialogs.h"
#include "platform/IMediaPlayer.h"

#include <QEvent>
#include <QFontMetrics>
#include <QLabel>
#include <QPalette>

#include <algorithm>
#include <cmath>

namespace {

const QString kDefaultCaptionFont = QStringLiteral("Arial");
constexpr int kDefaultCaptionSize = 18;
constexpr int kGridFontMin = 8;
constexpr int kGridFontMax = 24;

// Follows the picture widget's size: the caption keeps its place over the picture whatever
// changed the layout.
class CaptionPlaceFilter final : public QObject {
public:
    explicit CaptionPlaceFilter(frmMain* window) : QObject(window), w(window) {}

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Resize) w->PlaceCaption();
        return false;
    }

private:
    frmMain* w;
};

} // namespace

CaptionPlace PlaceCaptionIn(int pictureWidth, int pictureHeight, int captionHeight, int placement,
                            int shadow) {
    CaptionPlace place;
    const int top = int((int64_t(pictureHeight) - captionHeight) * placement / 100);
    place.caption = QRect(8, top, std::max(0, pictureWidth - 16), captionHeight);
    place.shadow = place.caption.translated(shadow, shadow);
    return place;
}

QString PreviewText(const QString& caption, const QString& marker) {
    QString text = caption;
    if (!marker.isEmpty()) text.replace(marker, QStringLiteral("\n"));
    for (const char* tag : {"<b>", "<i>", "<u>"})
        text.remove(QLatin1String(tag));
    return text;
}

QString CaptionFontName() {
    return gCapFontName.trimmed().isEmpty() ? kDefaultCaptionFont : gCapFontName;
}

int CaptionFontSize() {
    return gCapFontSize > 0 ? gCapFontSize : kDefaultCaptionSize;
}

void frmMain::CreatePreviewCaption() {
    QWidget* picture = WMP->PictureWidget();
    lblSubShadow = new QLabel(picture);
    lblSubShadow->setObjectName(QStringLiteral("lblSubShadow"));
    lblSub = new QLabel(picture);
    lblSub->setObjectName(QStringLiteral("lblSub"));
    for (QLabel* l : {lblSubShadow, lblSub}) {
        // A caption is text from a file: never markup.
        l->setTextFormat(Qt::PlainText);
        l->setAlignment(Qt::AlignHCenter | Qt::AlignBottom);
        l->setWordWrap(true);
        // Clicks go to the player underneath.
        l->setAttribute(Qt::WA_TransparentForMouseEvents);
        l->setFocusPolicy(Qt::NoFocus);
        l->setLayoutDirection(Qt::LeftToRight);
        l->hide();
    }
    QPalette shadow = lblSubShadow->palette();
    shadow.setColor(QPalette::WindowText, Qt::black);
    lblSubShadow->setPalette(shadow);
    picture->installEventFilter(new CaptionPlaceFilter(this));
}

void frmMain::PlaceCaption() {
    if (!lblSub) return;
    const QWidget* picture = lblSub->parentWidget();
    const CaptionPlace place =
        PlaceCaptionIn(picture->width(), picture->height(), lblSub->height(), gCapPlacement, gCapShadow);
    lblSub->setGeometry(place.caption);
    lblSubShadow->setGeometry(place.shadow);
    lblSub->raise();
}

void frmMain::ApplyCaptionFont() {
    const bool video = !gVideoFile.isEmpty();
    const QString name = CaptionFontName();
    const int size = CaptionFontSize();
    // Called for every caption the preview shows: nothing is redone while nothing changed.
    const QString key = QStringLiteral("%1|%2|%3|%4|%5|%6")
                            .arg(name)
                            .arg(size)
                            .arg(gCapFontBold)
                            .arg(gCapFontColor)
                            .arg(gCapOpaque)
                            .arg(video);
    if (key == mCaptionFontKey) return;
    mCaptionFontKey = key;

    // Without a video the labels stay hidden: their height is worked out when a video comes
    // (the key above changes then), which keeps measuring the caption font off the start-up.
    int height = -1;
    if (video) {
        QFont font = lblSub->font();
        font.setFamily(name);
        font.setPointSize(size);
        font.setBold(gCapFontBold);
        const int h = QFontMetrics(font).size(Qt::TextSingleLine, QStringLiteral("AaBbCc")).height();
        const int lineHeight = std::max(h, QFontMetrics(font).lineSpacing());
        // Room for two lines.
        height = 2 * lineHeight + 2;
    }
    for (QLabel* l : {lblSub, lblSubShadow}) {
        QFont f = l->font();
        f.setFamily(name);
        f.setPointSize(size);
        f.setBold(gCapFontBold);
        l->setFont(f);
        if (height >= 0) l->resize(l->width(), height);
    }
    QPalette palette = lblSub->palette();
    palette.setColor(QPalette::WindowText, BgrToColor(gCapFontColor));
    palette.setColor(QPalette::Window, Qt::black);
    lblSub->setPalette(palette);

    if (!video) {
        lblSub->hide();
        lblSubShadow->hide();
    } else {
        lblSubShadow->setVisible(!gCapOpaque);
        FillCaptionBox();
        lblSub->show();
    }
    PlaceCaption();
}

void frmMain::ShowCaption(int row) {
    if (!IsDocumentGrid() || row < 1 || row >= grdSubs().Rows()) return;
    ApplyCaptionFont();
    for (QLabel* l : {lblSub, lblSubShadow}) {
        QFont f = l->font();
        f.setItalic(IsLineItalic(row));
        f.setUnderline(IsLineUnderline(row));
        l->setFont(f);
    }
    const QString text = PreviewText(GetLineText(row), gLineBreak);
    lblSub->setText(text);
    lblSubShadow->setText(text);
    FillCaptionBox();
}

void frmMain::ClearCaption() {
    lblSub->clear();
    lblSubShadow->clear();
    FillCaptionBox();
}

void frmMain::FillCaptionBox() {
    // The opaque box belongs to a caption: without one it would be a black bar over the video.
    lblSub->setAutoFillBackground(gCapOpaque && !lblSub->text().isEmpty());
}

void frmMain::mnuFont_Click() {
    tFontSpec font;
    font.name = gGridFontName.trimmed().isEmpty() ? grdSubsView->font().family() : gGridFontName;
    font.size = std::clamp(int(gGridFontSize), kGridFontMin, kGridFontMax);
    font.bold = gGridFontBold;
    font.weight = gGridFontBold ? 700 : 400;
    int32_t color = 0;
    if (!ShowFont(this, kFontDialogFlags | kFontLimitSize, font, color, kGridFontMin, kGridFontMax)) return;
    if (!font.name.trimmed().isEmpty()) gGridFontName = font.name;
    gGridFontSize = uint8_t(std::clamp(int(std::lround(font.size)), kGridFontMin, kGridFontMax));
    gGridFontBold = font.bold;
    ApplyGridFont();
    SizeGridColumns();
}
