// The network stack and the spelling engine are modules loaded on first use: the program starts
// without them, and a module that is missing or broken is reported, never fatal.
#include "fixture.h"
#include "platform/Modules.h"
#include "platform/SpellService.h"
#include "tools/update.h"
#include "tools/updatenetwork.h"

#include <QFile>

TEST(Modules, TheProgramLoadsNeitherTheNetworkNorTheSpellingEngineToStart) {
    // The names of the libraries an executable needs are stored in it as plain strings.
    for (const char* program : {"scrivelle", "bench/startup_bench"}) {
        QFile file(BinaryDir() + QLatin1Char('/') + QLatin1String(program));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << program;
        const QByteArray bytes = file.readAll();
        EXPECT_TRUE(bytes.contains("libQt6Widgets.so")) << program; // the check itself works
        for (const char* library : {"libQt6Network.so", "libhunspell"})
            EXPECT_FALSE(bytes.contains(library)) << program << " needs " << library;
    }
    for (const char* module : {kUpdateNetworkModule, kSpellModule})
        EXPECT_TRUE(QFile::exists(BinaryDir() + QLatin1Char('/') + QLatin1String(module))) << module;
}

class ModuleLoadTest : public ScrivelleTest {};

TEST_F(ModuleLoadTest, AModuleThatCannotBeUsedIsReportedWithItsName) {
    const QString notALibrary = WriteFile(QStringLiteral("libscrivelle_spell.so"), "not a library");
    const QString built = BinaryDir() + QStringLiteral("/libscrivelle_spell.so");
    const struct {
        const char* name;
        QString path;
        const char* symbol;
    } rows[] = {
        {"missing", TempPath(QStringLiteral("nowhere/libscrivelle_spell.so")), kCreateWordCheckerSymbol},
        {"not a library", notALibrary, kCreateWordCheckerSymbol},
        {"no such entry point", built, "scrivelle_no_such_entry"},
    };
    for (const auto& row : rows) {
        SetModulePathForTests(QLatin1String(kSpellModule), row.path);
        QString why;
        const ModuleInfo module{kSpellModule, nullptr, row.symbol, "The spelling module"};
        EXPECT_EQ(ResolveModuleEntry(module, &why), nullptr) << row.name;
        EXPECT_TRUE(why.startsWith(QStringLiteral("The spelling module (libscrivelle_spell.so) could not be loaded.")))
            << row.name << ": " << why.toStdString();
    }
    // Once it can be found again it loads (a failed attempt is not remembered).
    SetModulePathForTests(QLatin1String(kSpellModule), built);
    EXPECT_NE(ResolveModuleEntry({kSpellModule, nullptr, kCreateWordCheckerSymbol, "x"}, nullptr), nullptr);
}

TEST_F(ModuleLoadTest, WithoutTheirModulesUpdateAndSpellingFailAsTheyDoWithoutNetworkOrDictionary) {
    SetModulePathForTests(QLatin1String(kUpdateNetworkModule), TempPath(QStringLiteral("none.so")));
    SetModulePathForTests(QLatin1String(kSpellModule), TempPath(QStringLiteral("none.so")));

    // The connection state is unknown: the request itself reports the failure.
    EXPECT_TRUE(IsOnline());
    const QString target = TempPath(QStringLiteral("reply.tmp"));
    QString why;
    EXPECT_FALSE(DownloadFile(QStringLiteral("http://127.0.0.1:9/"), target, 0, &why));
    EXPECT_EQ(gUpdResult, -2146697211); // no connection to the server
    EXPECT_TRUE(why.contains(QLatin1String(kUpdateNetworkModule))) << why.toStdString();
    EXPECT_FALSE(QFile::exists(target));

    HunspellChecker checker;
    EXPECT_FALSE(checker.Load(QStringLiteral("en_US"), &why));
    EXPECT_TRUE(why.contains(QLatin1String(kSpellModule))) << why.toStdString();
    EXPECT_TRUE(checker.IsCorrect(QStringLiteral("hosue"))); // nothing loaded: nothing flagged
    EXPECT_TRUE(checker.Suggest(QStringLiteral("hosue")).isEmpty());

    // The usual places again: the dictionary loads through the module.
    SetModulePathForTests(QLatin1String(kSpellModule), QString());
    ASSERT_TRUE(checker.Load(QStringLiteral("en_US"), &why)) << why.toStdString();
    EXPECT_FALSE(checker.IsCorrect(QStringLiteral("hosue")));
}
