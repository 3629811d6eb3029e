#pragma once
#include <QDialog>

class QFrame;
class QLabel;
class QPushButton;
class QTimer;

// The about box: program and format-file versions, the system's name and the free physical
// memory, refreshed once a second while the box is open. It has no title bar: it is moved by
// dragging its top picture.
class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(QWidget* owner = nullptr);

    void Form_Load();
    void cmdOK_Click();
    void picTop_MouseDown(Qt::MouseButton button);
    void lblWebsite_MouseDown(Qt::MouseButton button);
    void tmrMemo_Timer();
    void ShowMemoStats();

    QLabel* picTop = nullptr;
    QLabel* lblTitle = nullptr;
    QLabel* lblVersion = nullptr;
    QLabel* lblFree = nullptr;
    QLabel* lblFormat = nullptr;
    QLabel* lblOsName = nullptr;
    QLabel* lblMemo = nullptr;
    QLabel* lblWebsite = nullptr;
    QLabel* lblCopyright = nullptr;
    QLabel* lblIcons = nullptr;
    QFrame* linSeparator = nullptr;
    QPushButton* cmdOK = nullptr;
    QTimer* tmrMemo = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The maker's donation page, opened from the box's link.
extern const QString kDonationPage;

// Help > About: shows the box modally over owner.
void ShowAboutBox(QWidget* owner);
