// Tools > Spell check: the captions go to the spelling service in batches, the user corrects
// them in the spelling dialog, and every caption that came back changed is written.
#include "base/appinfo.h"
#include "base/settings.h"
#include "dialogs/frmSpell.h"
#include "document/busy.h"
#include "document/captions.h"
#include "document/spellbatch.h"
#include "language/lang.h"
#include "mainwindow/frmMain.h"
#include "platform/FlexGrid.h"
#include "platform/MsgBox.h"
#include "platform/SpellService.h"

#include <QCoreApplication>
#include <QLabel>
#include <QPointer>

namespace {
// Told when the corrected text of a batch cannot be matched to its captions (no text in the
// string table says it).
const QString kSpellBatchNotWritten =
    QStringLiteral("The spelling corrections of captions %1 to %2 could not be matched to their captions: "
                   "the text came back without its caption separators. None of them was written, and the "
                   "spell check stopped.");
} // namespace

QString frmMain::MsSpellCheck(const QString& text) {
    mSpellFailed = false;
    mSpellCancelled = false;
    if (!SpellService()) SetSpellService(std::make_unique<HunspellSpellService>(this));
    QString why;
    bool cancelled = false;
    const std::optional<QString> result = SpellService()->CheckText(text, &why, &cancelled);
    if (!result) {
        mSpellFailed = true;
        // 429: the spelling service could not be started.
        MsgBox(LangText(262) + QStringLiteral("\n\n(Error# 429 - ") + why + u')', vbCritical, LangText(259));
        return text;
    }
    mSpellCancelled = cancelled;
    return *result;
}

void frmMain::mnuSpell_Click() {
    if (IsDocumentBusy() || !IsDocumentGrid()) return;
    QPointer<frmMain> self(this);
    int changed = 0;
    bool failed = false;
    {
        DocumentBusyGuard busy;
        if (SpellService()) SpellService()->BeginRun();
        const int total = grdSubs().Rows() - 1;
        int done = 0;
        for (const auto& [first, last] : SpellBatches(grdSubs().Rows())) {
            const QString result = MsSpellCheck(BuildSpellBatch(first, last));
            if (self.isNull()) return;
            if (mSpellFailed) break;
            done = last;
            lblTextFile->setText(LangText(117) + QStringLiteral("... (%1/%2)").arg(done).arg(total));
            QCoreApplication::processEvents();
            if (self.isNull()) return;
            // A batch that lost or gained a separator cannot be matched to its captions: none of
            // it is written, the user is told, and the check stops there.
            const auto pieces = SplitSpellResult(result, last - first + 1);
            if (!pieces) {
                failed = true;
                if (SpellService()) SpellService()->EndRun();
                MsgBox(kSpellBatchNotWritten.arg(first).arg(last), vbExclamation, LangText(259));
                if (self.isNull()) return;
                break;
            }
            for (int row = first; row <= last; ++row) {
                const QString& piece = (*pieces)[row - first];
                if (piece == GetLineText(row)) continue;
                SetLineText(row, piece);
                ++changed;
                gModified = true;
            }
            if (mSpellCancelled) break;
        }
        if (SpellService()) SpellService()->EndRun();
    }
    if ((mSpellFailed || failed) && changed == 0) {
        UpdateFileLabels(false);
        return;
    }
    ResetControls();
    if (gCurrentRow >= 1 && gCurrentRow < grdSubs().Rows()) ShowSelectedLine(gCurrentRow);
    // "Completed" only for a check that ran to its end (or that the user ended); after a failure
    // the box tells what the batches before it changed.
    if (mSpellFailed || failed) {
        MsgBox(LangText(261, QString::number(changed)), vbInformation, LangText(259));
        return;
    }
    QString message = LangText(260) + u' ';
    if (changed > 0) message += LangText(261, QString::number(changed));
    MsgBox(message, vbInformation, LangText(259));
}
