#pragma once
// The time-shift window ("Set delay"): moves every timed caption of the document earlier or
// later by an amount chosen with three scroll bars (minutes, seconds, hundredths of a second).
// Modal and borderless; shows what the selected caption's start (gSelStart) would become and
// asks before it pushes any caption below zero.
#include <QDialog>

#include <cstdint>

class QFrame;
class QLabel;
class QPushButton;
class QScrollBar;

class frmDelay : public QDialog {
    Q_OBJECT
public:
    explicit frmDelay(QWidget* owner = nullptr);

    void Form_Load();
    void sldMin_Change();
    void sldSec_Change();
    void sldMs_Change();
    void GetResult();
    void cmdApply_Click();
    void cmdCancel_Click();

    // The shift in milliseconds the bars give.
    int64_t Delay() const { return mDelay; }

    QLabel* picTop;
    QLabel* imgDrag;
    QLabel* lblTop;
    QFrame* fraInfo;
    QScrollBar* sldMin;
    QScrollBar* sldSec;
    QScrollBar* sldMs;
    QLabel* lblMin;
    QLabel* lblSec;
    QLabel* lblMs;
    QLabel* lblResult;
    QLabel* lblDetail;
    QPushButton* cmdApply;
    QPushButton* cmdCancel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // A bar's label: the value, a space and the unit.
    static QString UnitText(int value, int singular, int plural);

    int64_t mDelay = 0;
};
