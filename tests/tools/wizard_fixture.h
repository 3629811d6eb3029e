#pragma once
// The wizards' test environment: the main window over the fake player, a scratch folder, a
// system folder with the codec, and a tool folder whose VirtualDub.exe is the fake tool, which
// logs what it was given to tool.log.
#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "document/captions.h"
#include "mainwindow/mainstate.h"
#include "mainwindow/mainwindow_fixture.h"
#include "support/scoped.h"
#include "tools/videotool.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <csignal>
#include <sys/types.h>

class WizardFixture : public MainWindowFixture {
protected:
    void SetUp() override {
        MainWindowFixture::SetUp();
        gToolPausePercent = 0;
        gTempDir = TempPath("scratch/");
        QDir().mkpath(gTempDir);
        gSysDir = TempPath("sys/");
        WriteFile("sys/xvidvfw.dll", "codec");
        toolFolder = TempPath("vd/");
        QDir().mkpath(toolFolder);
        ASSERT_TRUE(QFile::link(QStringLiteral(SCRIVELLE_FAKETOOL), toolFolder + "VirtualDub.exe"));
        WriteSetting(SettingKeys::VDPath, toolFolder);
        video = WriteFile("media/clip.avi", "RIFF....AVI ");
        subtitle = WriteFile("media/clip.ssa", kSsa);
    }
    // Ends a fake tool this test started and left running (checked to be the fake tool first).
    static bool IsRunningFakeTool(qint64 pid) {
        return QFile::symLinkTarget(QStringLiteral("/proc/%1/exe").arg(pid)) ==
               QFileInfo(QStringLiteral(SCRIVELLE_FAKETOOL)).canonicalFilePath();
    }
    static void EndFakeTool(qint64 pid) {
        if (pid > 0 && IsRunningFakeTool(pid)) ::kill(pid_t(pid), SIGKILL);
    }

    // The main window with the subtitle and the video open.
    void OpenFiles(double mediaSeconds = 600) {
        Make();
        player->SetMediaLength(mediaSeconds);
        ASSERT_TRUE(w->LoadTextFile(subtitle));
        w->LoadVideoFile(video);
        gModified = false;
    }

    // A tool that cannot be started: a plain file in its place.
    void BreakTool() {
        QFile::remove(toolFolder + "VirtualDub.exe");
        WriteFile("vd/VirtualDub.exe", "not a program");
    }

    // What the fake tool logged: every line, once it has logged a whole run.
    QStringList ToolLog(int timeoutMs = 60000) {
        const QString path = TempPath("tool.log");
        if (!WaitFor([&] { return ReadFileBytes(path).contains("script-end\n"); }, timeoutMs)) return {};
        return QString::fromLatin1(ReadFileBytes(path)).split('\n');
    }
    QStringList ToolArgs(const QStringList& log) const {
        QStringList args;
        for (const QString& line : log)
            if (line.startsWith("arg ")) args << line.mid(4);
        return args;
    }

    EnvVar codePage{"SCRIVELLE_ANSI_CODEPAGE", "1252"};
    EnvVar toolLog{"SCRIVELLE_FAKETOOL_LOG", QFile::encodeName(tmp.path() + "/tool.log")};
    EnvVar toolMode{"SCRIVELLE_FAKETOOL_MODE", "wav"};
    QString toolFolder;
    QString video;
    QString subtitle;

    static constexpr const char* kSsa =
        "[Script Info]\r\nScriptType: v4.00\r\n\r\n[V4 Styles]\r\n"
        "Format: Name, Fontname, Fontsize, PrimaryColour, SecondaryColour, TertiaryColour, BackColour, Bold, "
        "Italic, BorderStyle, Outline, Shadow, Alignment, MarginL, MarginR, MarginV, AlphaLevel, Encoding\r\n"
        "Style: Default,Arial,20,65535,65535,65535,-2147483640,-1,0,1,3,0,2,30,30,30,0,0\r\n\r\n"
        "[Events]\r\nFormat: Marked, Start, End, Style, Name, MarginL, MarginR, MarginV, Effect, Text\r\n"
        "Dialogue: Marked=0,0:00:01.00,0:00:03.50,Default,,0000,0000,0000,,First\r\n"
        "Dialogue: Marked=0,0:00:04.00,0:00:06.00,Default,,0000,0000,0000,,Second\r\n";
};
