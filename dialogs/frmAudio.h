#pragma once
// The audio target chooser: asks whether an audio file goes to the audio bar, the player or
// both, before the main window opens one. The choice ends in gAudioChoice (0 when cancelled)
// and is remembered as "AUDIOMODE" for the next time.
#include <QDialog>

#include <cstdint>

class QCheckBox;
class QLabel;
class QPushButton;

class frmAudio : public QDialog {
    Q_OBJECT
public:
    explicit frmAudio(QWidget* owner = nullptr);

    void Form_Load();
    void chkAudio_Click();
    void chkPlayer_Click();
    void cmdOK_Click();
    void cmdCancel_Click();
    void UpdateFormats();

    // chkAudio counts 1, chkPlayer 2.
    uint8_t Mode() const { return mMode; }

    QCheckBox* chkAudio;
    QCheckBox* chkPlayer;
    QLabel* lblTop;
    QLabel* lblFormats;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void TakeBoxes();
    uint8_t mMode = 0;
};

// The formats the mode's targets read ("N/A" when none is chosen).
QString AudioFormatsFor(int mode);

// Shows the chooser modally over owner; gAudioChoice is 0 first and the choice afterwards.
void ShowAudioChooser(QWidget* owner);
