#pragma once
// Real processes for tests that need them (several copies of the program writing one store, a
// process without a media backend): a test starts its own executable again with a role's name
// in SCRIVELLE_TEST_CHILD; the executable then plays that role instead of running its tests and
// ends with the role's result. The child inherits the test's environment (its configuration
// folder included) plus what the test adds.
#include <QProcess>
#include <QProcessEnvironment>
#include <QStringList>

#include <memory>

using ChildRole = int (*)(const QStringList& arguments);

// Registers a role under a name; returns true so it can initialise a static.
bool RegisterChildRole(const char* name, ChildRole role);

// Defines and registers a role: SCRIVELLE_CHILD_ROLE(WriteKeys) { ... return 0; }
#define SCRIVELLE_CHILD_ROLE(name)                                                                           \
    static int name(const QStringList& arguments);                                                           \
    [[maybe_unused]] static const bool name##_role_registered = RegisterChildRole(#name, &name);             \
    static int name([[maybe_unused]] const QStringList& arguments)

// The role this process is to play (from the environment), or empty when it runs its tests.
QString ChildRoleWanted();
// Plays the role; 127 when no role has that name.
int RunChildRole(const QString& name, const QStringList& arguments);

// Starts this executable in a role with the arguments and the test's environment plus extra.
std::unique_ptr<QProcess> StartChild(const QString& role, const QStringList& arguments,
                                     const QProcessEnvironment& extra = QProcessEnvironment());

// For copies that must start their work together: marks this copy as ready in the folder
// (a file named name) and waits until copies of them are; false when the others never came.
bool WaitForEveryCopy(const QString& folder, const QString& name, int copies);

// Makes a media file at path with ffmpeg and the given input arguments; empty (and the test
// fails) when ffmpeg is missing or fails.
QString MakeMediaWithFfmpeg(const QString& path, const QStringList& args);
