// Qt Multimedia stays out of the program's start: its player lives in a module loaded when media
// is first opened, and the view converts a picture only when it paints it. The player's buttons
// take their theme icons only once the theme's worker is joined.
#include "platform/ui/IconThemeWarmUp.h"
#include "platform/ui/QtMediaPlayer.h"
#include "platform/ui/VideoView.h"
#include "support/fixture.h"

#include <QFile>
#include <QImage>
#include <QPainter>
#include <QToolButton>

#include <gtest/gtest.h>

TEST(MediaBackend, TheProgramDoesNotLoadQtMultimediaToStart) {
    // The names of the libraries an executable needs are stored in it as plain strings.
    for (const char* program : {"scrivelle", "bench/startup_bench"}) {
        QFile file(QStringLiteral(SCRIVELLE_BINARY_DIR "/") + QLatin1String(program));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << program;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains("libQt6Widgets.so")) << program; // the check itself works
        EXPECT_FALSE(bytes.contains("libQt6Multimedia.so")) << program;
    }
    EXPECT_TRUE(QFile::exists(QStringLiteral(SCRIVELLE_BINARY_DIR "/libscrivelle_media.so")));
}

TEST(VideoView, MakesThePictureOnlyWhenItIsPainted) {
    VideoView view;
    view.resize(60, 40);
    int made = 0;
    const auto picture = [&made] {
        ++made;
        QImage image(20, 10, QImage::Format_RGB32);
        image.fill(Qt::red);
        return image;
    };
    // Frames that are never painted cost no conversion.
    for (int i = 0; i < 5; ++i)
        view.SetPicture(QSize(20, 10), picture);
    EXPECT_EQ(made, 0);
    EXPECT_EQ(view.frameSize(), QSize(20, 10));

    QImage shot = view.grab().toImage();
    EXPECT_EQ(made, 1);
    EXPECT_EQ(QColor(shot.pixel(30, 20)), QColor(Qt::red));
    view.grab(); // the same picture again: not made twice
    EXPECT_EQ(made, 1);

    // An empty size, or nothing to make the picture with, clears it.
    for (const bool emptySize : {true, false}) {
        view.SetPicture(QSize(20, 10), picture);
        view.SetPicture(emptySize ? QSize() : QSize(20, 10), emptySize ? picture : std::function<QImage()>());
        EXPECT_TRUE(view.frameSize().isEmpty()) << emptySize;
        shot = view.grab().toImage();
        EXPECT_EQ(QColor(shot.pixel(30, 20)), QColor(Qt::black)) << emptySize;
    }
}

TEST(MediaBackend, ThePlayersButtonsTakeTheirIconsWhenShownAfterTheThemeIsRead) {
    int waits = 0;
    SetIconThemeWait([&waits] { ++waits; });
    {
        QtMediaPlayer player;
        const QList<QToolButton*> buttons = player.Widget()->findChildren<QToolButton*>();
        ASSERT_EQ(buttons.size(), 2);
        for (QToolButton* b : buttons)
            EXPECT_TRUE(b->icon().isNull()); // nothing looked up in the theme yet
        player.close(); // a state change before the window shows
        EXPECT_EQ(waits, 0);

        player.Widget()->show();
        EXPECT_EQ(waits, 1);
        for (QToolButton* b : buttons)
            EXPECT_FALSE(b->icon().isNull());
        player.Widget()->hide();
        player.Widget()->show();
    }
    WaitForIconTheme(); // joined once: nothing left to wait for
    EXPECT_EQ(waits, 1);
}
