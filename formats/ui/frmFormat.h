#pragma once
// The format settings dialog: the formats whose header the program builds (DVD subtitle script,
// SAMI, SubStation Alpha) in a list, beside it the panel of the chosen one with its header
// settings and, for SAMI and SubStation Alpha, a live sample. A modal window without a title
// bar, dragged by its title. The settings live in the controls until OK writes all of them.
//
// Which format it opens on: gConfigFormatIndex when it is not 0, else gFormatIndex; clicking
// a format makes it gConfigFormatIndex.
#include <QDialog>
#include <QList>

#include <cstdint>

class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

class frmFormat : public QDialog {
    Q_OBJECT
public:
    explicit frmFormat(QWidget* owner = nullptr);

    void Form_Load();
    // Reads the stored settings of all three formats into the controls; a value that cannot
    // be converted leaves its control as it was and is reported once at the end.
    void LoadFormatSettings();
    // Writes the settings of all three formats from the controls.
    void SaveFormatSettings();
    // Brings the shown format's sample up to date with its controls.
    void UpdateSamples();

    void lstFormats_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdReset_Click();
    void cmdSamiFont_Click();
    void cmdSamiColor_Click();
    void cmdSamiBackground_Click();
    void cmdSsaFont_Click();
    void cmdSsaColor_Click();
    void cmdSsaBack_Click();
    void cmbSamiAlign_Click();
    void cmbSsaAlign_Click();
    void cmbSsaStyle_Click();
    void imgSsaCharset_MouseDown(Qt::MouseButton button);
    void lblGetMore_MouseDown(Qt::MouseButton button);

    // The colours the controls hold (0x00BBGGRR).
    static int32_t TextColor(const QWidget* label);
    static int32_t BackColor(const QWidget* picture);
    static void SetTextColor(QWidget* label, int32_t bgr);
    static void SetBackColor(QWidget* picture, int32_t bgr);
    // Offers the colour dialog at a control's text colour (or back colour); a chosen one is taken.
    void PickColor(QWidget* widget, bool back);

    // The format each entry of lstFormats shows (indices into gFormatIds).
    QList<int> mFormatMap;

    QLabel* picTop;
    QLabel* imgDrag;
    QLabel* lblTop;
    QLabel* lblList;
    QListWidget* lstFormats;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
    QPushButton* cmdReset;
    QLabel* lblGetMore;

    QWidget* picDvdSubtitle;
    QLineEdit* txtDvdSubtitleDiscID;
    QLineEdit* txtDvdSubtitleDVDTitle;
    QLineEdit* txtDvdSubtitleLang;
    QLineEdit* txtDvdSubtitleAuthor;
    QLineEdit* txtDvdSubtitleWeb;
    QLineEdit* txtDvdSubtitleInfo;
    QLineEdit* txtDvdSubtitleLicense;
    QLabel* lblDvdSubtitle[7];

    QWidget* picSami;
    QLabel* lblSamiAlign;
    QComboBox* cmbSamiAlign;
    QPushButton* cmdSamiFont;
    QPushButton* cmdSamiColor;
    QPushButton* cmdSamiBackground;
    QFrame* picSamiSample;
    QLabel* lblSamiSample;

    QWidget* picSsa;
    QFrame* picSsaSample;
    QLabel* lblSsaSample;
    QLabel* lblSsaAlign;
    QComboBox* cmbSsaAlign;
    QComboBox* cmbSsaValign;
    QPushButton* cmdSsaFont;
    QPushButton* cmdSsaColor;
    QPushButton* cmdSsaBack;
    QFrame* picSsaBack;
    QLabel* lblSsaBorder;
    QLabel* lblSsaStyle;
    QComboBox* cmbSsaStyle;
    QLabel* lblSsaOutline;
    QLineEdit* txtSsaOutline;
    QLabel* lblSsaShadow;
    QLineEdit* txtSsaShadow;
    QLabel* lblSsaMargins;
    QLabel* lblSsaMarginl;
    QLineEdit* txtSsaMarginl;
    QLabel* lblSsaMarginr;
    QLineEdit* txtSsaMarginr;
    QLabel* lblSsaMarginv;
    QLineEdit* txtSsaMarginv;
    QLabel* lblSsaCharset;
    QLabel* imgSsaCharset;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* BuildDvdPanel();
    QWidget* BuildSamiPanel();
    QWidget* BuildSsaPanel();
    // The shown panel's id ("" when none is shown).
    QString ShownFormatId() const;
    // The sample label's alignment from a horizontal entry (0 left, 1 right, 2 centre).
    static void AlignSample(QLabel* sample, int entry);
    // Caps a number box on leaving it: margins at 1200, outline and shadow at 5.
    void CapNumberBox(QLineEdit* box);
    bool IsNumberBox(const QObject* object) const;
};

// Shows the format settings dialog modally over owner.
void ShowFormatSettings(QWidget* owner);
