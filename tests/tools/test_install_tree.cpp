// What `cmake --install` lays down is what a desktop needs: the programs, the desktop
// entry and its icon, the AppStream metadata, the samples, and a launcher that gives
// the program a folder of its own for SET; and the Debian package made of it passes
// Debian's own checker.

#include "tools/sheet/sheet_check.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <memory>
#include <set>

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

TEST_F(InstallTree, HelpAndVersionAnswerAndOtherArgumentsAreRefusedWithoutADisplayOrSet)
{
    // With no display at all, anything that reached QApplication would abort instead.
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        env.remove(QLatin1String(name));
    QTemporaryDir cwd;
    struct Answer {
        int status = -1;
        QString out, err;
    };
    const auto call = [&](const QString& name, const QStringList& args) {
        QProcess p;
        p.setWorkingDirectory(cwd.path());
        p.setProcessEnvironment(env);
        p.start(program(name), args);
        Answer a;
        if (p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit)
            a.status = p.exitCode();
        a.out = QString::fromLocal8Bit(p.readAllStandardOutput());
        a.err = QString::fromLocal8Bit(p.readAllStandardError());
        return a;
    };
    const QString pondel = QStringLiteral("pondel");
    const QString version = QStringLiteral("pondel " PONDEL_VERSION "\n");

    const Answer help = call(pondel, {QStringLiteral("--help")});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.startsWith(QStringLiteral("Usage: pondel"))) << help.out.toStdString();
    EXPECT_TRUE(help.out.contains(QStringLiteral("--version")));
    EXPECT_EQ(help.err, QString());
    EXPECT_EQ(call(pondel, {QStringLiteral("-h")}).out, help.out);

    for (const QStringList& args : {QStringList{QStringLiteral("--version")}, QStringList{QStringLiteral("-v")},
                                    // Qt's own options stay Qt's, whatever else is asked.
                                    QStringList{QStringLiteral("-platform"), QStringLiteral("offscreen"),
                                                QStringLiteral("-style=fusion"), QStringLiteral("--version")}}) {
        const Answer a = call(pondel, args);
        EXPECT_EQ(a.status, 0) << args.join(' ').toStdString();
        EXPECT_EQ(a.out, version) << args.join(' ').toStdString();
        EXPECT_EQ(a.err, QString()) << args.join(' ').toStdString();
    }

    for (const QStringList& args :
         {QStringList{QStringLiteral("--bogus")}, QStringList{QStringLiteral("-x")}, QStringList{QStringLiteral("SET")},
          QStringList{QString()}, QStringList{QStringLiteral("--"), QStringLiteral("--help")},
          QStringList{QStringLiteral("--version"), QStringLiteral("extra")}, QStringList{QStringLiteral("--help=yes")},
          QStringList{QStringLiteral("-platform")}}) {
        const Answer a = call(pondel, args);
        EXPECT_EQ(a.status, 2) << args.join(' ').toStdString();
        EXPECT_EQ(a.out, QString()) << args.join(' ').toStdString();
        EXPECT_TRUE(a.err.startsWith(QStringLiteral("pondel: ")) && a.err.count(QLatin1Char('\n')) == 1
                    && a.err.endsWith(QLatin1Char('\n')))
            << args.join(' ').toStdString() << ": " << a.err.toStdString();
    }

    const Answer sheet = call(QStringLiteral("pondel-sheet"), {QStringLiteral("--version")});
    EXPECT_EQ(sheet.status, 0);
    EXPECT_EQ(sheet.out, QStringLiteral("pondel-sheet " PONDEL_VERSION "\n"));

    // No SET, nor anything else, was made where it ran.
    EXPECT_EQ(QDir(cwd.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(InstallTree, DebianPackagePassesLintian)
{
    const QString lintian = QStandardPaths::findExecutable(QStringLiteral("lintian"));
    if (lintian.isEmpty())
        GTEST_SKIP() << "lintian is not installed";
    QTemporaryDir out;
    QString log;
    ASSERT_EQ(run(QStringLiteral(PONDEL_CPACK_COMMAND),
                  {QStringLiteral("-G"), QStringLiteral("DEB"), QStringLiteral("--config"),
                   QStringLiteral(PONDEL_BUILD_DIR "/CPackConfig.cmake"), QStringLiteral("-B"), out.path()},
                  &log),
              0)
        << log.toStdString();
    const QStringList debs = QDir(out.path()).entryList({QStringLiteral("pondel_*.deb")}, QDir::Files);
    ASSERT_EQ(debs.size(), 1) << log.toStdString();

    // Informational tags that are the build's business rather than the package's.
    const std::set<QString> allowed = {
        // Built with the project's own compiler flags, not those dpkg-buildflags gives a
        // Debian build.
        QStringLiteral("hardening-no-bindnow"),
        QStringLiteral("hardening-no-fortify-functions"),
        // CPack strips with a plain strip, which keeps the compiler's .comment note.
        QStringLiteral("binary-has-unneeded-section"),
    };
    QProcess p;
    p.start(lintian, {QStringLiteral("--display-info"), QStringLiteral("--fail-on"), QStringLiteral("error,warning"),
                      QDir(out.path()).filePath(debs.first())});
    ASSERT_TRUE(p.waitForFinished(300000));
    const QString report = QString::fromLocal8Bit(p.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(p.readAllStandardError());
    EXPECT_EQ(p.exitCode(), 0) << report.toStdString() << err.toStdString();
    static const QRegularExpression tagLine(QStringLiteral(R"(^([A-Z]): pondel[^:]*: (\S+))"),
                                            QRegularExpression::MultilineOption);
    for (auto it = tagLine.globalMatch(report); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        EXPECT_TRUE(m.captured(1) == QLatin1String("I") && allowed.count(m.captured(2)))
            << m.captured(0).toStdString();
    }
}

}  // namespace
