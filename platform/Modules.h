#pragma once
// Parts of the program that pull in large libraries (the media player, the network stack, the
// spelling engine) live in modules of their own, loaded the first time they are used: the
// program does not map and relocate those libraries on every start when most runs never use
// them.
#include <QString>
#include <QtGlobal>

// One module: its file name, where the build put it, and its one entry point.
struct ModuleInfo {
    const char* fileName;  // "libscrivelle_network.so"
    const char* builtPath; // the build's own copy; may be null
    const char* symbol;    // the entry point's name
    const char* what;      // names the module in the error ("The network module")
};

// Loads the module (once; never unloaded) and resolves its entry point: beside the executable
// first (where the program is installed), then where the build put it (tests and benchmarks live
// in other folders of the build). Null, with the reason in *error, when it cannot.
QFunctionPointer ResolveModuleEntry(const ModuleInfo& module, QString* error);

// Tests: look for the module fileName only at path (empty: the usual places again).
void SetModulePathForTests(const QString& fileName, const QString& path);
