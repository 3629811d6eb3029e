#include "dialogs/frmReplace.h"

#include "language/lang.h"

#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

frmReplace::frmReplace(QWidget* owner) : FindWindowBase(owner, 432) {
    setObjectName(QStringLiteral("frmReplace"));

    fraReplace = new QGroupBox(LangText(434), this);
    fraReplace->setObjectName(QStringLiteral("fraReplace"));
    txtReplace = new QLineEdit(fraReplace);
    txtReplace->setObjectName(QStringLiteral("txtReplace"));
    auto* replaceBox = new QVBoxLayout(fraReplace);
    replaceBox->addWidget(txtReplace);
    mBoxes->insertWidget(1, fraReplace);

    cmdReplace = new QPushButton(LangText(432), this);
    cmdReplace->setObjectName(QStringLiteral("cmdReplace"));
    cmdReplace->setEnabled(false);
    cmdReplaceAll = new QPushButton(LangText(433), this);
    cmdReplaceAll->setObjectName(QStringLiteral("cmdReplaceAll"));
    cmdReplaceAll->setEnabled(false);
    mButtons->insertWidget(1, cmdReplace);
    mButtons->insertWidget(2, cmdReplaceAll);
    setTabOrder(txtFind, txtReplace);

    connect(cmdReplace, &QPushButton::clicked, this, &frmReplace::cmdReplace_Click);
    connect(cmdReplaceAll, &QPushButton::clicked, this, &frmReplace::cmdReplaceAll_Click);
}

void frmReplace::SearchTextChanged(bool hasText) {
    cmdReplace->setEnabled(hasText);
    cmdReplaceAll->setEnabled(hasText);
}

void frmReplace::cmdReplace_Click() {
    Search(true, false, txtReplace->text());
}

void frmReplace::cmdReplaceAll_Click() {
    Search(true, true, txtReplace->text());
}
