#pragma once
#include "platform/SpellService.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

// The spelling dialog: one unknown word, the line it stands in, suggestions, and what to do.
class frmSpell : public QDialog {
    Q_OBJECT
public:
    explicit frmSpell(QWidget* parent = nullptr);
    // Shows the word and waits for the user's answer (Cancel when the dialog is closed).
    SpellDecision Ask(const QString& word, const QStringList& suggestions, const QString& context);

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

private:
    SpellDecision mDecision;
    void Answer(SpellDecision::Action action);
};

// The service over a Hunspell dictionary of the UI language (English when that language has
// none) with the dialog above.
class HunspellSpellService final : public ISpellService {
public:
    explicit HunspellSpellService(QWidget* parent) : mParent(parent) {}
    std::optional<QString> CheckText(const QString& text, QString* error, bool* cancelled) override;
    void BeginRun() override { mMemory = SpellMemory{}; }

private:
    QWidget* mParent;
    std::unique_ptr<HunspellChecker> mChecker;
    SpellMemory mMemory;
};
