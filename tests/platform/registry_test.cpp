#include "base/processstate.h"
#include "base/settings.h"
#include "base/storelock.h"
#include "child.h"
#include "fixture.h"
#include "platform/RegistryAccess.h"
#include "platform/SubtitleFilter.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

namespace {

// A copy of the program writing values of its own into one key, once every copy is ready.
// Ends with the number of writes that failed.
SCRIVELLE_CHILD_ROLE(WriteRegistryValues) {
    const QString prefix = arguments.value(0);
    const int count = arguments.value(1).toInt();
    SetStoreLockWaitMs(arguments.value(4).toInt());
    if (!WaitForEveryCopy(arguments.value(2), prefix, arguments.value(3).toInt())) return 255;
    int failed = 0;
    for (int i = 0; i < count; ++i)
        if (!gReg.WriteDWORD("HKCU\\Software\\Shared", prefix + QString::number(i), i)) ++failed;
    return std::min(failed, 254);
}

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

QByteArray Utf16(const QByteArray& utf8) {
    const QString text = QString::fromUtf8(utf8);
    QByteArray out("\xFF\xFE");
    for (QChar c : text)
        out.append(char(c.unicode() & 0xFF)).append(char(c.unicode() >> 8));
    return out;
}

// Files laid out as the system's editor, an export of a whole hive or a hand edit leave them:
// each is read whole (and any change keeps what the program never touched), or refused whole,
// never written over, and told once however often it is used.
TEST_F(RegistryTest, FileLayoutsReadWholeOrAreRefusedAndTold) {
    const QByteArray key = "[HKEY_CURRENT_USER\\Software\\T]\r\n\"Hide\"=dword:00000001\r\n";
    const QByteArray v5 = "Windows Registry Editor Version 5.00\r\n\r\n";
    const QByteArray hive = "[HKEY_CURRENT_USER]\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n\r\n";
    const QByteArray typed =
        "\"Path\"=hex(2):25,00,54,00,\\\r\n  4d,00,00,00\r\n\"Big\"=hex(b):01,00,00,00,00,00,00,00\r\n";
    const struct {
        const char* name;
        QByteArray file;
        bool read;
    } cases[] = {
        {"our own layout", "REGEDIT4\n\n" + key, true},
        {"no header", key, true},
        {"newer header", v5 + key, true},
        {"newer header, lower case", "windows registry editor version 5.00\n" + key, true},
        {"newer header, UTF-16 as the editor saves it", Utf16(v5 + key + typed), true},
        {"newer header, UTF-8 with a byte-order mark", "\xEF\xBB\xBF" + v5 + key, true},
        {"whole hive", v5 + hive + key + typed, true},
        {"hive by its short name", "REGEDIT4\n[HKCU]\n\n" + key, true},
        {"values of other types over several lines", v5 + key + typed, true},
        {"a value that is no number", "[HKCU\\Software\\T]\n\"Hide\"=dword:zz\n", false},
        {"an unknown hive", v5 + "[HKEY_NOWHERE]\n" + key, false},
        {"a deletion of a key", v5 + "[-HKEY_CURRENT_USER\\Software\\X]\n" + key, false},
        {"a value before any key", v5 + "\"Hide\"=dword:00000001\n" + key, false},
        {"an older header of another kind", "Windows Registry Editor Version 4.00\n" + key, false},
        {"not text", "REGEDIT4\n[HKCU\\Software\\T]\n\"\xFF\"=dword:00000001\n", false},
    };
    QStringList told;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        processstate::ResetAll();
        told.clear();
        SetRegistryRefusedHandler([&](const QString& why) { told << why; });
        WriteRegistry(c.file);
        const QString t = "HKCU\\Software\\T";
        EXPECT_EQ(gReg.KeyExists(t), c.read);
        EXPECT_EQ(gReg.ReadDWORD(t, "Hide", 9), c.read ? 1 : 9);
        EXPECT_EQ(gReg.WriteDWORD(t, "Hide", 0), c.read);
        EXPECT_EQ(gReg.ReadDWORD(t, "Hide", 9), c.read ? 0 : 9);
        if (!c.read) {
            EXPECT_EQ(ReadFileBytes(clsRegistryAccess::FilePath()), c.file);
            ASSERT_EQ(told.size(), 1);
            EXPECT_TRUE(told[0].contains(clsRegistryAccess::FilePath())) << told[0].toStdString();
            continue;
        }
        EXPECT_TRUE(told.isEmpty());
        // The rewrite kept the rest of the file, and reads again.
        if (c.file.contains("HKEY_CURRENT_USER]") || c.file.contains("[HKCU]")) {
            EXPECT_TRUE(gReg.KeyExists("HKCU"));
        }
        if (QString(c.name).contains("types") || QString(c.name).contains("UTF-16") ||
            QString(c.name) == "whole hive") {
            EXPECT_EQ(gReg.ReadDWORD(t, "Path", 0), 0x540025);
            EXPECT_EQ(gReg.ReadDWORD(t, "Big", 0), 1);
            EXPECT_TRUE(ReadFileBytes(clsRegistryAccess::FilePath())
                            .contains("\"Path\"=hex(2):25,00,54,00,4d,00,00,00"));
        }
        EXPECT_TRUE(gReg.WriteDWORD(t, "Other", 5));
        EXPECT_EQ(gReg.ReadDWORD(t, "Hide", 9), 0);
    }
    // Mended, it reads again; broken again later, it is told again.
    WriteRegistry(key);
    EXPECT_EQ(gReg.ReadDWORD("HKCU\\Software\\T", "Hide", 9), 1);
    WriteRegistry("[HKCU\\Software\\T]\nbroken\n");
    EXPECT_EQ(gReg.ReadDWORD("HKCU\\Software\\T", "Hide", 9), 9);
    EXPECT_EQ(told.size(), 2);
}

TEST_F(RegistryTest, KeysWithBlankNamesInAForeignFileReadAndStayReadable) {
    const struct {
        const char* name;
        QByteArray key;   // as the foreign file names it
        const char* path; // how the program addresses it
    } cases[] = {
        {"blank name", "[HKCU\\Software\\  \\]", "HKCU\\Software\\  \\"},
        {"blank name at the top", "[HKCU\\ \\]", "HKCU\\ \\"},
        {"blank at the end", "[HKCU\\Software\\X \\]", "HKCU\\Software\\X \\"},
        {"blank at the start", "[HKCU\\Software\\ X]", "HKCU\\Software\\ X"},
        {"blank inside the path", "[HKCU\\Software\\ \\X]", "HKCU\\Software\\ \\X"},
        {"blanks around the hive", "[ HKEY_CURRENT_USER \\Software\\Y]", "HKCU\\Software\\Y"},
        {"brackets in the name", "[HKCU\\Software\\a]b]", "HKCU\\Software\\a]b"},
        {"blank value name", "[HKCU\\Software\\Z]", "HKCU\\Software\\Z"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        processstate::ResetAll();
        const QString name = QString(c.name) == "blank value name" ? " " : "V";
        WriteRegistry("REGEDIT4\n\n" + c.key + "\n\"" + name.toUtf8() + "\"=dword:00000005\n");
        EXPECT_TRUE(gReg.KeyExists(c.path));
        EXPECT_EQ(gReg.ReadDWORD(c.path, name, -1), 5);
        // The file is written back by any change, and still reads afterwards, key for key.
        for (int round = 0; round < 2; ++round) {
            ASSERT_TRUE(gReg.WriteDWORD("HKCU\\Software\\Other", "W", round));
            EXPECT_EQ(gReg.ReadDWORD(c.path, name, -1), 5);
            EXPECT_EQ(gReg.ReadDWORD("HKCU\\Software\\Other", "W", -1), round);
        }
        ASSERT_TRUE(gReg.WriteDWORD(c.path, name, 6));
        EXPECT_EQ(gReg.ReadDWORD(c.path, name, -1), 6);
    }
}

TEST_F(RegistryTest, WhateverIsWrittenReadsBackAndTheFileStaysReadable) {
    const QString sentinel = "HKCU\\Software\\Sentinel";
    ASSERT_TRUE(gReg.WriteDWORD(sentinel, "S", 42));
    const QString lone = QString(QChar(0xD800));
    const struct {
        const char* name;
        QString path;
        QString value;
    } cases[] = {
        {"blank key", "HKCU\\ \\", "V"},
        {"blank key below another", "HKCU\\Software\\   \\", "V"},
        {"key ending in a blank", "HKCU\\Software\\X \\", "V"},
        {"key starting with a blank", "HKCU\\Software\\ X", "V"},
        {"key with a line break", "HKCU\\Software\\a\nb", "V"},
        {"key with a carriage return", "HKCU\\Software\\a\rb", "V"},
        {"key with a bracket", "HKCU\\Software\\]x[", "V"},
        {"key with quotes", "HKCU\\Software\\\"q\"", "V"},
        {"key with a tab", "HKCU\\Software\\t\tab", "V"},
        {"key with a lone surrogate", "HKCU\\Software\\" + lone, "V"},
        {"key in another script", "HKCU\\Software\\Ключ 鍵", "V"},
        {"empty value name", "HKCU\\Software\\N", ""},
        {"blank value name", "HKCU\\Software\\N", "  "},
        {"value name with quotes", "HKCU\\Software\\N", "a\"b\""},
        {"value name with backslashes", "HKCU\\Software\\N", "\\\\x\\"},
        {"value name with line breaks", "HKCU\\Software\\N", "a\r\nb\n"},
        {"value name with a tab and a NUL", "HKCU\\Software\\N", QString("t\t") + QChar(0) + "z"},
        {"value name \"@\"", "HKCU\\Software\\N", "@"},
        {"value name starting with @", "HKCU\\Software\\N", "@x"},
        {"value name with =", "HKCU\\Software\\N", "a=b"},
        {"value name ;comment", "HKCU\\Software\\N", ";c"},
        {"value name [key]", "HKCU\\Software\\N", "[HKCU\\x]"},
        {"value name with a lone surrogate", "HKCU\\Software\\N", "v" + lone},
        {"value name REGEDIT4", "HKCU\\Software\\N", "REGEDIT4"},
    };
    int value = 0;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ++value;
        const bool written = gReg.WriteDWORD(c.path, c.value, value);
        // Either it reads back as written, or the write said it failed; the file is readable
        // either way, and every other key in it stays.
        if (written) {
            EXPECT_EQ(gReg.ReadDWORD(c.path, c.value, -1), value);
        }
        EXPECT_EQ(gReg.ReadDWORD(sentinel, "S", -1), 42);
        EXPECT_TRUE(gReg.WriteDWORD(sentinel, "T", value));
        EXPECT_EQ(gReg.ReadDWORD(sentinel, "T", -1), value);
        // What only a line break or broken text could do is refused; everything else is kept.
        const bool unwritable = QString(c.name).contains("line break") ||
                                QString(c.name).contains("carriage") || QString(c.name).contains("surrogate");
        EXPECT_EQ(written, !unwritable || QString(c.name).startsWith("value name with line"));
    }
}

TEST_F(RegistryTest, CopiesWritingAtOnceKeepEveryValue) {
    // Many copies at once, each waiting for the lock far shorter than the whole run takes: a
    // copy must wait its turn for as long as the others take theirs, before and after any wait
    // of its own ran out.
    const int copies = 6, values = 120, kWaitMs = 400;
    const QString barrier = TempPath("barrier");
    QDir().mkpath(barrier);
    std::vector<std::unique_ptr<QProcess>> children;
    for (int c = 0; c < copies; ++c)
        children.push_back(
            StartChild("WriteRegistryValues", {QString("copy%1_").arg(c), QString::number(values), barrier,
                                               QString::number(copies), QString::number(kWaitMs)}));
    for (auto& child : children) {
        ASSERT_TRUE(child->waitForFinished(180000));
        EXPECT_EQ(child->exitCode(), 0) << "writes that failed";
    }
    int lost = 0;
    for (int c = 0; c < copies; ++c)
        for (int i = 0; i < values; ++i)
            if (gReg.ReadDWORD("HKCU\\Software\\Shared", QString("copy%1_%2").arg(c).arg(i), -1) != i) ++lost;
    EXPECT_EQ(lost, 0);
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
