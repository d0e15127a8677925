#include "app/folder_lock.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdio>

namespace {

constexpr char kHeldLock[] = "PONDEL_HELD_LOCK";

// The second process of the test below: what it can read of the note, and whether the
// lock is taken. Skipped when run on its own.
TEST(FolderLockSecondProcess, ReadsTheNoteAndTriesTheLock)
{
    const QString path = qEnvironmentVariable(kHeldLock);
    if (path.isEmpty())
        GTEST_SKIP() << "the second process of FolderLockWindows";
    QFile note(path);
    const QByteArray text = note.open(QIODevice::ReadOnly) ? note.readAll() : QByteArray("unreadable");
    note.close();
    FolderLock lock(path);
    const FolderLock::Outcome outcome = lock.acquire();
    std::printf("note[%s] outcome[%d]\n", text.toHex().constData(), int(outcome));
    std::fflush(stdout);
}

// Runs this test program again as the second process, against the lock file at `path`.
QByteArray secondProcess(const QString& path)
{
    QProcess p;
    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(kHeldLock), path);
    p.setProcessEnvironment(env);
    p.start(QCoreApplication::applicationFilePath(),
            {QStringLiteral("--gtest_filter=FolderLockSecondProcess.*")});
    if (!p.waitForFinished(30000))
        return "no answer";
    const QByteArray out = p.readAllStandardOutput();
    const qsizetype at = out.indexOf("note[");
    return at < 0 ? out : out.mid(at, out.indexOf('\n', at) - at).trimmed();
}

QByteArray answer(const QByteArray& note, FolderLock::Outcome outcome)
{
    return "note[" + note.toHex() + "] outcome[" + QByteArray::number(int(outcome)) + "]";
}

// Windows bars others from reading a range that is locked (Wine does not): the note
// must lie outside the lock.
TEST(FolderLockWindows, AnotherProcessReadsTheHoldersNoteButCannotTakeTheFolder)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("SET.lock"));
    QFile stale(path);
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("4242\r\nsome-other-host\r\n");
    stale.close();

    FolderLock lock(path);
    ASSERT_EQ(lock.acquire(), FolderLock::Outcome::Held) << "a file nobody holds is taken";
    const QByteArray note = QByteArray::number(QCoreApplication::applicationPid()) + "\r\n";
    EXPECT_EQ(secondProcess(path), answer(note, FolderLock::Outcome::HeldElsewhere));

    lock.release();
    EXPECT_FALSE(QFile::exists(path));
    EXPECT_EQ(secondProcess(path), answer("unreadable", FolderLock::Outcome::Held)) << "free again once released";
    EXPECT_FALSE(QFile::exists(path)) << "the second process removed it as it ended";

    // A folder by that name cannot be locked; the folder it lies in is, all the same.
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("SET.lock")));
    ASSERT_EQ(lock.acquire(), FolderLock::Outcome::Held);
    EXPECT_EQ(secondProcess(path), answer("unreadable", FolderLock::Outcome::HeldElsewhere));
    lock.release();
    EXPECT_TRUE(QFileInfo(path).isDir()) << "left as it was";
}

}  // namespace
