// The scripted message box that every other test relies on must itself catch mistakes.
#include "fakes.h"

#include <gtest/gtest-spi.h>

namespace {

TEST(ScriptedMsgBoxContract, AnswersInOrderAndRecords) {
    ScriptedMsgBox box;
    box.Answer(vbNo).Answer(vbCancel);
    EXPECT_EQ(MsgBox("first?", vbYesNo + vbExclamation + vbDefaultButton2), vbNo);
    EXPECT_EQ(MsgBox("second?", vbYesNoCancel + vbQuestion, "T"), vbCancel);
    ASSERT_EQ(box.count(), 2);
    EXPECT_EQ(box.shown()[0].text, "first?");
    EXPECT_EQ(box.shown()[0].title, "Quenlark Scrivelle");
    EXPECT_EQ(box.shown()[0].buttons, vbYesNo);
    EXPECT_EQ(box.shown()[0].icon, vbExclamation);
    EXPECT_EQ(box.shown()[0].defaultIndex, 1);
    EXPECT_EQ(box.shown()[1].title, "T");
}

TEST(ScriptedMsgBoxContract, UnscriptedBoxFailsTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedMsgBox box;
            MsgBox("surprise", vbOKOnly);
        },
        "unscripted message box: surprise");
}

TEST(ScriptedMsgBoxContract, LeftoverAnswersFailTheTest) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedMsgBox box;
            box.Answer(vbYes);
        },
        "never used");
}

TEST(ScriptedMsgBoxContract, AnswerThatIsNotAButtonFails) {
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedMsgBox box;
            box.Answer(vbYes);
            MsgBox("ok only", vbOKOnly);
        },
        "is not a button");
}

} // namespace
