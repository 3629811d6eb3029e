// The output file both wizards choose through the save dialog: the name gets the output's
// extension after the dialog, so the question before replacing a file is about that name,
// asked once, and a refusal leaves the file as it was.
#include "base/toolbox.h"
#include "language/lang.h"
#include "tools/ui/frmAudioWizard.h"
#include "tools/ui/frmEmbed.h"
#include "wizard_fixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <memory>

namespace {

class WizardSaveTargetTest : public WizardFixture {};

// One wizard on its output page, seen through what the test drives.
struct OutputPage {
    QWidget* window = nullptr;
    QPushButton* save = nullptr;
    QPushButton* next = nullptr;
    QLineEdit* box = nullptr;
    int* step = nullptr;
    int page = 0; // the output page's number
};

enum class Typed { Bare, WithExtension, OtherCase };

} // namespace

TEST_F(WizardSaveTargetTest, TheQuestionIsAboutTheNameReallyWrittenAndAskedOnce) {
    OpenFiles();
    // The run a Yes starts fails at once; nothing waits for a tool.
    EnvVar mode("SCRIVELLE_FAKETOOL_MODE", "fail");
    const QByteArray old = "old output";
    std::unique_ptr<frmAudioWizard> audio;
    struct Wizard {
        const char* name;
        QString ext;
        std::function<OutputPage()> open;
        std::function<void()> close;
    };
    const Wizard wizards[] = {
        {"burn-in", ".avi",
         [&] {
             frmEmbed* dlg = ShowEmbedWindow(w.get());
             return OutputPage{dlg, dlg->cmdSave, dlg->cmdNext, dlg->txtSave, &dlg->m_Step, 2};
         },
         [] { UnloadEmbedWindow(); }},
        {"audio", ".wav",
         [&] {
             audio = std::make_unique<frmAudioWizard>(w.get());
             audio->show();
             return OutputPage{audio.get(),    audio->cmdSave, audio->cmdNext,
                               audio->txtSave, &audio->m_Step, 3};
         },
         [&] { audio.reset(); }},
    };
    int n = 0;
    for (const Wizard& wizard : wizards) {
        for (Typed typed : {Typed::Bare, Typed::WithExtension, Typed::OtherCase}) {
            for (bool exists : {false, true}) {
                for (int reply : {vbYes, vbNo}) {
                    if (!exists && reply == vbNo) continue; // nothing to answer
                    const QString dir = TempPath(QStringLiteral("case%1/").arg(n++));
                    QDir().mkpath(dir);
                    const QString written = dir + "victim" + wizard.ext;
                    const QString answer = dir + "victim" +
                                           (typed == Typed::Bare            ? QString()
                                            : typed == Typed::WithExtension ? wizard.ext
                                                                            : wizard.ext.toUpper());
                    SCOPED_TRACE(qPrintable(QStringLiteral("%1: %2, %3")
                                                .arg(wizard.name, GetFileName(answer),
                                                     !exists          ? "new"
                                                     : reply == vbYes ? "exists, Yes"
                                                                      : "exists, No")));
                    if (exists) {
                        QFile file(written);
                        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
                        file.write(old);
                    }
                    const OutputPage page = wizard.open();
                    while (*page.step < page.page) {
                        const int step = *page.step;
                        QTest::mouseClick(page.next, Qt::LeftButton);
                        ASSERT_EQ(*page.step, step + 1);
                    }
                    const QString before = page.box->text();
                    const bool refused = exists && reply == vbNo;
                    dialogs.calls.clear();
                    dialogs.paths.push_back(answer);
                    if (refused) dialogs.paths.push_back(QString()); // the dialog again: cancelled
                    if (exists) msgbox.Answer(reply);
                    const int shownBefore = msgbox.count();

                    QTest::mouseClick(page.save, Qt::LeftButton);

                    // One question, by the wizard, about the file that would be written.
                    QStringList asked;
                    for (int i = shownBefore; i < msgbox.count(); ++i) {
                        EXPECT_EQ(msgbox.shown()[i].buttons, vbYesNo);
                        EXPECT_EQ(msgbox.shown()[i].defaultIndex, 1);
                        asked << msgbox.shown()[i].text;
                    }
                    EXPECT_EQ(asked, exists ? QStringList{LangText(414, written)} : QStringList{});
                    EXPECT_EQ(msgbox.pending(), 0);
                    EXPECT_TRUE(dialogs.paths.empty());
                    dialogs.paths.clear();
                    for (const FakeDialogs::Call& call : dialogs.calls)
                        EXPECT_FALSE(call.confirmOverwrite);
                    if (refused) {
                        // The refused name is offered again; cancelling keeps the old choice.
                        EXPECT_EQ(dialogs.calls.size(), 2);
                        EXPECT_EQ(dialogs.calls.value(1).folder, dir);
                        EXPECT_EQ(dialogs.calls.value(1).defaultText, GetFileName(written));
                        EXPECT_EQ(page.box->text(), before);
                    } else {
                        EXPECT_EQ(dialogs.calls.size(), 1);
                        EXPECT_EQ(page.box->text(), written);
                        // Next takes the agreed name without asking a second time.
                        const int shown = msgbox.count();
                        QTest::mouseClick(page.next, Qt::LeftButton);
                        EXPECT_EQ(msgbox.count(), shown);
                        EXPECT_EQ(*page.step, page.page + 1);
                    }
                    if (refused) {
                        EXPECT_EQ(ReadFileBytes(written), old);
                    }
                    wizard.close();
                }
            }
        }
    }
}
