#include "app/settings_file.h"
#include "settings_file_fixture.h"

#include <QFileInfo>

#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace {

using namespace settings_fixture;

TEST_F(SettingsFileOnDisk, AFileWithoutWritePermissionIsRefusedWithAJapaneseReason)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root may write anything";
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("locked")));
    const QString locked = QDir(dir.path()).filePath(QStringLiteral("locked/SET"));
    {
        QFile f(locked);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QFile::setPermissions(locked, QFile::ReadOwner);
    QFile::setPermissions(QFileInfo(locked).path(), QFile::ReadOwner | QFile::ExeOwner);
    const FileOutcome saved = writeSettingsFile(firstRun(), locked);
    QFile::setPermissions(QFileInfo(locked).path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(saved.ok);
    EXPECT_EQ(saved.error, QStringLiteral("書き込みが許可されていません"));
}

TEST_F(SettingsFileOnDisk, SetThatIsADeviceOrAPipeIsRefusedInsteadOfReadForever)
{
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), path()));
    TankSettings s = firstRun();
    EXPECT_FALSE(readSettingsFile(s, path()).ok);
    EXPECT_EQ(s, TankSettings{});
    EXPECT_FALSE(writeSettingsFile(firstRun(), path()).ok);

    const QString fifo = path(QStringLiteral("FIFO"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    EXPECT_FALSE(readSettingsFile(s, fifo).ok);
    EXPECT_FALSE(writeSettingsFile(firstRun(), fifo).ok);
}

TEST_F(SettingsFileOnDisk, ReadOnlyFolderStillSavesOverAWritableFile)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root ignores folder permissions";
    put(serializeSettings(TankSettings{}));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner);
    const bool ok = writeSettingsFile(firstRun(), path()).ok;
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_TRUE(ok);
    EXPECT_EQ(bytes(), serializeSettings(firstRun()));
}

}  // namespace
