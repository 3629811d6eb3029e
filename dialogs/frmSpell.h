#pragma once
#include "platform/SpellService.h"

#include <QDialog>
#include <QPointer>

class QEventLoop;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The spelling dialog: one unknown word, the line it stands in, suggestions, and what to do.
// It opens with the first word and stays open, in its place and at its size, from one word to
// the next (a user clicking Change must not hit another button because the dialog moved), until
// Cancel, its close button, or Finish at the end of the check.
class frmSpell : public QDialog {
    Q_OBJECT
public:
    explicit frmSpell(QWidget* parent = nullptr);
    ~frmSpell() override;
    // Shows the word and waits for the user's answer (Cancel when the dialog is closed).
    SpellDecision Ask(const QString& word, const QStringList& suggestions, const QString& context);
    // The check is over: the dialog closes.
    void Finish();
    // Esc, the close button and Cancel: the check stops.
    void reject() override;

    QLabel* lblNotFound = nullptr;
    QLineEdit* txtContext = nullptr;
    QLabel* lblChangeTo = nullptr;
    QLineEdit* txtChangeTo = nullptr;
    QListWidget* lstSuggestions = nullptr;
    QPushButton* cmdIgnore = nullptr;
    QPushButton* cmdIgnoreAll = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdChange = nullptr;
    QPushButton* cmdChangeAll = nullptr;
    QPushButton* cmdCancel = nullptr;

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void Answer(SpellDecision::Action action);
    void ShowWord();

    SpellDecision mDecision;
    QString mWord;
    QEventLoop* mWaiting = nullptr; // the wait for an answer, while one runs
};

// The service over a Hunspell dictionary of the UI language (English when that language has
// none) with the dialog above.
class HunspellSpellService final : public ISpellService {
public:
    explicit HunspellSpellService(QWidget* parent) : mParent(parent) {}
    ~HunspellSpellService() override;
    std::optional<QString> CheckText(const QString& text, QString* error, bool* cancelled) override;
    void BeginRun() override { mMemory = SpellMemory{}; }
    void EndRun() override;

private:
    QWidget* mParent;
    // One dialog for the whole check: batch after batch it stays where the user has it.
    QPointer<frmSpell> mDialog;
    std::unique_ptr<HunspellChecker> mChecker;
    SpellMemory mMemory;
};
