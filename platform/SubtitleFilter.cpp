#include "platform/SubtitleFilter.h"

#include "base/processstate.h"
#include "base/settings.h"
#include "base/settingsstore.h"
#include "platform/RegistryAccess.h"

int32_t gSavedFilterHide;
int32_t gSavedFilterLoadLevel;

namespace {

// What the switch changed: the key, the value's name, and what it held before.
struct FilterSwitch {
    bool active = false;
    QString key;
    QString name;
    bool existed = false;
    int32_t oldValue = 0;
};
FilterSwitch gSwitch;

const QString kJournalSection = QStringLiteral("Scrivelle\\FilterSwitch");

void ResetSubtitleFilter() {
    gSavedFilterHide = 0;
    gSavedFilterLoadLevel = 0;
    gSwitch = FilterSwitch{};
}
SCRIVELLE_REGISTER_RESET(ResetSubtitleFilter);

QString ChosenKey() {
    if (SubtitleFilterKeyExists(0)) return kFilterKeyPrimary;
    if (SubtitleFilterKeyExists(1)) return kFilterKeyAlternative;
    return QString();
}

bool WriteJournal(const FilterSwitch& s) {
    return SaveSetting(kJournalSection, QStringLiteral("Key"), s.key) &&
           SaveSetting(kJournalSection, QStringLiteral("Name"), s.name) &&
           SaveSetting(kJournalSection, QStringLiteral("Existed"),
                       s.existed ? QStringLiteral("255") : QStringLiteral("0")) &&
           SaveSetting(kJournalSection, QStringLiteral("Value"), QString::number(s.oldValue));
}

void ClearJournal() {
    for (const char* k : {"Key", "Name", "Existed", "Value"})
        DeleteSetting(kJournalSection, QString::fromLatin1(k));
}

// Puts the one changed value back; true when the key is as it was.
bool Undo(const FilterSwitch& s) {
    if (s.existed) return gReg.WriteDWORD(s.key, s.name, s.oldValue);
    return !gReg.ValueExists(s.key, s.name) || gReg.KillValue(s.key, s.name);
}

// A switch remembered in the store but never restored: the last run ended without closing.
void RepairInterruptedSwitch() {
    FilterSwitch s;
    s.key = GetSetting(kJournalSection, QStringLiteral("Key"));
    s.name = GetSetting(kJournalSection, QStringLiteral("Name"));
    if (s.key.isEmpty() || s.name.isEmpty()) return;
    // Only the filter's own keys and values are ever touched, whatever the store says.
    const bool known = (s.key == kFilterKeyPrimary || s.key == kFilterKeyAlternative) &&
                       (s.name == QLatin1String("Hide") || s.name == QLatin1String("LoadLevel"));
    s.existed = GetSetting(kJournalSection, QStringLiteral("Existed")) != QLatin1String("0");
    bool ok = false;
    s.oldValue = GetSetting(kJournalSection, QStringLiteral("Value")).toInt(&ok);
    if (known && ok && gReg.KeyExists(s.key)) Undo(s);
    ClearJournal();
}

} // namespace

bool SubtitleFilterKeyExists(int16_t alternativeAllowed) {
    if (alternativeAllowed != 0 && gReg.KeyExists(kFilterKeyAlternative)) return true;
    return gReg.KeyExists(kFilterKeyPrimary);
}

void SetupSubtitleFilter() {
    if (gSwitch.active) return;
    RepairInterruptedSwitch();
    const QString key = ChosenKey();
    if (key.isEmpty()) return;
    gSavedFilterHide = gReg.ReadDWORD(key, QStringLiteral("Hide"), 1);
    gSavedFilterLoadLevel = gReg.ReadDWORD(key, QStringLiteral("LoadLevel"), 2);

    FilterSwitch s;
    s.key = key;
    s.name = gVSFilterMode != 0 ? QStringLiteral("Hide") : QStringLiteral("LoadLevel");
    const int32_t wanted = gVSFilterMode != 0 ? 1 : 2;
    s.existed = gReg.ValueExists(key, s.name);
    s.oldValue = s.name == QLatin1String("Hide") ? gSavedFilterHide : gSavedFilterLoadLevel;
    if (s.existed && s.oldValue == wanted) return; // already as wanted: nothing to put back
    // Remember before switching: a switch that could not be undone later is not made.
    if (!WriteJournal(s)) {
        ClearJournal();
        return;
    }
    if (!gReg.WriteDWORD(key, s.name, wanted)) {
        ClearJournal();
        return;
    }
    s.active = true;
    gSwitch = s;
}

void RestoreSubtitleFilter() {
    if (!gSwitch.active) return;
    if (Undo(gSwitch)) ClearJournal();
    gSwitch.active = false;
}
