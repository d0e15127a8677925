// What `cmake --install` lays down is what a desktop needs: the programs, the desktop
// entry and its icon, the AppStream metadata, the samples, and a launcher that gives
// the program a folder of its own for SET.

#include "tools/sheet/sheet_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>

namespace {

const QString kAppId = QStringLiteral(PONDEL_APP_ID);
const QString kGames = QStringLiteral(PONDEL_GAMES_DIR);

class InstallTree : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        dir_ = std::make_unique<QTemporaryDir>();
        QProcess install;
        install.setProcessChannelMode(QProcess::MergedChannels);
        install.start(QStringLiteral(PONDEL_CMAKE_COMMAND),
                      {QStringLiteral("--install"), QStringLiteral(PONDEL_BUILD_DIR), QStringLiteral("--prefix"), prefix()});
        installed_ = install.waitForFinished(120000) && install.exitStatus() == QProcess::NormalExit
            && install.exitCode() == 0;
        log_ = QString::fromLocal8Bit(install.readAll());
    }
    static void TearDownTestSuite() { dir_.reset(); }

    void SetUp() override { ASSERT_TRUE(installed_) << log_.toStdString(); }

    static QString prefix() { return dir_->filePath(QStringLiteral("usr")); }
    static QString at(const QString& relative) { return prefix() + QLatin1Char('/') + relative; }
    static QString program(const QString& name) { return at(kGames + QLatin1Char('/') + name); }

    static int run(const QString& program, const QStringList& args, QString* output = nullptr)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        p.start(program, args);
        if (!p.waitForFinished(60000))
            return -1;
        if (output)
            *output = QString::fromLocal8Bit(p.readAll());
        return p.exitCode();
    }

    // Starts the installed launcher from `cwd` with the given environment, waits until
    // the program has made its SET in `expectedHome`, and ends it the way a logout does.
    static bool launchAndEnd(const QString& cwd, const QProcessEnvironment& env, const QString& expectedHome)
    {
        QProcess launcher;
        launcher.setWorkingDirectory(cwd);
        launcher.setProcessEnvironment(env);
        launcher.start(program(QStringLiteral("pondel-launcher")), {});
        if (!launcher.waitForStarted(10000))
            return false;
        bool appeared = false;
        for (int i = 0; i < 400 && !appeared && launcher.state() == QProcess::Running; ++i) {
            QThread::msleep(50);
            appeared = QFileInfo::exists(expectedHome + QStringLiteral("/SET"));
        }
        // SET is made while the program starts; give it a moment to settle in.
        if (appeared)
            QThread::msleep(1000);
        launcher.terminate();
        if (!launcher.waitForFinished(10000)) {
            launcher.kill();
            launcher.waitForFinished(5000);
        }
        return appeared;
    }

    static QProcessEnvironment desktopEnvironment(const QString& home)
    {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("HOME"), home);
        env.remove(QStringLiteral("XDG_DATA_HOME"));
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        return env;
    }

    static inline std::unique_ptr<QTemporaryDir> dir_;
    static inline bool installed_ = false;
    static inline QString log_;
};

TEST_F(InstallTree, HoldsTheProgramsTheDesktopFilesAndTheSamples)
{
    for (const char* name : {"pondel", "pondel-sheet", "pondel-launcher"}) {
        const QFileInfo info(program(QLatin1String(name)));
        EXPECT_TRUE(info.isFile() && info.isExecutable()) << name;
    }
    EXPECT_TRUE(QFileInfo::exists(at(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))));

    // The desktop entry starts the launcher and names an icon that is there in every size.
    const QString desktop = at(QStringLiteral("share/applications/%1.desktop").arg(kAppId));
    ASSERT_TRUE(QFileInfo::exists(desktop));
    QSettings entry(desktop, QSettings::IniFormat);
    entry.beginGroup(QStringLiteral("Desktop Entry"));
    EXPECT_EQ(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("pondel-launcher"));
    EXPECT_EQ(entry.value(QStringLiteral("Icon")).toString(), kAppId);
    for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
        const QImage icon(at(QStringLiteral("share/icons/hicolor/%1x%1/apps/%2.png").arg(size).arg(kAppId)));
        EXPECT_EQ(icon.size(), QSize(size, size)) << "icon " << size;
        EXPECT_TRUE(icon.hasAlphaChannel()) << "icon " << size;
    }

    const QDir samples(at(QStringLiteral("share/pondel/samples")));
    const QStringList sheets = samples.entryList({QStringLiteral("*.pat"), QStringLiteral("*.acc")}, QDir::Files);
    EXPECT_GE(sheets.size(), 8);
    for (const QString& name : sheets) {
        const SheetReport report = checkSheetFile(samples.filePath(name));
        EXPECT_TRUE(report.usable()) << formatReport(name, report).toStdString();
    }

    // The installed sheet tool runs on its own.
    QString out;
    EXPECT_EQ(run(program(QStringLiteral("pondel-sheet")), {QStringLiteral("check"), samples.filePath(sheets.value(0))}, &out), 0)
        << out.toStdString();
}

TEST_F(InstallTree, PassesTheDesktopValidators)
{
    const QString desktopValidator = QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate"));
    const QString appstream = QStandardPaths::findExecutable(QStringLiteral("appstreamcli"));
    if (desktopValidator.isEmpty() && appstream.isEmpty())
        GTEST_SKIP() << "neither desktop-file-validate nor appstreamcli is installed";
    QString out;
    if (!desktopValidator.isEmpty()) {
        EXPECT_EQ(run(desktopValidator, {at(QStringLiteral("share/applications/%1.desktop").arg(kAppId))}, &out), 0)
            << out.toStdString();
    }
    if (!appstream.isEmpty()) {
        EXPECT_EQ(run(appstream, {QStringLiteral("validate"), QStringLiteral("--no-net"),
                                  at(QStringLiteral("share/metainfo/%1.metainfo.xml").arg(kAppId))},
                      &out),
                  0)
            << out.toStdString();
    }
}

TEST_F(InstallTree, LauncherStartsInTheUsersDataFolderWithTheSamplesAtHand)
{
    QTemporaryDir home, elsewhere;
    const QString data = home.filePath(QStringLiteral(".local/share/pondel"));
    ASSERT_TRUE(launchAndEnd(elsewhere.path(), desktopEnvironment(home.path()), data));
    EXPECT_FALSE(QFileInfo::exists(elsewhere.filePath(QStringLiteral("SET"))));
    // Ending it wrote the record in the same place.
    EXPECT_GT(QFileInfo(data + QStringLiteral("/SET")).size(), 0);
    const QFileInfo link(data + QStringLiteral("/samples"));
    ASSERT_TRUE(link.isSymLink());
    EXPECT_EQ(QFileInfo(link.symLinkTarget()).canonicalFilePath(),
              QFileInfo(at(QStringLiteral("share/pondel/samples"))).canonicalFilePath());
    // Only a link: nothing was copied.
    EXPECT_EQ(QDir(data).entryList(QDir::Files | QDir::NoDotAndDotDot), QStringList{QStringLiteral("SET")});
}

TEST_F(InstallTree, LauncherFollowsXdgDataHomeAndLeavesTheUsersOwnFolderAlone)
{
    QTemporaryDir home, data;
    QProcessEnvironment env = desktopEnvironment(home.path());
    env.insert(QStringLiteral("XDG_DATA_HOME"), data.path());
    const QString folder = data.filePath(QStringLiteral("pondel"));
    // A folder of the user's own named like the link.
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/samples")));
    ASSERT_TRUE(launchAndEnd(home.path(), env, folder));
    const QFileInfo samples(folder + QStringLiteral("/samples"));
    EXPECT_TRUE(samples.isDir() && !samples.isSymLink());

    // A relative XDG_DATA_HOME is not to be used.
    env.insert(QStringLiteral("XDG_DATA_HOME"), QStringLiteral("relative"));
    EXPECT_TRUE(launchAndEnd(home.path(), env, home.filePath(QStringLiteral(".local/share/pondel"))));
    EXPECT_FALSE(QFileInfo::exists(home.filePath(QStringLiteral("relative"))));
}

}  // namespace
