#pragma once
// The export dialog that Save as shows before the file dialog: the output format from the whole
// catalogue, with its properties (time mode, time pattern, generated header, styles), and the
// frame rate for frame-based formats. Formats with a generated header can be configured from
// here (the format settings dialog).
//
// The dialog works on its own copies: gFormatIndex and gFPS change only when OK closes it.
#include <QDialog>

#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;

class frmExport : public QDialog {
    Q_OBJECT
public:
    explicit frmExport(QWidget* owner = nullptr);

    void Form_Load();
    // Shows the properties of list entry index (nothing for a negative index).
    void UpdateFormatInfo(int index);
    void cboFormats_Click();
    // Commits the chosen format and frame rate and closes; a frame rate out of range keeps the
    // dialog open with a message.
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdConfigure_Click();

    QLabel* lblTop;
    QComboBox* cboFormats;
    QLabel* lblTotal;
    QGroupBox* fraFormat;
    QLabel* lblMode;
    QLabel* lblMode2;
    QLabel* lblTimecode;
    QLabel* lblTimecode2;
    QLabel* lblHeader;
    QLabel* lblHeader2;
    QLabel* lblTags;
    QLabel* imgBold;
    QLabel* imgItalic;
    QLabel* imgUnderline;
    QLabel* lblFPS;
    QComboBox* cmbFPS;
    QPushButton* cmdConfigure;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The frame-rate box's key filter; true when the key is refused.
    bool cmbFPS_KeyPress(class QKeyEvent* event);
};

// The frame rate typed into the export dialog: the whole text a number from 15 to 30, with
// "," or "." as the decimal point ("29,97", "29.97", "23,976"); nothing for anything else.
std::optional<float> ParseFrameRate(const QString& text);
// A frame rate as the dialog shows it, with "," as the decimal point ("23,976", "25").
QString FrameRateText(float fps);

// Shows the export dialog modally over owner. True when OK chose gFormatIndex and gFPS.
bool ShowExportDialog(QWidget* owner);
