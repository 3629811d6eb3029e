#pragma once
// File names are bytes on this system, usually UTF-8 but not always (names copied from old
// archives and other systems hold Latin-1 and the like). Qt turns names into text as UTF-8 and
// loses every byte that is not (it becomes U+FFFD, and the file can then be neither opened nor
// listed). The program keeps such names as text that turns back into the very same bytes: each
// byte of an invalid sequence becomes the lone surrogate U+DC80..U+DCFF, which no valid name
// decodes to. Names that are valid UTF-8 are the same text as Qt makes of them.
#include <QByteArray>
#include <QByteArrayView>
#include <QSaveFile>
#include <QString>
#include <QStringList>
#include <QUrl>

// Bytes of a name (or an argument) as text, and back; EncodeFileName(DecodeFileName(b)) == b.
QString DecodeFileName(QByteArrayView bytes);
QByteArray EncodeFileName(const QString& name);

// True when Qt's own conversion names the same file (every valid UTF-8 name).
bool QtNamesFile(const QString& name);

// The name as it is shown: each byte that is not UTF-8 as "\xNN" (what the name holds, where
// Qt would show one replacement mark for any of them).
QString DisplayFileName(const QString& name);

// Whether something of that name exists.
bool FileNameExists(const QString& name);

// A file: URL for the name, with its bytes percent-encoded; and the name such a URL gives (a
// file chooser's answer), empty when it is not a local file.
QUrl FileNameUrl(const QString& name);
QString FileNameFromUrl(const QUrl& url);

// A path by which Qt reaches the named file while the object lives: the name itself when Qt can
// name it, else a link of this process's own to the file ("/proc/self/fd/N"). The name itself,
// when the file cannot be reached at all (Qt then reports it missing).
class FileNameAlias {
public:
    explicit FileNameAlias(const QString& name);
    ~FileNameAlias();
    FileNameAlias(const FileNameAlias&) = delete;
    FileNameAlias& operator=(const FileNameAlias&) = delete;
    const QString& path() const { return path_; }

private:
    QString path_;
    int fd_ = -1;
};

// QSaveFile for any name: when Qt cannot name the file, the new content is written under a
// name of its own beside it and takes the file's place by one rename at commit (keeping the
// old file's permissions), so the replacement stays atomic.
class FileNameSaveFile : public QSaveFile {
public:
    explicit FileNameSaveFile(const QString& name);
    ~FileNameSaveFile() override;
    bool commit(); // hides QSaveFile::commit: call it on this type

private:
    int dirFd_ = -1;
    QByteArray target_;   // the file's own name in its folder (aliased names only)
    QByteArray stagedAt_; // the staging name in that folder
};

// The program's arguments (without the program itself), with names kept as their bytes; until
// SetProgramArguments is called, Qt's (whose names may have lost bytes).
void SetProgramArguments(int argc, char** argv);
QStringList ProgramArguments();
