// The File menu and the procedures behind it: new documents, opening subtitles, video and
// audio, appending, saving, the save prompt and the recent files.
#include "base/appinfo.h"
#include "base/paths.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "base/toolbox.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/report.h"
#include "document/rules.h"
#include "document/ui/frmReport.h"
#include "formats/formatdefs.h"
#include "formats/reader.h"
#include "formats/writer.h"
#include "language/lang.h"
#include "mainwindow/filecommands.h"
#include "mainwindow/frmMain.h"
#include "dialogs/frmAbout.h"
#include "mainwindow/mainstate.h"
#include "mainwindow/waitcursor.h"
#include "platform/Dialogs.h"
#include "platform/IMediaPlayer.h"
#include "platform/MsgBox.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <QPushButton>

#include <exception>
#include <optional>

namespace {

// A dialog title from a menu text: "Open video file..." -> "Open video file".
QString WithoutDots(QString text) {
    if (text.endsWith(QLatin1String("..."))) text.chop(3);
    return text;
}

QString LastFolder() {
    return ReadSetting(SettingKeys::LastFolder, gAppPath);
}

bool IsSavedDocument() {
    return !gSubFile.isEmpty() && gSubFile != QLatin1String("NEW");
}

// Save writes to the open file itself: a document read from a plain-text file, or from a file
// whose reading told a loss (captions skipped, lines not read, times moved into range, content the
// caption list cannot keep), goes through Save as instead, so that its file is never overwritten
// with what was made of it. So does one that its format cannot write in the encoding its file is
// in: the file never changes its encoding unasked.
bool SavesInPlace() {
    return gFormatIndex != 0 && IsSavedDocument() && !gImportLeftOut &&
           CanKeepFileEncoding(CurrentFormatId());
}

// Something the user could lose: a subtitle with more than one caption, or one caption that
// holds a text or times.
bool DocumentHasContent() {
    if (!IsDocumentGrid()) return false;
    if (CaptionCount() >= 2) return true;
    return !GetLineText(1).trimmed().isEmpty() || IsLineTimed(1);
}

} // namespace

// --- The save prompt and saving ---

bool frmMain::PromptForSave() {
    if (!gModified || !DocumentHasContent()) return true;
    const int answer = MsgBox(LangText(161), vbYesNoCancel + vbQuestion, kProductName);
    if (answer == vbYes) {
        // The document may be dropped only once it is safely written.
        return SavesInPlace() ? SaveTextFile() : SaveTextFileAs();
    }
    return answer == vbNo;
}

bool frmMain::SaveTextFile() {
    if (IsDocumentBusy()) return false;
    const int captions = CaptionCount();
    int count = captions;
    if (const int first = FirstUntimedCaption(); first > 0) {
        count = first - 1;
        const int answer =
            MsgBox(LangText(80) + QStringLiteral("\n\n") + LangText(81), vbYesNo + vbQuestion, kProductName);
        if (answer == vbYes) count = captions;
    }
    // Plain text keeps every caption whatever it is asked: nothing is left out.
    if (WritesEveryCaption(CurrentFormatId())) count = captions;
    if (count == 0) {
        // An empty file in place of the old one would only lose what it held.
        MsgBox(LangText(80) + QStringLiteral("\n\n") + LangText(177), vbExclamation, kProductName);
        return false;
    }

    UnloadReportWindow();
    // Times no file holds are written as the largest one: said once the file is written.
    const int beyond = ReadFormatIni(CurrentFormatId(), QStringLiteral("timecode")) == QLatin1String("n/a")
                           ? 0
                           : TimesBeyondLimit(count);
    bool written = false;
    bool refused = false;
    {
        // The writer lets window events run while it shows its status.
        DocumentBusyGuard busy;
        written = SaveSubtitleFile(count, &refused);
    }
    // What the file's encoding cannot hold goes to a file of the user's choosing.
    if (refused) return SaveTextFileAs();
    if (!written) return false;
    if (beyond > 0) MsgBox(TimesBeyondLimitText(beyond), vbExclamation, kProductName);
    // The captions left out are still not in any file.
    if (count < captions) gModified = true;
    SavePath(gSubFile);
    WriteSetting(SettingKeys::TFileName, gSubFile);
    ShowRecentEntry(mnuTFileName, gSubFile);
    UpdateFileLabels(false);
    return true;
}

bool frmMain::SaveTextFileAs() {
    if (IsDocumentBusy()) return false;
    CloseSideWindows();
    // The document keeps its format until it is written in another one: a later Save must not
    // write the old file in a format chosen for a Save as that never happened.
    const int previousFormat = gFormatIndex;
    const float previousFPS = gFPS;
    const auto keepFormat = [&] {
        gFormatIndex = previousFormat;
        gFPS = previousFPS;
    };
    if (showExportDialog && !showExportDialog()) return false;

    const QString id = CurrentFormatId();
    const QString target = ChooseSaveAsPath(id);
    if (target.isEmpty()) {
        keepFormat();
        return false;
    }

    const QString previous = gSubFile;
    const tFileEncoding previousEncoding = gSubEncoding;
    gSubFile = target;
    // A file written anew is in the format's own encoding.
    gSubEncoding = {};
    if (SaveTextFile()) {
        // The file now holds what the document holds: Save may write it again.
        gImportLeftOut = false;
        return true;
    }
    // Not written: the document still belongs where it came from.
    gSubFile = previous;
    gSubEncoding = previousEncoding;
    keepFormat();
    UpdateFileLabels(false);
    return false;
}

QString frmMain::ChooseSaveAsPath(const QString& id) {
    const QString title = WithoutDots(LangText(45));
    // The answer may still get the format's extension: the question is about that name.
    return ChooseSaveTarget(
        this, SaveAsFilter(id), title, LastFolder(), DefaultSaveName(gSubFile, gVideoFile, id),
        [&id](const QString& answer) { return WithFormatExtension(answer, id); }, title);
}

void frmMain::SavePath(const QString& path) {
    WriteSetting(SettingKeys::LastFolder, FolderOfPath(path));
}

// --- Loading ---

bool frmMain::ReadSubtitle(const QString& path, bool append) {
    gImportTruncated = false;
    ImportSubtitleFile(path, false, append);
    return !gImportTruncated;
}

bool frmMain::LoadTextFile(const QString& path) {
    if (IsDocumentBusy()) return false;
    if (!FileExists(path)) {
        MsgBox(LangText(157, path), vbCritical, kProductName);
        return false;
    }
    UnloadReportWindow();

    bool loaded = false;
    try {
        // Nothing the user does while the file is read may change the document under the reader.
        DocumentBusyGuard busy;
        WaitCursor cursor;
        gSubFile = path;
        gAbortLoad = false;
        grdSubs().SetEnabled(false);
        gWasPlaying = WMP->playState() == kPlayStatePlaying;
        if (gWasPlaying) WMP->pause();

        UpdateFileLabels(true);
        ResetGrid(true);
        ResetReportLists();
        const bool whole = ReadSubtitle(path, false);

        SavePath(gSubFile);
        WriteSetting(SettingKeys::TFileName, gSubFile);
        ShowRecentEntry(mnuTFileName, gSubFile);
        gModified = false;
        if (gWasPlaying) WMP->play();

        if (gAbortLoad || (grdSubs().Rows() == 2 && GetLineText(1).trimmed().isEmpty())) {
            gSubFile.clear();
            ResetGrid(false);
            gAbortLoad = false;
            ResetControls();
        } else {
            // Only part of the file was read: the document is a new one, so that no plain Save
            // writes the part over the whole.
            if (!whole) gSubFile = QStringLiteral("NEW");
            SelectLine(1, false);
            ResetControls();
            loaded = true;
        }
    } catch (const std::exception& e) {
        MsgBox(LangText(119) + QStringLiteral("\n\nError # 0\n") + QString::fromLocal8Bit(e.what()),
               vbExclamation, kProductName);
    }
    if (!loaded) return false;

    QApplication::processEvents();
    if (!gVideoFile.isEmpty() && WMP->playState() == kPlayStatePlaying) cmdApply->setEnabled(true);
    if (gApplyWhen != 1) ApplyRulesAndReport(this, true);
    return true;
}

void frmMain::LoadVideoFile(const QString& path) {
    if (IsDocumentBusy()) return;
    if (RefuseVideoFile(path)) return;
    UnloadReportWindow();
    gVideoFile = path;
    mVideoOpening = path;
    mRecentVideoBefore = ReadSetting(SettingKeys::VFileName);
    mVideoFailed = false;
    WMP->setURL(path);
    // The player may refuse the media at once; then it is forgotten already.
    if (mVideoFailed) return;
    ResetControls();
    // An address has no folder to start the next dialog in.
    if (!IsMediaAddress(path)) SavePath(gVideoFile);
    WriteSetting(SettingKeys::VFileName, gVideoFile);
    ShowRecentEntry(mnuVFileName, gVideoFile);
}

void frmMain::OnMediaError(const QString&) {
    if (gVideoFile.isEmpty()) return;
    MsgBox(LangText(50), vbExclamation, kProductName);
    ForgetFailedVideo();
}

void frmMain::LoadAudioFile(const QString& path) {
    if (IsDocumentBusy()) return;
    if (!FileExists(path)) {
        MsgBox(LangText(157, path), vbCritical, kProductName);
        return;
    }
    SavePath(path);
    WriteSetting(SettingKeys::AFileName, path);
    ShowRecentEntry(mnuAFileName, path);

    if (gAudioChoice == 2 || gAudioChoice == 3) {
        UnloadReportWindow();
        gVideoFile = path;
        WMP->setURL(path);
        ResetControls();
    }
    if ((gAudioChoice == 1 || gAudioChoice == 3) && loadWave) loadWave(path);

    if (!gWaveFile.isEmpty() && !gSubFile.isEmpty() && gOnShowWaveSelection) {
        const int row = grdSubs().Row();
        gOnShowWaveSelection(GetLineStart(row), GetLineEnd(row));
    }
}

QString frmMain::GetOpenSubtitleName() {
    const QString path = ShowOpen(this, SubtitleOpenFilter(), WithoutDots(LangText(59)), LastFolder());
    return path.trimmed().isEmpty() ? QString() : path;
}

bool frmMain::AskAudioChoice() {
    gAudioChoice = 0;
    if (showAudioChooser)
        showAudioChooser();
    else
        gAudioChoice = 2;
    return gAudioChoice != 0;
}

// --- Menu commands ---

void frmMain::mnuFile_Click() {
    const QMimeData* data = QApplication::clipboard()->mimeData();
    mnuNewClip->setEnabled(data && data->hasText() && !data->text().isEmpty());
}

bool frmMain::NewDocument() {
    if (IsDocumentBusy()) return false;
    CloseSideWindows();
    if (!PromptForSave()) return false;
    gFPS = 0;
    gSubFile = QStringLiteral("NEW");
    gAppendOffset = 0;
    ResetGrid(true);
    ResetReportLists();
    ResetControls();
    if (const int subrip = int(gFormatIds.indexOf(QStringLiteral("SUBRIP"))); subrip >= 0)
        gFormatIndex = subrip;
    if (WMP->playState() == kPlayStatePlaying) cmdApply->setEnabled(true);
    gModified = false;
    return true;
}

void frmMain::mnuNew_Click() {
    NewDocument();
}

void frmMain::mnuNewClip_Click() {
    if (!NewDocument()) return;
    const std::vector<tSubtitleLine> lines = ClipboardCaptions(QApplication::clipboard()->text());
    if (!lines.empty() && FillLines(0, lines)) gModified = true;
    SelectLine(1, false);
}

void frmMain::mnuOpenText_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    if (!PromptForSave()) return;
    const QString path = GetOpenSubtitleName();
    if (!path.isEmpty()) LoadTextFile(path);
}

void frmMain::mnuOpenVideo_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    WriteSetting(SettingKeys::Volume, WMP->volume());
    const QString path = ShowOpen(this, VideoOpenFilter(), WithoutDots(LangText(60)), LastFolder());
    if (!path.trimmed().isEmpty()) LoadVideoFile(path);
}

void frmMain::mnuOpenURL_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    WriteSetting(SettingKeys::Volume, WMP->volume());
    bool ok = false;
    const QString answer =
        Dialogs().InputBox(this, LangText(354), WithoutDots(LangText(353)), QString(), &ok);
    if (ok && !answer.trimmed().isEmpty()) LoadVideoFile(answer.trimmed());
}

void frmMain::mnuOpenWav_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    if (!AskAudioChoice()) return;
    const QString path =
        ShowOpen(this, AudioOpenFilter(gAudioChoice), WithoutDots(LangText(61)), LastFolder());
    if (!path.trimmed().isEmpty()) LoadAudioFile(path);
}

void frmMain::mnuAppend_Click() {
    if (IsDocumentBusy()) return;
    if (gVideoFile.isEmpty()) {
        MsgBox(LangText(73), vbExclamation, kProductName);
        return;
    }
    const QString path = GetOpenSubtitleName();
    if (path.isEmpty()) return;
    UnloadReportWindow();
    ResetReportLists();
    const int before = CaptionCount();
    {
        DocumentBusyGuard busy;
        ReadSubtitle(path, true);
    }
    SavePath(path);
    // The appended captions are in no file yet.
    if (CaptionCount() != before) gModified = true;
}

void frmMain::mnuSave_Click() {
    if (IsDocumentBusy()) return;
    if (SavesInPlace())
        SaveTextFile();
    else
        SaveTextFileAs();
}

void frmMain::mnuSaveAs_Click() {
    SaveTextFileAs();
}

void frmMain::mnuClose_Click() {
    if (IsDocumentBusy()) return;
    if (PromptForSave()) CloseAll();
}

void frmMain::mnuExit_Click() {
    close();
}

void frmMain::mnuTFileName_Click() {
    if (IsDocumentBusy()) return;
    CloseSideWindows();
    if (PromptForSave()) LoadTextFile(ReadSetting(SettingKeys::TFileName));
}

void frmMain::mnuVFileName_Click() {
    LoadVideoFile(ReadSetting(SettingKeys::VFileName));
}

void frmMain::mnuAFileName_Click() {
    if (IsDocumentBusy()) return;
    if (AskAudioChoice()) LoadAudioFile(ReadSetting(SettingKeys::AFileName));
}

void frmMain::mnuRules_Click() {
    ApplyRulesAndReport(this);
}

void frmMain::mnuReport_Click() {
    if (gRulesHooks.unloadSideWindows) gRulesHooks.unloadSideWindows();
    ShowReportWindow(this);
}

void frmMain::mnuAbout_Click() {
    ShowAboutBox(this);
}

void frmMain::mnuWebsite_Click() {
    OpenWebsite();
}
