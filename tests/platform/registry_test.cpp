#include "base/processstate.h"
#include "base/settings.h"
#include "fixture.h"
#include "platform/RegistryAccess.h"
#include "platform/SubtitleFilter.h"

#include <QDir>
#include <QFileInfo>

namespace {

class RegistryTest : public ScrivelleTest {
protected:
    // Lays a registry file out as another tool or an earlier run left it.
    void WriteRegistry(const QByteArray& text) {
        const QString path = clsRegistryAccess::FilePath();
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
};

const QString kPrimary = kFilterKeyPrimary;
const QString kAlternative = kFilterKeyAlternative;

TEST_F(RegistryTest, HiveNamesLongShortAndAnyCaseAddressTheSameKey) {
    ASSERT_TRUE(gReg.WriteDWORD(QStringLiteral("HKCU\\Software\\Test\\Key"), QStringLiteral("V"), 7));
    for (const char* path :
         {"HKEY_CURRENT_USER\\Software\\Test\\Key", "hkey_current_user\\Software\\Test\\Key",
          "hkcu\\software\\test\\key\\", "HKCU\\Software\\Test\\Key"}) {
        SCOPED_TRACE(path);
        EXPECT_TRUE(gReg.KeyExists(QString::fromLatin1(path)));
        EXPECT_EQ(gReg.ReadDWORD(QString::fromLatin1(path), QStringLiteral("v"), -1), 7);
    }
    // A hive on its own exists; an unknown hive never does and is never written.
    EXPECT_TRUE(gReg.KeyExists(QStringLiteral("HKCU")));
    EXPECT_TRUE(gReg.KeyExists(QStringLiteral("HKEY_LOCAL_MACHINE")));
    EXPECT_FALSE(gReg.KeyExists(QStringLiteral("HKXX\\Software\\Test\\Key")));
    EXPECT_FALSE(gReg.WriteDWORD(QStringLiteral("HKXX\\Software"), QStringLiteral("V"), 1));
    // The parent of a key exists too; a sibling does not.
    EXPECT_TRUE(gReg.KeyExists(QStringLiteral("HKCU\\Software\\Test")));
    EXPECT_FALSE(gReg.KeyExists(QStringLiteral("HKCU\\Software\\Tes")));
}

TEST_F(RegistryTest, OnlyALeadingHiveNameIsReplaced) {
    const auto p =
        clsRegistryAccess::ParsePath(QStringLiteral("HKEY_CURRENT_USER\\Software\\HKEY_LOCAL_MACHINE\\X"));
    EXPECT_EQ(p.hive, clsRegistryAccess::HiveCurrentUser);
    EXPECT_EQ(p.subkey, QStringLiteral("Software\\HKEY_LOCAL_MACHINE\\X"));
    EXPECT_EQ(clsRegistryAccess::ParsePath(QStringLiteral("HKCUX\\Software")).hive,
              clsRegistryAccess::HiveUnknown);
}

TEST_F(RegistryTest, ReadsAsTheSystemDoesAndWritesCreateKeysOnlyWhenAllowed) {
    WriteRegistry(
        "REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\T]\n\"Short\"=hex:34,12\n\"Big\"=dword:ffffffff\n"
        "\"Name\"=\"a \\\"quoted\\\" text\"\n@=\"default\"\n");
    const QString key = QStringLiteral("HKCU\\Software\\T");
    EXPECT_EQ(gReg.ReadDWORD(key, QStringLiteral("Short"), 0), 0x1234);
    EXPECT_EQ(gReg.ReadDWORD(key, QStringLiteral("Big"), 0), -1);
    EXPECT_EQ(gReg.ReadDWORD(key, QStringLiteral("Missing"), 42), 42);
    EXPECT_EQ(gReg.ReadDWORD(QStringLiteral("HKCU\\Software\\None"), QStringLiteral("Big"), 5), 5);

    gReg.CreateKeyIfDoesntExists = false;
    EXPECT_FALSE(gReg.WriteDWORD(QStringLiteral("HKCU\\Software\\New"), QStringLiteral("V"), 1));
    EXPECT_FALSE(gReg.KeyExists(QStringLiteral("HKCU\\Software\\New")));
    gReg.CreateKeyIfDoesntExists = true;
    EXPECT_TRUE(gReg.WriteDWORD(QStringLiteral("HKCU\\Software\\New"), QStringLiteral("V"), 1));
    EXPECT_EQ(gReg.ReadDWORD(QStringLiteral("HKCU\\Software\\New"), QStringLiteral("V"), 0), 1);
    // Rewriting the file kept the values the program never touched.
    EXPECT_EQ(gReg.ReadDWORD(key, QStringLiteral("Short"), 0), 0x1234);
    EXPECT_TRUE(gReg.ValueExists(key, QStringLiteral("@")));
    EXPECT_TRUE(gReg.ValueExists(key, QStringLiteral("name")));
}

TEST_F(RegistryTest, ADamagedFileIsNeverWrittenOver) {
    const QByteArray damaged = "[HKCU\\Software\\T]\n\"Hide\"=dword:zz\n";
    WriteRegistry(damaged);
    EXPECT_FALSE(gReg.KeyExists(QStringLiteral("HKCU\\Software\\T")));
    EXPECT_EQ(gReg.ReadDWORD(QStringLiteral("HKCU\\Software\\T"), QStringLiteral("Hide"), 9), 9);
    EXPECT_FALSE(gReg.WriteDWORD(QStringLiteral("HKCU\\Software\\T"), QStringLiteral("Hide"), 1));
    EXPECT_EQ(ReadFileBytes(clsRegistryAccess::FilePath()), damaged);
}

// --- The subtitle filter switch ---

struct FilterCase {
    const char* name;
    QByteArray registry; // values under the primary and/or the alternative key
    int mode;
    QString key;                  // the key the switch uses
    QString value;                // the value that changes
    int32_t during;               // its value while the program runs
    std::optional<int32_t> after; // after the close (nullopt: absent again)
};

TEST_F(RegistryTest, FilterSwitchChangesOneValueAndPutsItBack) {
    const QByteArray primary = "[HKCU\\Software\\Tovrin\\VSFilter\\General]\n";
    const QByteArray alternative = "[HKCU\\Software\\MPC-HC\\vsfilter\\General]\n";
    const FilterCase cases[] = {
        {"mode 0 sets LoadLevel 2 and puts 0 back",
         primary + "\"LoadLevel\"=dword:00000000\n\"Hide\"=dword:00000000\n", 0, kPrimary,
         QStringLiteral("LoadLevel"), 2, 0},
        {"mode 1 with no Hide value: absent again after", primary, 1, kPrimary, QStringLiteral("Hide"), 1,
         std::nullopt},
        {"only the alternative key", alternative + "\"Hide\"=dword:00000000\n", 1, kAlternative,
         QStringLiteral("Hide"), 1, 0},
        {"both keys: only the primary",
         primary + "\"LoadLevel\"=dword:00000001\n" + alternative + "\"LoadLevel\"=dword:00000001\n", 0,
         kPrimary, QStringLiteral("LoadLevel"), 2, 1},
    };
    for (const FilterCase& c : cases) {
        SCOPED_TRACE(c.name);
        WriteRegistry(c.registry);
        gVSFilterMode = uint8_t(c.mode);
        const bool hadAlternative = gReg.KeyExists(kAlternative);
        const int32_t otherBefore = gReg.ReadDWORD(kAlternative, QStringLiteral("LoadLevel"), -7);
        SetupSubtitleFilter();
        EXPECT_EQ(gReg.ReadDWORD(c.key, c.value, -1), c.during);
        // The value the mode does not name is left alone.
        const QString other =
            c.value == QLatin1String("Hide") ? QStringLiteral("LoadLevel") : QStringLiteral("Hide");
        const bool otherExisted = c.registry.contains(other.toLatin1());
        EXPECT_EQ(gReg.ValueExists(c.key, other), otherExisted);
        RestoreSubtitleFilter();
        RestoreSubtitleFilter(); // a workspace closed twice
        if (c.after) {
            EXPECT_EQ(gReg.ReadDWORD(c.key, c.value, -1), *c.after);
        } else {
            EXPECT_FALSE(gReg.ValueExists(c.key, c.value));
        }
        if (hadAlternative && c.key == kPrimary) {
            EXPECT_EQ(gReg.ReadDWORD(kAlternative, QStringLiteral("LoadLevel"), -7), otherBefore);
        }
        ::processstate::ResetAll();
        QFile::remove(clsRegistryAccess::FilePath());
    }
}

TEST_F(RegistryTest, FilterSwitchDoesNothingWithoutTheFilterOrWithoutASwitch) {
    gVSFilterMode = 1;
    SetupSubtitleFilter();
    RestoreSubtitleFilter();
    EXPECT_FALSE(QFileInfo::exists(clsRegistryAccess::FilePath()));
    EXPECT_FALSE(SubtitleFilterKeyExists(0));

    // A restore with no switch before it writes nothing, even over a changed value.
    WriteRegistry("[HKCU\\Software\\MPC-HC\\vsfilter\\General]\n\"Hide\"=dword:00000000\n");
    EXPECT_FALSE(SubtitleFilterKeyExists(0));
    EXPECT_TRUE(SubtitleFilterKeyExists(1));
    RestoreSubtitleFilter();
    EXPECT_EQ(gReg.ReadDWORD(kAlternative, QStringLiteral("Hide"), -1), 0);
}

TEST_F(RegistryTest, ASwitchLeftByAnInterruptedRunIsRepairedAtTheNextStart) {
    WriteRegistry("[HKCU\\Software\\Tovrin\\VSFilter\\General]\n\"LoadLevel\"=dword:00000000\n");
    gVSFilterMode = 0;
    SetupSubtitleFilter();
    ASSERT_EQ(gReg.ReadDWORD(kPrimary, QStringLiteral("LoadLevel"), -1), 2);
    // The run ends without closing its workspace; the next one starts in Hide mode.
    ::processstate::ResetAll();
    gVSFilterMode = 1;
    SetupSubtitleFilter();
    EXPECT_EQ(gReg.ReadDWORD(kPrimary, QStringLiteral("LoadLevel"), -1), 0);
    EXPECT_EQ(gSavedFilterLoadLevel, 0);
    EXPECT_EQ(gReg.ReadDWORD(kPrimary, QStringLiteral("Hide"), -1), 1);
    RestoreSubtitleFilter();
    EXPECT_FALSE(gReg.ValueExists(kPrimary, QStringLiteral("Hide")));
    EXPECT_EQ(gReg.ReadDWORD(kPrimary, QStringLiteral("LoadLevel"), -1), 0);
}

TEST_F(RegistryTest, SavedValuesKeepAll32Bits) {
    WriteRegistry("[HKCU\\Software\\Tovrin\\VSFilter\\General]\n\"LoadLevel\"=dword:00012345\n");
    gVSFilterMode = 0;
    SetupSubtitleFilter();
    EXPECT_EQ(gSavedFilterLoadLevel, 0x12345);
    RestoreSubtitleFilter();
    EXPECT_EQ(gReg.ReadDWORD(kPrimary, QStringLiteral("LoadLevel"), -1), 0x12345);
}

} // namespace
