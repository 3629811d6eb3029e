// The export dialog driven through its controls: the catalogue with the current format marked,
// SubRip offered for plain text, the properties of each format, the frame-rate box and its
// check, and that nothing but OK changes the document's format or frame rate.
#include "formats/reader_fixture.h"
#include "support/fixture.h"
#include "support/modal.h"

#include "formats/formatdefs.h"
#include "formats/ui/frmExport.h"
#include "formats/ui/frmFormat.h"
#include "language/lang.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <memory>

class ExportDialogTest : public FormatsTest {
protected:
    static int Index(const char* id) { return int(gFormatIds.indexOf(QLatin1String(id))); }
    // A dialog shown (not modal) so that closing it can be seen.
    std::unique_ptr<frmExport> Open() {
        auto d = std::make_unique<frmExport>();
        d->show();
        return d;
    }
    static void Choose(frmExport& d, const char* id) { d.cboFormats->setCurrentIndex(Index(id)); }
};

TEST_F(ExportDialogTest, ListsTheCatalogueAndOffersSubRipForADocumentWithoutAFormat) {
    gFormatIndex = 0;
    gFPS = 0;
    auto d = Open();
    EXPECT_EQ(d->windowTitle(), "Save as");
    EXPECT_EQ(d->cboFormats->count(), gFormatMax + 1);
    EXPECT_EQ(d->lblTotal->text(), "Total formats supported: " + QString::number(gFormatMax + 1));
    EXPECT_EQ(d->cboFormats->itemText(0), "Plain text [txt] (current)");
    EXPECT_EQ(d->cboFormats->currentIndex(), Index("SUBRIP"));
    EXPECT_EQ(d->cboFormats->currentText(), "SubRip [srt]");
    EXPECT_EQ(d->cmbFPS->currentText(), "25");
    // Only OK makes the choice the document's: Cancel and the close box leave it.
    d->cmdCancel_Click();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(gFormatIndex, 0);
    d = Open();
    Choose(*d, "MICRODVD");
    d->cmbFPS->setEditText("29,97");
    d->close();
    EXPECT_EQ(d->result(), QDialog::Rejected);
    EXPECT_EQ(gFormatIndex, 0);
    EXPECT_EQ(gFPS, 0.0f);

    // A document in a format of its own keeps it selected, with its frame rate.
    gFormatIndex = Index("MICRODVD");
    gFPS = 23.976f;
    d = Open();
    EXPECT_EQ(d->cboFormats->currentIndex(), gFormatIndex);
    EXPECT_TRUE(d->cboFormats->currentText().endsWith(" (current)"));
    EXPECT_EQ(d->cmbFPS->currentText(), "23,976");
    d->cmdOK_Click();
    EXPECT_EQ(d->result(), QDialog::Accepted);
    EXPECT_EQ(gFPS, 23.976f);
}

TEST_F(ExportDialogTest, ShowsEachFormatsProperties) {
    struct Case {
        const char* id;
        QString mode, timecode, header;
        bool fps, bold, italic, underline, configure;
    };
    const Case cases[] = {
        {"SUBRIP", "Time", "hh:mm:ss,zzz", "No", false, true, true, true, false},
        {"SUBSTATIONALPHA", "Time", "h:mm:ss.zz", "Yes", false, true, true, false, true},
        {"SAMI", "Time", "milliseconds", "Yes", false, true, true, true, true},
        {"MICRODVD", "FPS (Frames)", "N/A", "No", true, true, true, true, false},
        {"SONICSCENARIST", "Time+FPS", "hh:mm:ss:ff", "No", true, false, false, false, false},
        {"PLAINTEXT", "n/a", "n/a", "No", false, false, false, false, false},
    };
    auto d = Open();
    for (const Case& c : cases) {
        Choose(*d, c.id);
        EXPECT_EQ(d->lblMode2->text(), c.mode) << c.id;
        EXPECT_EQ(d->lblTimecode2->text(), c.timecode) << c.id;
        EXPECT_EQ(d->lblHeader2->text(), c.header) << c.id;
        EXPECT_EQ(d->cmbFPS->isEnabled(), c.fps) << c.id;
        EXPECT_EQ(d->lblFPS->isEnabled(), c.fps) << c.id;
        EXPECT_EQ(d->imgBold->isVisible(), c.bold) << c.id;
        EXPECT_EQ(d->imgItalic->isVisible(), c.italic) << c.id;
        EXPECT_EQ(d->imgUnderline->isVisible(), c.underline) << c.id;
        EXPECT_EQ(d->lblTags->isEnabled(), c.bold || c.italic || c.underline) << c.id;
        EXPECT_EQ(d->cmdConfigure->isEnabled(), c.configure) << c.id;
    }
    // A time-based format has no frame rate, whatever the box says.
    gFPS = 25;
    Choose(*d, "SUBRIP");
    d->cmdOK_Click();
    EXPECT_EQ(gFormatIndex, Index("SUBRIP"));
    EXPECT_EQ(gFPS, 0.0f);
}

TEST_F(ExportDialogTest, FrameRatesAreCheckedWhole) {
    struct Case {
        const char* text;
        std::optional<float> fps;
    };
    const Case cases[] = {
        {"29.97", 29.97f}, {"29,97", 29.97f}, {"23,976", 23.976f}, {"23.976", 23.976f}, {"15", 15.0f},
        {"30", 30.0f},     {" 25 ", 25.0f},   {"14", {}},          {"31", {}},          {"30,5", {}},
        {"14,99", {}},     {"25abc", {}},     {"2,5,0", {}},       {",5", {}},          {"29:97", {}},
        {"", {}},          {"1e1", {}},       {"-25", {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ParseFrameRate(c.text), c.fps) << c.text;
        gFormatIndex = Index("SUBRIP");
        gFPS = 0;
        auto d = Open();
        Choose(*d, "MICRODVD");
        d->cmbFPS->setEditText(c.text);
        if (!c.fps) msgbox.Answer(vbOK);
        d->cmdOK_Click();
        if (c.fps) {
            EXPECT_EQ(d->result(), QDialog::Accepted) << c.text;
            EXPECT_EQ(gFPS, *c.fps) << c.text;
            EXPECT_EQ(gFormatIndex, Index("MICRODVD"));
        } else {
            // Refused: the dialog stays open and the document keeps its format.
            EXPECT_TRUE(d->isVisible()) << c.text;
            EXPECT_EQ(msgbox.last().text, LangText(323));
            EXPECT_EQ(msgbox.last().title, LangText(7));
            EXPECT_EQ(msgbox.last().icon, vbCritical);
            EXPECT_EQ(gFormatIndex, Index("SUBRIP")) << c.text;
            EXPECT_EQ(gFPS, 0.0f);
        }
    }
}

TEST_F(ExportDialogTest, TheFrameRateBoxTakesDigitsAndOneDecimalComma) {
    auto d = Open();
    Choose(*d, "MICRODVD");
    QLineEdit* edit = d->cmbFPS->lineEdit();
    struct Case {
        const char* keys;
        const char* text;
    };
    const Case cases[] = {
        {"29.97", "29,97"},    // a point becomes the comma
        {"23,9,76", "23,976"}, // a second comma is refused
        {"2a5 x", "25"},       // letters and blanks are refused
        {"23,9761", "23,976"}, // six characters are the most
    };
    for (const Case& c : cases) {
        edit->clear();
        d->cmbFPS->setFocus();
        // Keys go to the box, as the keyboard's do.
        QTest::keyClicks(d->cmbFPS, c.keys);
        EXPECT_EQ(edit->text(), c.text) << c.keys;
    }
    QTest::keyClick(d->cmbFPS, Qt::Key_Backspace);
    EXPECT_EQ(edit->text(), "23,97");
    // A selection may be typed over whatever the length.
    edit->setText("23,976");
    edit->selectAll();
    QTest::keyClicks(d->cmbFPS, "29.97");
    EXPECT_EQ(edit->text(), "29,97");
}

TEST_F(ExportDialogTest, ConfigureOpensTheChosenFormatsSettings) {
    auto d = Open();
    Choose(*d, "SAMI");
    int shown = -1;
    bool samiPanel = false;
    OnModal<frmFormat>([&](frmFormat* f) {
        shown = gConfigFormatIndex;
        samiPanel = f->picSami->isVisible() && f->picSami->isEnabled() && !f->picSsa->isVisible();
        f->cmdCancel_Click();
    });
    QTest::mouseClick(d->cmdConfigure, Qt::LeftButton);
    EXPECT_EQ(shown, Index("SAMI"));
    EXPECT_TRUE(samiPanel);
    EXPECT_EQ(gConfigFormatIndex, 0);
    // The export dialog is still open on its choice.
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(d->cboFormats->currentIndex(), Index("SAMI"));
}
