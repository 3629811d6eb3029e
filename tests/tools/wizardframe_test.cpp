// The frame both wizards are built in: the title strip and its icon move the borderless window,
// and a right press moves nothing.
#include "support/drag.h"
#include "tools/ui/frmAudioWizard.h"
#include "tools/ui/frmEmbed.h"
#include "wizard_fixture.h"

#include <QLabel>
#include <QTest>

#include <memory>

namespace {

class WizardFrameTest : public WizardFixture {};

} // namespace

TEST_F(WizardFrameTest, TheTitleStripAndItsIconMoveEitherWizard) {
    OpenFiles();
    auto audio = std::make_unique<frmAudioWizard>(w.get());
    audio->show();
    frmEmbed* embed = ShowEmbedWindow(w.get());
    const QList<std::pair<QWidget*, QWidget*>> handles{{audio->picTop, audio->imgDrag},
                                                       {embed->picTop, embed->imgDrag}};
    for (const auto& [strip, icon] : handles) {
        ASSERT_TRUE(QTest::qWaitForWindowExposed(strip->window()));
        for (QWidget* handle : {strip, icon}) {
            SCOPED_TRACE(qPrintable(handle->window()->objectName() + "." + handle->objectName()));
            EXPECT_EQ(DragHandleBy(handle, QPoint(40, 24)), QPoint(40, 24));
        }
        const QPoint before = strip->window()->pos();
        QTest::mousePress(icon, Qt::RightButton, Qt::NoModifier, QPoint(5, 5));
        QTest::mouseMove(icon, QPoint(30, 30));
        QTest::mouseRelease(icon, Qt::RightButton, Qt::NoModifier, QPoint(30, 30));
        EXPECT_EQ(strip->window()->pos(), before);
    }
    UnloadEmbedWindow();
}
