// The cause a failed write is reported with: the system's error when it names one, else what
// the target's file system shows.
#include "platform/FileErrors.h"
#include "support/fixture.h"

#include <cerrno>
#include <limits>

TEST_F(ScrivelleTest, AFailedWriteIsNamedByItsCause) {
    const QString target = TempPath("out.srt");
    struct Case {
        int systemError;
        int64_t bytesNeeded;
        int number;
        const char* description;
    } const cases[] = {
        {ENOSPC, 10, 61, "No space left on device"},
        {EDQUOT, 10, 61, "Disk quota exceeded"},
        {EACCES, 10, 70, "Permission denied"},
        {EROFS, 10, 75, "Read-only file system"},
        {EIO, 10, 57, "Input/output error"},
        // No error left behind (a short write): the folder has too little room.
        {0, std::numeric_limits<int64_t>::max() / 2, 61, "No space left on device"},
        // Nothing to name: Qt's own words.
        {0, 10, 57, "what Qt said"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.description);
        const tWriteFailure f = DescribeWriteFailure(target, c.systemError, c.bytesNeeded, "what Qt said");
        EXPECT_EQ(f.number, c.number);
        EXPECT_EQ(f.description, QString::fromLatin1(c.description));
    }
}
