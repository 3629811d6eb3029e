// The File menu's pieces that need no window: file kinds, folders, filters, save names, the
// clipboard captions and the media-length wait.
#include "base/paths.h"
#include "formats/formatdefs.h"
#include "mainwindow/filecommands.h"
#include "mainwindow/mainstate.h"
#include "platform/Dialogs.h"
#include "support/FakeMediaPlayer.h"
#include "support/fakeclock.h"
#include "support/fixture.h"

#include <QSignalSpy>
#include <QTimer>

#include <ostream>


namespace {

class FileCommandsTest : public ScrivelleTest {
protected:
    // A small catalogue: a format with two extensions and one whose id ends in "_RSS".
    void UseSmallCatalogue() {
        gFormatFile = WriteFile("formats.ini", "[PLAINTEXT]\nname=Plain text\nextension=txt\n"
                                               "[TWOEXT]\nname=Two Ext\nextension=SRT,sub\n"
                                               "[NEWS_RSS]\nname=News\nextension=xml\n");
        gFormatDatFile =
            WriteFile("formats.dat", "<FORMATSLIST>\nPLAINTEXT\nTWOEXT\nNEWS_RSS\n</FORMATSLIST>\n");
        ASSERT_TRUE(LoadFormatsList());
    }
};

} // namespace

TEST_F(FileCommandsTest, TheCommandLineFileKindComesFromTheFileNamesLastSuffix) {
    EXPECT_EQ(CommandLineFileKind("/home/u/my.videos/a.avi"), CommandFileKind::Video);
    EXPECT_EQ(CommandLineFileKind("/home/u/film.part1.MKV"), CommandFileKind::Video);
    EXPECT_EQ(CommandLineFileKind("/home/u/clip.mpeg"), CommandFileKind::Video);
    EXPECT_EQ(CommandLineFileKind("/home/u/song.Mp3"), CommandFileKind::Audio);
    EXPECT_EQ(CommandLineFileKind("/home/u/a.wav"), CommandFileKind::Audio);
    // A video-looking folder does not make its files videos.
    EXPECT_EQ(CommandLineFileKind("/home/u/x.avi/subs.srt"), CommandFileKind::Subtitle);
    EXPECT_EQ(CommandLineFileKind("/home/u/my.avi/noext"), CommandFileKind::Subtitle);
    EXPECT_EQ(CommandLineFileKind("/home/u/film.avi.txt"), CommandFileKind::Subtitle);
}

TEST_F(FileCommandsTest, FoldersAndAddresses) {
    EXPECT_EQ(FolderOfPath("/home/u/a.srt"), "/home/u/");
    EXPECT_EQ(FolderOfPath("/a.srt"), "/");
    EXPECT_EQ(FolderOfPath("a.srt"), "");
    EXPECT_TRUE(IsMediaAddress("http://example.org/a.mp4"));
    EXPECT_TRUE(IsMediaAddress("mms://host/stream"));
    EXPECT_FALSE(IsMediaAddress("/home/u/a:b.avi"));
    EXPECT_FALSE(IsMediaAddress("/home/u/x://y.avi"));
}

TEST_F(FileCommandsTest, OpenFilterListsEveryFormatButRssOnes) {
    UseSmallCatalogue();
    EXPECT_EQ(SubtitleOpenFilter(), "All supported formats|*.txt;*.SRT;*.sub|"
                                    "Plain text (txt)|*.txt|Two Ext (SRT,sub)|*.SRT;*.sub|");
    // In the dialog's own form every entry offers all of its patterns.
    EXPECT_EQ(ConvertFilter(SubtitleOpenFilter()), "All supported formats (*.txt *.SRT *.sub);;Plain text "
                                                   "(txt) (*.txt);;Two Ext (SRT,sub) (*.SRT *.sub)");
    EXPECT_EQ(SaveAsFilter("TWOEXT"), "Two Ext (srt,sub)|*.srt;*.sub");
    EXPECT_EQ(AudioOpenFilter(2).section('|', 1), "*.wav;*.snd;*.au;*.aif;*.wma;*.mp3");
    EXPECT_EQ(AudioOpenFilter(1), "PCM wave files (wav)|*.wav");
    EXPECT_EQ(AudioOpenFilter(3), "PCM wave files (wav)|*.wav");
}

TEST_F(FileCommandsTest, SavedNamesGetTheFormatsExtensionOnlyWhenTheyLackOne) {
    UseSmallCatalogue();
    EXPECT_EQ(WithFormatExtension("/t/film", "TWOEXT"), "/t/film.srt");
    EXPECT_EQ(WithFormatExtension("/t/film.txt", "TWOEXT"), "/t/film.txt.srt");
    // Any of the format's extensions in any case is already a right name.
    EXPECT_EQ(WithFormatExtension("/t/X.SRT", "TWOEXT"), "/t/X.SRT");
    EXPECT_EQ(WithFormatExtension("/t/x.Sub", "TWOEXT"), "/t/x.Sub");
    EXPECT_EQ(WithFormatExtension("/t/x.srt/film", "TWOEXT"), "/t/x.srt/film.srt");
    EXPECT_EQ(WithFormatExtension("/t/film", "PLAINTEXT"), "/t/film.txt");

    EXPECT_EQ(DefaultSaveName("/t/old.txt", "/v/movie.avi", "TWOEXT"), "old.srt");
    EXPECT_EQ(DefaultSaveName("NEW", "/v/movie.avi", "TWOEXT"), "movie.srt");
    EXPECT_EQ(DefaultSaveName("NEW", "", "TWOEXT"), "");
}

TEST_F(FileCommandsTest, ClipboardLinesBecomeUntimedCaptions) {
    const auto lines = ClipboardCaptions("  first \r\n\r\nsecond\n   \nthird\rfourth\n");
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0].text, "first");
    EXPECT_EQ(lines[1].text, "second");
    EXPECT_EQ(lines[3].text, "fourth");
    for (const tSubtitleLine& l : lines) {
        EXPECT_EQ(l.start, 0);
        EXPECT_EQ(l.end, 0);
    }
    EXPECT_TRUE(ClipboardCaptions("\n \r\n").empty());

    QStringList many;
    for (int i = 0; i < 40000; ++i)
        many << QString::number(i);
    const auto capped = ClipboardCaptions(many.join('\n'));
    ASSERT_EQ(int(capped.size()), kMaxClipboardCaptions);
    EXPECT_EQ(capped.back().text, "31999");
}

// --- The media length ---

namespace {

class MediaLengthTest : public ScrivelleTest {
protected:
    void SetUp() override {
        ScrivelleTest::SetUp();
        player.SetMediaLength(83.5);
        player.setURL("/v/movie.avi");
    }
    // Moves the fake clock while the wait lets events run.
    void AdvanceDuringTheWait(int ms) {
        QTimer::singleShot(0, &player, [this, ms] { player.Advance(ms); });
    }
    FakeMediaPlayer player;
};

} // namespace

TEST_F(MediaLengthTest, AKnownLengthIsReadWithoutPlaying) {
    player.pause();
    player.calls.clear();
    EXPECT_EQ(GetMediaLength(player), 84); // 83.5 rounds half to even
    EXPECT_TRUE(player.calls.isEmpty());
}

TEST_F(MediaLengthTest, AnUnknownLengthIsWaitedForAndThePlayerPutBack) {
    player.SetDurationDelay(500);
    player.setURL("/v/movie.avi");
    player.pause();
    player.setCurrentPosition(0.2);
    player.SetMediaLength(61.2);
    ASSERT_EQ(player.duration(), 0.0);
    AdvanceDuringTheWait(600);
    EXPECT_EQ(GetMediaLength(player), 61);
    EXPECT_EQ(player.playState(), kPlayStatePaused);
    EXPECT_EQ(player.positionMs(), 200);

    // Stopped stays stopped at the start.
    player.setURL("/v/other.avi");
    player.stop();
    AdvanceDuringTheWait(600);
    EXPECT_EQ(GetMediaLength(player), 61);
    EXPECT_EQ(player.playState(), kPlayStateStopped);
    EXPECT_EQ(player.positionMs(), 0);

    // Playing goes on playing.
    player.setURL("/v/third.avi");
    AdvanceDuringTheWait(600);
    EXPECT_EQ(GetMediaLength(player), 61);
    EXPECT_EQ(player.playState(), kPlayStatePlaying);
}

TEST_F(MediaLengthTest, AWaitThatNeverEndsGivesUp) {
    player.SetDurationDelay(1000000);
    player.setURL("/v/movie.avi");
    player.pause();
    player.setCurrentPosition(3.0);
    // The program's clock moves 100 ms with every turn of the event loop, the player's not at
    // all: the wait gives up when the program's clock says so.
    SteppingClock clock(100);
    const qint64 start = clock.now;
    EXPECT_EQ(GetMediaLength(player), 0);
    clock.Stop();
    EXPECT_GE(clock.now - start, 10000);
    EXPECT_LE(clock.now - start, 10100);
    EXPECT_EQ(player.playState(), kPlayStatePaused);
    EXPECT_EQ(player.positionMs(), 3000);

    FakeMediaPlayer empty;
    EXPECT_EQ(GetMediaLength(empty, 50), 0);
    EXPECT_TRUE(empty.calls.isEmpty());
}
