// The format settings dialog driven through its controls: the defaults of a first start, the
// stored values it shows, what OK writes (all 27 values), Cancel and Reset, the pickers with
// their limits, the number boxes and the formats it opens on.
#include "formats/reader_fixture.h"
#include "support/fixture.h"

#include "base/settingsstore.h"
#include "formats/formatdefs.h"
#include "formats/formatheader.h"
#include "formats/formatsettings.h"
#include "formats/ui/frmFormat.h"
#include "language/lang.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

#include <map>
#include <memory>

namespace {

const std::map<QString, std::map<QString, QString>> kDefaults{
    {"DVDSUBTITLE",
     {{"discid", ""},
      {"dvdtitle", ""},
      {"lang", "EN"},
      {"author", ""},
      {"web", "http://www.orvalent.com/"},
      {"info", "Created with Quenlark Scrivelle"},
      {"license", ""}}},
    {"SAMI",
     {{"font", "Tahoma"},
      {"size", "18"},
      {"bold", "1"},
      {"italic", "0"},
      {"alignment", "center"},
      {"color", "#FFFF00"},
      {"background", "#000000"}}},
    {"SUBSTATIONALPHA",
     {{"fontname", "Tahoma"},
      {"fontsize", "28"},
      {"bold", "0"},
      {"italic", "0"},
      {"alignment", "2"},
      {"primarycolour", "65535"},
      {"backcolour", "0"},
      {"borderstyle", "1"},
      {"outline", "1"},
      {"shadow", "1"},
      {"marginl", "30"},
      {"marginr", "30"},
      {"marginv", "30"}}},
};

// Every stored value of the three sections (absent ones as "<absent>").
std::map<QString, QString> Stored() {
    std::map<QString, QString> out;
    for (const auto& [id, values] : kDefaults)
        for (const auto& [key, def] : values)
            out[id + "/" + key] = GetSetting(FormatSection(id), key, "<absent>");
    return out;
}

} // namespace

class FormatDialogTest : public FormatsTest {
protected:
    void SetUp() override {
        FormatsTest::SetUp();
        gCharset = 0;
    }
    static int Index(const char* id) { return int(gFormatIds.indexOf(QLatin1String(id))); }
    std::unique_ptr<frmFormat> Open(const char* configId = nullptr) {
        gConfigFormatIndex = configId ? Index(configId) : 0;
        auto d = std::make_unique<frmFormat>();
        d->show();
        return d;
    }
    static void Store(const QString& id, const QString& key, const QString& value) {
        ASSERT_TRUE(SaveSetting(FormatSection(id), key, value));
    }
};

TEST_F(FormatDialogTest, AFirstStartShowsTheDefaultsAndOkWritesAll27Values) {
    auto d = Open("SAMI");
    EXPECT_EQ(d->windowTitle(), "Format Settings");
    EXPECT_EQ(d->lstFormats->count(), 3);
    EXPECT_EQ(d->lstFormats->currentItem()->text(), "SAMI Captioning");
    EXPECT_EQ(d->lblTop->text(), "SAMI Captioning [SMI]");
    EXPECT_EQ(d->txtDvdSubtitleLang->text(), "EN");
    EXPECT_EQ(d->txtDvdSubtitleWeb->text(), kMakerWebAddress);
    // The dialog shows SAMI bold, although a header built before the first OK has no bold.
    EXPECT_TRUE(d->lblSamiSample->font().bold());
    EXPECT_FALSE(BuildFormatHeader("SAMI").contains("bold"));
    EXPECT_EQ(d->cmbSamiAlign->currentText(), "Center");
    EXPECT_EQ(d->cmbSsaAlign->currentText(), "Center");
    EXPECT_EQ(d->cmbSsaValign->currentText(), "Bottom");
    EXPECT_EQ(d->cmbSsaStyle->currentText(), "Outline / Shadow");
    EXPECT_EQ(d->lblSsaCharset->text(), "Charset: 0");
    EXPECT_EQ(msgbox.count(), 0);

    // OK from the SAMI panel alone writes every value of the three formats.
    d->cmdOK_Click();
    std::map<QString, QString> expected;
    for (const auto& [id, values] : kDefaults)
        for (const auto& [key, value] : values)
            expected[id + "/" + key] = value;
    EXPECT_EQ(Stored(), expected);
    EXPECT_EQ(expected.size(), 27u);
    EXPECT_TRUE(BuildFormatHeader("SAMI").contains("font-weight: bold; "));
}

TEST_F(FormatDialogTest, CancelWritesNothingAndResetTouchesOnlyTheShownPanel) {
    Store("SAMI", "font", "Verdana");
    Store("DVDSUBTITLE", "author", "Someone");
    const auto before = Stored();
    auto d = Open("SAMI");
    d->txtDvdSubtitleAuthor->setText("Changed");
    d->cmdCancel_Click();
    EXPECT_EQ(Stored(), before);

    d = Open("SAMI");
    d->cmbSamiAlign->setCurrentIndex(0);
    d->txtSsaMarginl->setText("99");
    d->cmdReset_Click();
    EXPECT_EQ(d->lblSamiSample->font().family(), "Tahoma");
    EXPECT_EQ(d->lblSamiSample->font().pointSizeF(), 18);
    EXPECT_EQ(d->cmbSamiAlign->currentIndex(), 2);
    EXPECT_EQ(frmFormat::TextColor(d->lblSamiSample), 65535);
    EXPECT_EQ(d->txtSsaMarginl->text(), "99");
    EXPECT_EQ(d->txtDvdSubtitleAuthor->text(), "Someone");
    EXPECT_EQ(Stored(), before);

    d = Open("DVDSUBTITLE");
    d->txtDvdSubtitleWeb->setText("x");
    d->cmdReset_Click();
    EXPECT_EQ(d->txtDvdSubtitleAuthor->text(), "");
    EXPECT_EQ(d->txtDvdSubtitleLang->text(), "EN");
    EXPECT_EQ(d->txtDvdSubtitleWeb->text(), kMakerWebAddress);
    EXPECT_EQ(d->txtDvdSubtitleInfo->text(), kDefaultDvdInfo);
    EXPECT_EQ(d->lblSamiSample->font().family(), "Verdana");

    Store("SUBSTATIONALPHA", "alignment", "7");
    Store("SUBSTATIONALPHA", "borderstyle", "3");
    d = Open("SUBSTATIONALPHA");
    d->cmdReset_Click();
    EXPECT_EQ(d->cmbSsaAlign->currentText(), "Center");
    EXPECT_EQ(d->cmbSsaValign->currentText(), "Bottom");
    EXPECT_EQ(d->cmbSsaStyle->currentIndex(), 0);
    EXPECT_TRUE(d->txtSsaOutline->isEnabled());
    EXPECT_EQ(d->lblSsaSample->font().pointSizeF(), 28);
}

TEST_F(FormatDialogTest, StoredValuesAreShown) {
    struct Case {
        QString alignment, horizontal, vertical;
    };
    const Case cases[] = {
        {"7", "Right", "Top"}, {"10", "Center", "Center"}, {"0", "Left", "Bottom"},
        {"4", "", "Bottom"},   {"9", "Left", "Center"},    {"6", "Center", "Top"},
        // Each side of the bounds between bottom, top and centre.
        {"5", "Left", "Top"},  {"8", "", "Top"},           {"1", "Left", "Bottom"},
        {"3", "Right", "Bottom"}, {"12", "", "Center"},
    };
    for (const Case& c : cases) {
        Store("SUBSTATIONALPHA", "alignment", c.alignment);
        auto d = Open("SUBSTATIONALPHA");
        EXPECT_EQ(d->cmbSsaAlign->currentText(), c.horizontal) << qPrintable(c.alignment);
        EXPECT_EQ(d->cmbSsaValign->currentText(), c.vertical) << qPrintable(c.alignment);
    }
    Store("SAMI", "color", "#0C0B0A");
    Store("SAMI", "background", "#ff8001");
    Store("SAMI", "alignment", "Left"); // compared exactly: selects nothing
    Store("SUBSTATIONALPHA", "primarycolour", "255");
    Store("SUBSTATIONALPHA", "borderstyle", "3");
    Store("SUBSTATIONALPHA", "marginv", "12ab");
    gCharset = 204;
    auto d = Open("SUBSTATIONALPHA");
    EXPECT_EQ(frmFormat::TextColor(d->lblSamiSample), 0x0A0B0C);
    EXPECT_EQ(frmFormat::BackColor(d->picSamiSample), 0x0180FF);
    EXPECT_EQ(d->cmbSamiAlign->currentIndex(), -1);
    EXPECT_EQ(frmFormat::TextColor(d->lblSsaSample), 255);
    EXPECT_EQ(d->cmbSsaStyle->currentIndex(), 1);
    EXPECT_EQ(d->lblSsaCharset->text(), "Charset: 204");
    // Opaque background: no outline, shadow or back colour to set.
    for (QWidget* w : std::initializer_list<QWidget*>{d->txtSsaOutline, d->txtSsaShadow, d->cmdSsaBack})
        EXPECT_FALSE(w->isEnabled());
    d->cmbSsaStyle->setCurrentIndex(0);
    EXPECT_TRUE(d->txtSsaOutline->isEnabled());
    d->cmbSsaStyle->setCurrentIndex(1);
    // Pasted text stays as it is and is stored unchanged.
    EXPECT_EQ(d->txtSsaMarginv->text(), "12ab");
    d->cmdOK_Click();
    EXPECT_EQ(GetSetting(FormatSection("SUBSTATIONALPHA"), "marginv"), "12ab");
    EXPECT_EQ(GetSetting(FormatSection("SUBSTATIONALPHA"), "borderstyle"), "3");
    EXPECT_EQ(GetSetting(FormatSection("SAMI"), "color"), "#0C0B0A");
    EXPECT_EQ(GetSetting(FormatSection("SAMI"), "background"), "#FF8001");
}

TEST_F(FormatDialogTest, UnreadableValuesAreReportedOnceAndLeaveTheirControls) {
    Store("SAMI", "size", "big");
    Store("SAMI", "italic", "maybe");
    Store("SUBSTATIONALPHA", "fontsize", "0");
    msgbox.Answer(vbOK);
    auto d = Open("SAMI");
    ASSERT_EQ(msgbox.count(), 1);
    EXPECT_EQ(msgbox.last().text, "Error # 13\nType mismatch");
    EXPECT_EQ(msgbox.last().icon, vbExclamation);
    EXPECT_FALSE(d->lblSamiSample->font().italic());
    EXPECT_GT(d->lblSamiSample->font().pointSizeF(), 0);
    EXPECT_GT(d->lblSsaSample->font().pointSizeF(), 0);
}

TEST_F(FormatDialogTest, PickersChangeTheSamplesWithinTheirLimits) {
    auto d = Open("SUBSTATIONALPHA");
    // Colours: a cancelled dialog changes nothing.
    dialogs.colors = {0x0A0B0C, -1, 0x123456, 0x00FF00};
    d->cmdSamiColor_Click();
    d->cmdSamiBackground_Click();
    d->cmdSsaColor_Click();
    QTest::mouseClick(d->cmdSsaBack, Qt::LeftButton);
    // Fonts: SubStation Alpha from 8 to 48 points, SAMI without a limit.
    tFontSpec big{"DejaVu Sans", 72, 700, true, true};
    tFontSpec tiny{"DejaVu Serif", 4, 400, false, false};
    dialogs.fonts = {big, tiny, std::nullopt};
    d->cmdSamiFont_Click();
    d->cmdSsaFont_Click();
    d->cmdSsaFont_Click(); // cancelled
    EXPECT_EQ(d->picSsaSample->font().family(), "DejaVu Serif");
    d->cmdOK_Click();

    const auto stored = Stored();
    EXPECT_EQ(stored.at("SAMI/color"), "#0C0B0A");
    EXPECT_EQ(stored.at("SAMI/background"), "#000000");
    EXPECT_EQ(stored.at("SUBSTATIONALPHA/primarycolour"), QString::number(0x123456));
    EXPECT_EQ(stored.at("SUBSTATIONALPHA/backcolour"), QString::number(0x00FF00));
    EXPECT_EQ(stored.at("SAMI/font"), "DejaVu Sans");
    EXPECT_EQ(stored.at("SAMI/size"), "72");
    EXPECT_EQ(stored.at("SAMI/bold"), "1");
    EXPECT_EQ(stored.at("SAMI/italic"), "1");
    EXPECT_EQ(stored.at("SUBSTATIONALPHA/fontname"), "DejaVu Serif");
    EXPECT_EQ(stored.at("SUBSTATIONALPHA/fontsize"), "8");
    EXPECT_EQ(stored.at("SUBSTATIONALPHA/bold"), "0");

    d = Open("SUBSTATIONALPHA");
    dialogs.fonts = {big};
    d->cmdSsaFont_Click();
    d->cmbSsaAlign->setCurrentIndex(1);
    d->cmbSsaValign->setCurrentIndex(0);
    d->cmdOK_Click();
    EXPECT_EQ(GetSetting(FormatSection("SUBSTATIONALPHA"), "fontsize"), "48");
    EXPECT_EQ(GetSetting(FormatSection("SUBSTATIONALPHA"), "alignment"), "7");
}

TEST_F(FormatDialogTest, NumberBoxesTakeDigitsAndAreCappedOnLeaving) {
    auto d = Open("SUBSTATIONALPHA");
    d->activateWindow();
    struct Case {
        QLineEdit* box;
        const char* keys;
        const char* typed;
        const char* left;
    };
    const Case cases[] = {
        {d->txtSsaMarginl, "2000", "2000", "1200"}, {d->txtSsaMarginv, "1200", "1200", "1200"},
        {d->txtSsaMarginr, "4x5-", "45", "45"},     {d->txtSsaOutline, "9", "9", "5"},
        {d->txtSsaShadow, "05", "05", "05"},
    };
    for (const Case& c : cases) {
        c.box->clear();
        c.box->setFocus();
        QTest::keyClicks(c.box, c.keys);
        EXPECT_EQ(c.box->text(), c.typed) << c.keys;
        // Leaving the box.
        d->txtDvdSubtitleInfo->setFocus();
        QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
        QApplication::sendEvent(c.box, &out);
        EXPECT_EQ(c.box->text(), c.left) << c.keys;
    }
}

TEST_F(FormatDialogTest, OpensOnTheFormatAskedForOrTheFirst) {
    // From the menu with a current format that has no settings: the first entry.
    gFormatIndex = Index("SUBRIP");
    auto d = Open();
    EXPECT_EQ(d->lstFormats->currentRow(), 0);
    EXPECT_EQ(gConfigFormatIndex, d->mFormatMap[0]);
    // The current format when it has settings.
    gFormatIndex = Index("DVDSUBTITLE");
    d = Open();
    EXPECT_EQ(gFormatIds[gConfigFormatIndex], "DVDSUBTITLE");
    EXPECT_TRUE(d->picDvdSubtitle->isVisible());
    EXPECT_FALSE(d->picSami->isVisible());
    // Clicking an entry shows its panel and makes it the configured format.
    const int sami = d->mFormatMap.indexOf(Index("SAMI"));
    QTest::mouseClick(d->lstFormats->viewport(), Qt::LeftButton, {},
                      d->lstFormats->visualItemRect(d->lstFormats->item(sami)).center());
    EXPECT_EQ(gConfigFormatIndex, Index("SAMI"));
    EXPECT_TRUE(d->picSami->isVisible() && d->picSami->isEnabled());
    EXPECT_FALSE(d->picDvdSubtitle->isVisible() || d->picDvdSubtitle->isEnabled());
    d->cmdCancel_Click();
    EXPECT_EQ(gConfigFormatIndex, Index("SAMI"));
}

TEST_F(FormatDialogTest, LinksAndAnEmptyList) {
    auto d = Open("SUBSTATIONALPHA");
    msgbox.Answer(vbOK).Answer(vbOK);
    QTest::mouseClick(d->imgSsaCharset, Qt::LeftButton);
    QTest::mouseClick(d->lblGetMore, Qt::RightButton);
    ASSERT_EQ(msgbox.count(), 2);
    EXPECT_EQ(msgbox.shown()[0].text, LangText(343));
    EXPECT_EQ(msgbox.shown()[0].title, "Subtitles character set");
    EXPECT_EQ(msgbox.shown()[1].text, LangText(308));
    EXPECT_EQ(msgbox.shown()[1].icon, vbInformation);

    // A catalogue without configurable formats: the dialog opens with nothing to show.
    gFormatIds = {"PLAINTEXT", "SUBRIP"};
    gFormatMax = 1;
    d = Open();
    EXPECT_EQ(d->lstFormats->count(), 0);
    EXPECT_FALSE(d->picDvdSubtitle->isVisible() || d->picSami->isVisible() || d->picSsa->isVisible());
    d->cmdOK_Click();
}

TEST(ColorToHtmlTest, RedGreenBlueAsUpperCaseHex) {
    EXPECT_EQ(ColorToHtml(0), "#000000");
    EXPECT_EQ(ColorToHtml(10), "#0A0000");
    EXPECT_EQ(ColorToHtml(12 | 11 << 8 | 10 << 16), "#0C0B0A");
    EXPECT_EQ(ColorToHtml(65535), "#FFFF00");
    EXPECT_EQ(HtmlToColor("#0C0B0A"), 12 | 11 << 8 | 10 << 16);
    EXPECT_EQ(HtmlToColor("#FFFF00"), 65535);
    EXPECT_EQ(HtmlToColor("red"), 0xED | 0xED << 16);
    EXPECT_EQ(HtmlToColor(""), 0);
}
