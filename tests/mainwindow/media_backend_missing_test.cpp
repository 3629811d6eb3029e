// A machine without a working media backend: Qt Multimedia would end the whole program the first
// time a player is made ("QtMultimedia is not currently supported on this platform"). The
// main window runs in a process of its own, with the real player, so that such an end is seen
// as what it is.
#include "base/paths.h"
#include "base/settings.h"
#include "document/captions.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "mainwindow/mainstate.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"
#include "support/child.h"
#include "support/fixture.h"

#include <QDir>
#include <QStandardPaths>
#include <QTextStream>

namespace {

// The main window over Qt's player opens the video and then the audio given, and says on its
// output what it showed and where it stands; it ends normally when the window went on.
SCRIVELLE_CHILD_ROLE(OpenMediaInTheMainWindow) {
    QTextStream out(stdout);
    SetMsgBoxHandler([&out](const QString& text, int, const QString&) {
        out << "box: " << text << "\n";
        out.flush();
        return int(vbOK);
    });
    gLangIndex = 0;
    LoadLanguageStrings();
    UseSourceFormatFiles();
    LoadSettings();
    frmMain w;
    w.Form_Load();
    w.show();
    if (!w.LoadTextFile(arguments.value(0))) return 2;
    SetLineText(1, QStringLiteral("an edit not yet saved"));
    w.LoadVideoFile(arguments.value(1));
    // Until it plays, or until it is forgotten as media that cannot be played.
    const auto settled = [&] { return w.WMP->playState() == kPlayStatePlaying || gVideoFile.isEmpty(); };
    WaitFor(settled, 30000);
    const bool videoPlays = w.WMP->playState() == kPlayStatePlaying;
    out << "video: " << gVideoFile << " plays: " << videoPlays << "\n";
    gAudioChoice = 2; // the player only
    w.LoadAudioFile(arguments.value(2));
    WaitFor(settled, 30000);
    const bool audioPlays = w.WMP->playState() == kPlayStatePlaying;
    out << "audio: " << gVideoFile << " plays: " << audioPlays << "\n";
    out << "caption: " << GetLineText(1) << "\n";
    out.flush();
    w.WMP->close();
    return 0;
}

class MediaBackendMissing : public ScrivelleTest {
protected:
    QString MakeMedia(const QString& name, const QStringList& args) {
        return MakeMediaWithFfmpeg(TempPath(name), args);
    }
};

TEST_F(MediaBackendMissing, OpeningMediaFailsWithTextFiftyAndTheWindowGoesOn) {
    const QString subtitle = WriteFile("film.srt", "1\n00:00:01,000 --> 00:00:02,000\nHello\n\n");
    const QString video = MakeMedia(
        "clip.mkv", {"-f", "lavfi", "-i", "testsrc=size=64x48:rate=10:duration=2", "-c:v", "mpeg4"});
    const QString audio = MakeMedia("tone.wav", {"-f", "lavfi", "-i", "sine=frequency=440:duration=2"});
    gLangIndex = 0;
    LoadLanguageStrings();
    const QString text50 = LangText(50);
    const QString noPlugins = TempPath(QStringLiteral("no-gstreamer-plugins"));
    ASSERT_TRUE(QDir().mkpath(noPlugins));
    const struct {
        const char* name;
        QByteArray backend; // QT_MEDIA_BACKEND as the process starts; null: not set
        bool plays;
        bool gstreamerPlugins = true;
    } cases[] = {
        {"a backend that is not installed", "nosuch", false},
        {"a backend named in another case", "GStreamer", false}, // Qt's names are exact
        {"a backend named with a blank", " gstreamer", false},
        // Qt's plugin is there, but GStreamer finds none of its own: it cannot build a player.
        {"GStreamer without its plugins", QByteArray(), false, false},
        {"GStreamer named, without its plugins", "gstreamer", false, false},
        {"the installed backend", QByteArray(), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QProcessEnvironment env;
        if (!c.backend.isNull()) env.insert("QT_MEDIA_BACKEND", QString::fromLatin1(c.backend));
        if (!c.gstreamerPlugins) {
            env.insert("GST_PLUGIN_PATH", noPlugins);
            env.insert("GST_PLUGIN_SYSTEM_PATH", QString());
            // A registry of its own: the user's is not rewritten for a machine without plugins.
            env.insert("GST_REGISTRY", TempPath(QStringLiteral("gst-registry.bin")));
        }
        auto child = StartChild("OpenMediaInTheMainWindow", {subtitle, video, audio}, env);
        ASSERT_TRUE(child->waitForFinished(120000));
        const QString said = QString::fromUtf8(child->readAllStandardOutput());
        const QString errors = QString::fromUtf8(child->readAllStandardError());
        ASSERT_EQ(child->exitStatus(), QProcess::NormalExit) << errors.toStdString();
        ASSERT_EQ(child->exitCode(), 0) << errors.toStdString();
        EXPECT_TRUE(said.contains("caption: an edit not yet saved")) << said.toStdString();
        if (c.plays) {
            EXPECT_FALSE(said.contains("box:")) << said.toStdString();
            EXPECT_TRUE(said.contains("video: " + video + " plays: 1")) << said.toStdString();
            EXPECT_TRUE(said.contains("audio: " + audio + " plays: 1")) << said.toStdString();
        } else {
            // Each open is told as media that cannot be played, and forgotten.
            EXPECT_EQ(said.count("box: " + text50 + "\n"), 2) << said.toStdString();
            EXPECT_TRUE(said.contains("video:  plays: 0")) << said.toStdString();
            EXPECT_TRUE(said.contains("audio:  plays: 0")) << said.toStdString();
            EXPECT_FALSE(errors.contains("not currently supported")) << errors.toStdString();
        }
    }
}

} // namespace
