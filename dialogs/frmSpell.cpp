#include "dialogs/frmSpell.h"

#include "document/spellbatch.h"

#include "language/lang.h"

#include <QDialogButtonBox>
#include <QEventLoop>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmSpell::frmSpell(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmSpell"));
    setWindowTitle(LangText(259));
    lblNotFound = new QLabel(QStringLiteral("Not in dictionary:"), this);
    lblNotFound->setTextFormat(Qt::PlainText);
    // However long the word, the label asks for no more room: the dialog keeps its size.
    lblNotFound->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    txtContext = new QLineEdit(this);
    txtContext->setObjectName(QStringLiteral("txtContext"));
    txtContext->setReadOnly(true);
    lblChangeTo = new QLabel(QStringLiteral("Change to:"), this);
    txtChangeTo = new QLineEdit(this);
    txtChangeTo->setObjectName(QStringLiteral("txtChangeTo"));
    lstSuggestions = new QListWidget(this);
    lstSuggestions->setObjectName(QStringLiteral("lstSuggestions"));
    connect(lstSuggestions, &QListWidget::currentTextChanged, txtChangeTo, &QLineEdit::setText);
    connect(lstSuggestions, &QListWidget::itemDoubleClicked, this, [this] { Answer(SpellDecision::Change); });

    const auto button = [this](const char* name, const QString& text, SpellDecision::Action action) {
        auto* b = new QPushButton(text, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { Answer(action); });
        return b;
    };
    cmdIgnore = button("cmdIgnore", LangText(70), SpellDecision::Ignore);
    cmdIgnoreAll = button("cmdIgnoreAll", QStringLiteral("I&gnore all"), SpellDecision::IgnoreAll);
    cmdAdd = button("cmdAdd", QStringLiteral("&Add"), SpellDecision::Add);
    cmdChange = button("cmdChange", QStringLiteral("&Change"), SpellDecision::Change);
    cmdChangeAll = button("cmdChangeAll", QStringLiteral("C&hange all"), SpellDecision::ChangeAll);
    cmdCancel = button("cmdCancel", LangText(67), SpellDecision::Cancel);
    cmdChange->setDefault(true);

    auto* grid = new QGridLayout(this);
    grid->addWidget(lblNotFound, 0, 0);
    grid->addWidget(txtContext, 1, 0);
    grid->addWidget(lblChangeTo, 2, 0);
    grid->addWidget(txtChangeTo, 3, 0);
    grid->addWidget(lstSuggestions, 4, 0, 4, 1);
    auto* buttons = new QVBoxLayout;
    for (QPushButton* b : {cmdIgnore, cmdIgnoreAll, cmdAdd, cmdChange, cmdChangeAll, cmdCancel})
        buttons->addWidget(b);
    buttons->addStretch(1);
    grid->addLayout(buttons, 0, 1, 8, 1);
    resize(520, 320);
}

frmSpell::~frmSpell() {
    if (mWaiting) mWaiting->quit();
}

void frmSpell::Answer(SpellDecision::Action action) {
    mDecision.action = action;
    mDecision.replacement = txtChangeTo->text();
    // A change to nothing would delete the word: treat it as leaving the word alone.
    if ((action == SpellDecision::Change || action == SpellDecision::ChangeAll) &&
        mDecision.replacement.isEmpty())
        mDecision.action = SpellDecision::Ignore;
    if (action == SpellDecision::Cancel) {
        reject();
        return;
    }
    // The dialog stays open for the next word.
    if (mWaiting) mWaiting->quit();
}

void frmSpell::reject() {
    mDecision = SpellDecision{SpellDecision::Cancel, QString()};
    QDialog::reject();
    if (mWaiting) mWaiting->quit();
}

void frmSpell::Finish() {
    if (isVisible()) QDialog::accept();
}

void frmSpell::ShowWord() {
    const QString text = QStringLiteral("Not in dictionary: ") + mWord;
    lblNotFound->setText(lblNotFound->fontMetrics().elidedText(text, Qt::ElideRight, lblNotFound->width()));
    lblNotFound->setToolTip(text);
}

void frmSpell::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    ShowWord();
}

SpellDecision frmSpell::Ask(const QString& word, const QStringList& suggestions, const QString& context) {
    mDecision = SpellDecision{SpellDecision::Cancel, QString()};
    mWord = word;
    txtContext->setText(context);
    const qsizetype at = context.indexOf(word);
    if (at >= 0) txtContext->setSelection(int(at), int(word.size()));
    lstSuggestions->clear();
    lstSuggestions->addItems(suggestions);
    txtChangeTo->setText(suggestions.isEmpty() ? word : suggestions.first());
    if (!suggestions.isEmpty()) lstSuggestions->setCurrentRow(0);
    if (!isVisible()) {
        // The first word opens the dialog, modal to the whole program as the check runs.
        setWindowModality(Qt::ApplicationModal);
        show();
    }
    ShowWord();
    cmdChange->setFocus();
    QPointer<frmSpell> self(this);
    QEventLoop waiting;
    mWaiting = &waiting;
    waiting.exec(QEventLoop::DialogExec);
    if (!self) return SpellDecision{SpellDecision::Cancel, QString()};
    mWaiting = nullptr;
    return mDecision;
}

HunspellSpellService::~HunspellSpellService() {
    delete mDialog.data();
}

void HunspellSpellService::EndRun() {
    if (mDialog) mDialog->Finish();
}

std::optional<QString> HunspellSpellService::CheckText(const QString& text, QString* error, bool* cancelled) {
    if (!mChecker) {
        auto checker = std::make_unique<HunspellChecker>();
        QString why;
        const QString wanted = DictionaryForLanguage(gLangIndex);
        if (wanted.isEmpty() || !checker->Load(wanted, &why)) {
            // The UI language has no dictionary here: English stands in.
            if (!checker->Load(QStringLiteral("en_US"), &why)) {
                if (error) *error = why;
                return std::nullopt;
            }
        }
        mChecker = std::move(checker);
    }
    if (!mDialog) mDialog = new frmSpell(mParent);
    return RunSpellSession(
        text, *mChecker,
        [this](const QString& word, const QStringList& suggestions, const QString& context) {
            return mDialog ? mDialog->Ask(word, suggestions, context)
                           : SpellDecision{SpellDecision::Cancel, {}};
        },
        mMemory, cancelled,
        // The batch escapes what a caption holds: the dialog shows the caption as it stands.
        [](const QString& batch, qsizetype at) { return SpellBatchCaption(batch, at); });
}
