#include "app/settings_file.h"
#include "save_records.h"

#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <random>

namespace {

using namespace save_records;

// Saves the two records alternately, forever, reporting each finished save on `done`.
[[noreturn]] void saveForever(const QString& path, int done)
{
    const TankSettings records[] = {shortRecord(), longRecord()};
    for (unsigned k = 0;; ++k) {
        writeSettingsFile(records[k % 2], path);
        const char tick = 1;
        if (::write(done, &tick, 1) != 1)
            _exit(1);
    }
}

TEST(SaveUnderKill, SetIsAlwaysTheOldRecordOrTheNewOneNeverAMix)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = QDir(dir.path()).filePath(QStringLiteral("SET"));
    ASSERT_TRUE(writeSettingsFile(longRecord(), path).ok);

    // The only two contents an uninterrupted save can leave: the long record, or the
    // short one followed by what the long one held beyond it.
    const QByteArray longBytes = serializeSettings(longRecord());
    const QByteArray shortBytes = overwriteInPlace(longBytes, serializeSettings(shortRecord()));
    ASSERT_LT(serializeSettings(shortRecord()).size(), longBytes.size());

    std::mt19937 rng(20240607);
    std::uniform_int_distribution<int> pauseUs(0, 3000);
    int saves = 0;
    int sawLong = 0, sawShort = 0;
    for (int round = 0; round < 80; ++round) {
        int pipeFds[2];
        ASSERT_EQ(::pipe(pipeFds), 0);
        QElapsedTimer sinceFork;
        sinceFork.start();
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            saveForever(path, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        char first = 0;
        const bool started = ::read(pipeFds[0], &first, 1) == 1;  // one save done, the next under way
        // Up to about three saves' time, however slow a save is here (a sanitizer build,
        // a busy machine), so that kills land in saves of both records.
        const qint64 oneSaveUs = std::max<qint64>(1, sinceFork.nsecsElapsed() / 1000);
        ::usleep(useconds_t(pauseUs(rng) * std::max<qint64>(1, oneSaveUs / 1000)));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "round " << round << ": the saving child never finished a save";
        char buf[256];
        for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;)
            saves += int(n);
        ++saves;
        ::close(pipeFds[0]);

        const QByteArray now = readAll(path);
        if (now == longBytes) {
            ++sawLong;
        } else if (now == shortBytes) {
            ++sawShort;
        } else {
            ADD_FAILURE() << "round " << round << ": SET holds " << now.size() << " bytes that are neither record";
            break;
        }
    }
    // Kills landed after saves of both records, so both kinds of interrupted save were
    // exercised. (How many saves fit between kills depends on the machine's speed.)
    EXPECT_GT(saves, 80);
    EXPECT_GT(sawLong, 0);
    EXPECT_GT(sawShort, 0);
    TankSettings last;
    ASSERT_TRUE(readSettingsFile(last, path).ok);
    EXPECT_TRUE(last == longRecord() || last == shortRecord());
}

}  // namespace
