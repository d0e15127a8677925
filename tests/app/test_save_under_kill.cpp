#include "app/display_guard.h"
#include "app/record_snapshot.h"
#include "app/settings_file.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <thread>
#include <random>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot read)");
}

// Two records of different lengths whose every text and number differ, so any mix of
// the two shows in the bytes.
TankSettings longRecord()
{
    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    s.kinds[0].count = 2;
    for (int k = 1; k <= 3; ++k)
        s.kinds[std::size_t(k)] = {1, QStringLiteral("長い名前の金魚%1").arg(k),
                                   QStringLiteral("/home/user/とても長いフォルダの名前/模様%1.pat").arg(k)};
    for (int i = 0; i < kMaxFish; ++i)
        s.fish[std::size_t(i)] = {std::int16_t(70 * i), std::int16_t(30 * i), 4, 450, 9, QStringLiteral("予備の文字"), 0};
    s.fishKindOf = {0, 0, 1, 2, 3};
    for (int j = 0; j < kMaxAccessories; ++j)
        s.accessories[std::size_t(j)] = {QStringLiteral("水草%1").arg(j), QStringLiteral("/home/user/飾り/水草%1.acc").arg(j),
                                         20, 90, 300, 200, 100, 200, std::int16_t(j)};
    s.accessoryCount = 4;
    s.reserved = 77;
    return s;
}

TankSettings shortRecord()
{
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    s.fish[0] = {425, 12, 1, 600, 0, {}, 1};
    s.accessories[0] = {QStringLiteral("石"), QStringLiteral("/a.acc"), 300, 210, 1800, 100, 200, 100, 3};
    s.accessoryCount = 1;
    return s;
}

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
        const pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeFds[0]);
            saveForever(path, pipeFds[1]);
        }
        ::close(pipeFds[1]);
        char first = 0;
        const bool started = ::read(pipeFds[0], &first, 1) == 1;  // one save done, the next under way
        ::usleep(useconds_t(pauseUs(rng)));
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

// Qt's Wayland reader thread reports the loss while the main thread is stuck (swap, a
// debugger, a slow disk). After its wait it writes the bytes the main thread last
// serialised, never the live record caught half-way through an apply, and the main
// thread, once it gets there, does not save over them.
TEST(DisplayLoss, AStalledMainThreadLeavesTheSaveToTheLastSerialisedBytes)
{
    QTemporaryDir dir;
    const QString set = dir.filePath(QStringLiteral("SET"));
    TankSettings live = longRecord();
    RecordSnapshot snapshot;
    snapshot.store(serializeSettings(live));
    std::atomic<int> mainThreadSaves = 0;
    std::thread::id savedOn;
    {
        const SaveWhenTheDisplayGoesAway guard([&] { ++mainThreadSaves; writeSettingsFile(live, set); },
                                               [&] {
                                                   savedOn = std::this_thread::get_id();
                                                   writeSettingsBytes(snapshot.bytes(), set);
                                               });
        live.fishTotal = 1;  // the apply has set the total, not yet the counts
        live.kinds[1].name.clear();
        std::thread reader([] { qWarning("The Wayland connection broke. Did the Wayland compositor die?"); });
        reader.join();  // meanwhile this thread runs no events: it is the stuck one
        QCoreApplication::processEvents();
    }
    EXPECT_EQ(readAll(set), serializeSettings(longRecord()));
    EXPECT_EQ(mainThreadSaves, 0);
    EXPECT_NE(savedOn, std::this_thread::get_id());
}

}  // namespace
