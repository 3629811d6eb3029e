#pragma once
// Process-wide settings a test changes for its own duration and puts back afterwards.
#include <QByteArray>
#include <QLocale>

// Sets an environment variable for one test and puts the old value back.
class EnvVar {
public:
    EnvVar(const char* name, const QByteArray& value) : name_(name), had_(qEnvironmentVariableIsSet(name)) {
        old_ = qgetenv(name);
        qputenv(name, value);
    }
    ~EnvVar() {
        if (had_)
            qputenv(name_, old_);
        else
            qunsetenv(name_);
    }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    bool had_;
    QByteArray old_;
};

// Makes a locale the default one (what the program reads as the user's) for one test.
class UserLocale {
public:
    explicit UserLocale(const QLocale& locale) : old_(QLocale()) { QLocale::setDefault(locale); }
    ~UserLocale() { QLocale::setDefault(old_); }
    UserLocale(const UserLocale&) = delete;
    UserLocale& operator=(const UserLocale&) = delete;

private:
    QLocale old_;
};
