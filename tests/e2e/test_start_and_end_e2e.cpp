#include "e2e/e2e_harness.h"

#include "app/settings_file.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstring>
#include <functional>
#include <grp.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

// Where the settings dialog's controls lie in its client area at 96 DPI.
constexpr QPoint kFirstKindLine(112, 71);
constexpr QPoint kSpinnerUp(208, 113);
constexpr QPoint kApply(176, 293);

int orangePixels(const QImage& img)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QColor c = img.pixelColor(x, y);
            n += c.red() > 200 && c.green() > 60 && c.green() < 190 && c.blue() < 110;
        }
    return n;
}

TankSettings firstRunRecord()
{
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    return s;
}

// The program in `folder` with `env`, not waiting for any window.
void launch(QProcess& p, const QString& folder, const QProcessEnvironment& env)
{
    p.setProcessEnvironment(env);
    p.setWorkingDirectory(folder);
    p.start(e2e::binary(), {});
    ASSERT_TRUE(p.waitForStarted(5000));
}

class StartAndEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!x.ok())
            GTEST_SKIP() << "Xvfb is not available";
    }
    e2e::XServer x;
};

TEST_F(StartAndEnd, EmptyFolderShowsTheTankAndTheEndCommandLeavesTheFirstRunRecord)
{
    e2e::Pondel app(x);
    ASSERT_TRUE(app.start());
    EXPECT_TRUE(QFile::exists(app.path("SET"))) << "SET is created at start";

    QThread::msleep(600);  // a few frames
    const QImage tank = app.tank();
    ASSERT_EQ(tank.size(), QSize(500, 300));
    EXPECT_EQ(tank.pixelColor(250, 2), QColor(255, 255, 255)) << "air band";
    EXPECT_EQ(tank.pixelColor(250, 150), QColor(204, 255, 204)) << "water";
    const QColor gravel = tank.pixelColor(250, 294);
    EXPECT_NE(gravel, QColor(204, 255, 204)) << "gravel along the floor";
    EXPECT_GT(orangePixels(tank), 300) << "a goldfish";

    x.click(app.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(app.waitForExit());
    EXPECT_EQ(app.process().exitCode(), 0);

    const QByteArray bytes = app.readFile("SET");
    ASSERT_EQ(bytes.size(), 190);
    EXPECT_EQ(bytes.left(10), QByteArray::fromHex("01000000010000000000"));
    TankSettings saved = parseSettings(bytes);
    TankSettings expected = firstRunRecord();
    // Where the fish was is the engine's business; the rest is the first-run record.
    expected.fish[0] = saved.fish[0];
    expected.accessories = saved.accessories;
    EXPECT_EQ(saved, expected);
    EXPECT_EQ(saved.fish[0].frameX % 75, 0);
}

TEST_F(StartAndEnd, TerminationSignalClosesTheWindowAndSavesTheRecord)
{
    e2e::Pondel app(x);
    TankSettings s = firstRunRecord();
    s.fishTotal = 5;
    s.lastKind = 1;
    s.kinds[0].count = 3;
    s.kinds[1] = {2, QStringLiteral("kuro"), QStringLiteral(PONDEL_BUILD_DIR "/samples/kuro.pat")};
    s.fishKindOf = {0, 0, 0, 1, 1};
    s.fish[1].spareText = QStringLiteral("そのまま");
    s.reserved = 1234;
    app.writeFile("SET", serializeSettings(s) + QByteArray("tail bytes beyond the record"));
    ASSERT_TRUE(app.start());
    QThread::msleep(300);

    // The close box ends the program; but while the settings dialog is open the main
    // window is disabled and its close box does nothing: no exit, the dialog stays,
    // nothing written.
    x.requestClose(app.window());
    ASSERT_TRUE(app.waitForExit()) << "the close box ends the program";
    const QByteArray firstSave = app.readFile("SET");
    ASSERT_TRUE(app.start());
    x.menuFirstItem(app.window(), e2e::kMenuSetX);
    ASSERT_TRUE(x.waitForWindow(QStringLiteral("設定"), 5000));
    x.requestClose(app.window());
    QThread::msleep(700);
    EXPECT_EQ(app.process().state(), QProcess::Running);
    EXPECT_TRUE(x.findWindow(QStringLiteral("設定")));
    EXPECT_EQ(app.readFile("SET"), firstSave);

    // A sixth fish (a fourth of the built-in kind) brings up the ｴﾗｰ box, whose loop runs inside the dialog's handler.
    // A termination signal still closes everything and saves, the dialog going only
    // once its box has returned.
    const auto dialog = x.findWindow(QStringLiteral("設定"));
    ASSERT_TRUE(dialog);
    x.click(*dialog, kFirstKindLine.x(), kFirstKindLine.y());
    x.click(*dialog, kSpinnerUp.x(), kSpinnerUp.y());
    ASSERT_TRUE(x.waitForWindow(QStringLiteral("ｴﾗｰ"), 5000));
    ::kill(static_cast<pid_t>(app.process().processId()), SIGTERM);
    ASSERT_TRUE(app.waitForExit());
    EXPECT_EQ(app.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.process().exitCode(), 0);
    EXPECT_FALSE(QFile::exists(app.path("SET.lock")));

    const QByteArray bytes = app.readFile("SET");
    const TankSettings saved = parseSettings(bytes);
    EXPECT_EQ(saved.fishTotal, 5);
    EXPECT_EQ(saved.reserved, 1234);
    EXPECT_EQ(saved.fish[1].spareText, QStringLiteral("そのまま"));
    EXPECT_TRUE(bytes.endsWith("tail bytes beyond the record"));
}

// Logout may come as thousands of signals at once; the first closes the tank, which
// ends within seconds with its record stored and its lock gone.
TEST_F(StartAndEnd, AStormOfTerminationSignalsEndsTheTankAtOnce)
{
    e2e::Pondel app(x);
    TankSettings s = firstRunRecord();
    s.reserved = 777;
    app.writeFile("SET", serializeSettings(s));
    ASSERT_TRUE(app.start());
    // All three kinds: each can be pending beside the others, so far more get through.
    const auto pid = static_cast<pid_t>(app.process().processId());
    const int kinds[] = {SIGTERM, SIGHUP, SIGINT};
    for (int i = 0; i < 30000 && ::kill(pid, kinds[i % 3]) == 0; ++i) {
    }
    ASSERT_TRUE(app.waitForExit(10000)) << "still running after the storm";
    EXPECT_EQ(app.process().exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(app.process().exitCode(), 0);
    EXPECT_EQ(parseSettings(app.readFile("SET")).reserved, 777);
    EXPECT_FALSE(QFile::exists(app.path("SET.lock")));
}

// 「設定」▸「数＆種類」: `more` fish of the built-in kind, then 「設定」. Returns once the
// dialog is gone.
void applyMoreFish(const e2e::XServer& x, const e2e::Pondel& app, int more)
{
    x.menuFirstItem(app.window(), e2e::kMenuSetX);
    const auto dialog = x.waitForWindow(QStringLiteral("設定"), 5000);
    ASSERT_TRUE(dialog);
    x.click(*dialog, kFirstKindLine.x(), kFirstKindLine.y());
    for (int i = 0; i < more; ++i)
        x.click(*dialog, kSpinnerUp.x(), kSpinnerUp.y());
    x.click(*dialog, kApply.x(), kApply.y());
    ASSERT_TRUE(e2e::waitUntil([&] { return !x.findWindow(QStringLiteral("設定")); }, 5000));
}

TEST_F(StartAndEnd, WhatWasAppliedSurvivesAKillAndTheXServerDying)
{
    e2e::Pondel app(x);
    ASSERT_TRUE(app.start());
    applyMoreFish(x, app, 3);
    ::kill(static_cast<pid_t>(app.process().processId()), SIGKILL);
    ASSERT_TRUE(app.waitForExit());
    const TankSettings applied = parseSettings(app.readFile("SET"));
    EXPECT_EQ(applied.fishTotal, 4) << "stored at 設定";
    EXPECT_EQ(applied.kinds[0].count, 4);

    // The killed tank's lock does not keep the next one out.
    ASSERT_TRUE(app.start());
    applyMoreFish(x, app, 1);
    const TankSettings atApply = parseSettings(app.readFile("SET"));
    ASSERT_EQ(atApply.fishTotal, 5);
    QThread::msleep(1500);  // the fish swim on
    x.kill();
    ASSERT_TRUE(app.waitForExit());
    EXPECT_FALSE(QFile::exists(app.path("SET.lock")));
    const TankSettings atLoss = parseSettings(app.readFile("SET"));
    EXPECT_EQ(atLoss.fishTotal, 5);
    EXPECT_EQ(atLoss.kinds[0].count, 5);
    auto places = [](const TankSettings& r) {
        std::vector<std::pair<int, int>> xy;
        for (const FishState& f : r.fish)
            xy.emplace_back(f.x, f.y);
        return xy;
    };
    EXPECT_NE(places(atLoss), places(atApply)) << "where the fish were when the display went, not at 設定";
}

TEST_F(StartAndEnd, ASecondTankInTheSameFolderSaysSoAndLeavesTheRecordToTheFirst)
{
    e2e::Pondel first(x);
    TankSettings s = firstRunRecord();
    s.fishTotal = 3;
    s.kinds[0].count = 3;
    s.reserved = 4321;
    first.writeFile("SET", serializeSettings(s));
    ASSERT_TRUE(first.start());

    auto env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), x.display());
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    // Logout while the box saying so waits ends that start as its OK does. (Before any
    // Return is typed: under Xvfb, boxes opened after xdotool typed one closed at once.)
    for (const int sig : {SIGTERM, SIGHUP}) {
        QProcess refused;
        launch(refused, first.folder(), env);
        ASSERT_TRUE(x.waitForWindow(QStringLiteral("注意")));
        ::kill(static_cast<pid_t>(refused.processId()), sig);
        ASSERT_TRUE(refused.waitForFinished(10000));
        EXPECT_EQ(refused.exitStatus(), QProcess::NormalExit) << "ended by signal " << sig;
        EXPECT_EQ(refused.exitCode(), 1);
        EXPECT_FALSE(x.findWindow(QStringLiteral("注意")));
    }

    QProcess second;
    launch(second, first.folder(), env);
    const auto box = x.waitForWindow(QStringLiteral("注意"));
    ASSERT_TRUE(box) << "the second start says a tank runs here";
    const QByteArray tanks = x.xdotool({QStringLiteral("search"), QStringLiteral("--onlyvisible"),
                                        QStringLiteral("--name"), QStringLiteral("^ぽんでる$")});
    EXPECT_EQ(tanks.trimmed().split('\n').size(), 1) << "no second tank window";
    x.key(*box, QStringLiteral("Return"));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(first.readFile("SET"), serializeSettings(s)) << "the second start writes nothing";

    x.click(first.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(first.waitForExit());
    const TankSettings saved = parseSettings(first.readFile("SET"));
    EXPECT_EQ(saved.fishTotal, 3);
    EXPECT_EQ(saved.reserved, 4321);
}

// Runs the process as nobody when the tests run as root, for whom no permission stops
// an open.
void unprivileged(QProcess& p)
{
    if (::geteuid() != 0)
        return;
    p.setChildProcessModifier([] {
        if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(126);
    });
}

std::string whatIsAt(const QString& path)
{
    struct stat st = {};
    if (::lstat(QFile::encodeName(path).constData(), &st) != 0)
        return "nothing";
    if (S_ISLNK(st.st_mode))
        return "a link to " + QFile::symLinkTarget(path).toStdString();
    return S_ISFIFO(st.st_mode) ? "a pipe" : S_ISDIR(st.st_mode) ? "a folder" : "a file";
}

// A start beside a running tank says so and ends with status 1.
void expectRefused(const e2e::XServer& x, const QString& folder, bool asNobody)
{
    QProcess second;
    auto env = QProcessEnvironment::systemEnvironment();
    x.addTo(env);
    if (asNobody)
        unprivileged(second);
    launch(second, folder, env);
    const auto box = x.waitForWindow(QStringLiteral("注意"));
    EXPECT_TRUE(box) << (second.state() == QProcess::Running ? "a second tank runs in the folder" : "no box");
    if (box)
        x.requestClose(*box);
    if (!second.waitForFinished(10000))
        second.kill();
    second.waitForFinished(1000);
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 1);
}

// Only a lock that a live tank holds keeps a start out. What a SET.lock says, and who
// wrote it, counts for nothing: one left empty by a crash or a full disk, one from a tank
// on another machine (a USB stick, a network share), and one copied with its folder while
// its tank runs. Nor may a name that cannot be locked (a pipe that would block an open,
// a link, a folder, a file a folder we may not write cannot get) let two tanks run:
// each start takes the tank, and the next one beside it is refused.
TEST_F(StartAndEnd, ALockNobodyHoldsIsTakenWhateverItSays)
{
    e2e::XServer elsewhere;  // its own display, so every window found here is the new tank's
    ASSERT_TRUE(elsewhere.ok());
    e2e::Pondel running(elsewhere);
    ASSERT_TRUE(running.start());
    ASSERT_TRUE(e2e::waitUntil([&] { return QFile::exists(running.path("SET.lock")); }, 5000));
    const QByteArray copied = running.readFile("SET.lock");
    const QByteArray otherHost = QByteArray::number(running.process().processId()) + "\npondel\nsome-other-host\n";
    auto file = [](QByteArray bytes) {
        return [bytes](const e2e::Pondel& app) { app.writeFile("SET.lock", bytes); };
    };
    auto shell = [](const char* command) {
        return [command](const e2e::Pondel& app) {
            QProcess sh;
            sh.setWorkingDirectory(app.folder());
            sh.start(QStringLiteral("sh"), {QStringLiteral("-c"), QLatin1String(command)});
            sh.waitForFinished(5000);
        };
    };
    const struct {
        const char* what;
        std::function<void(const e2e::Pondel&)> prepare;
        bool asNobody;    // where only an unprivileged open meets the trap
        bool lockRemains;  // what the tank did not lock it leaves alone
    } cases[] = {
        {"empty", file({}), false, false},
        {"another host", file(otherHost), false, false},
        {"copied from a running tank", file(copied), false, false},
        {"a pipe nobody may write", shell("chmod 777 . && mkfifo -m 444 SET.lock"), true, true},
        {"a link to a file", shell("echo 1 > real.lock && ln -s real.lock SET.lock"), false, true},
        {"a dangling link", shell("ln -s gone.lock SET.lock"), false, true},
        {"a folder", shell("mkdir SET.lock"), false, true},
        {"none, in a folder nobody may write", shell("touch SET && chmod 666 SET && chmod 555 ."), true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        e2e::Pondel app(x);
        c.prepare(app);
        const std::string before = whatIsAt(app.path("SET.lock"));
        if (c.asNobody)
            unprivileged(app.process());
        if (!app.start()) {
            ADD_FAILURE() << "no tank window";
            continue;
        }
        EXPECT_FALSE(x.findWindow(QStringLiteral("注意")));
        expectRefused(x, app.folder(), c.asNobody);
        x.click(app.window(), e2e::kMenuEndX, e2e::kMenuBarY);
        ASSERT_TRUE(app.waitForExit());
        EXPECT_EQ(app.process().exitCode(), 0);
        EXPECT_EQ(whatIsAt(app.path("SET.lock")), c.lockRemains ? before : "nothing");
        QFile::setPermissions(app.folder(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    }

    // Meanwhile the first tank kept its folder, even when its SET.lock is removed by
    // hand: a start is still refused, and when the tank ends it leaves alone the
    // SET.lock made in its place, which it never locked.
    EXPECT_TRUE(QFile::exists(running.path("SET.lock")));
    ASSERT_TRUE(QFile::remove(running.path("SET.lock")));
    expectRefused(x, running.folder(), false);
    running.writeFile("SET.lock", "made by hand\n");
    elsewhere.click(running.window(), e2e::kMenuEndX, e2e::kMenuBarY);
    ASSERT_TRUE(running.waitForExit());
    EXPECT_EQ(running.readFile("SET.lock"), "made by hand\n");
}

// Needs no X server: this is about having none.
TEST(NoDisplay, OneLineOnStderrAndStatusOneWithoutAnAbort)
{
    // A display number no server listens on.
    int free = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(free))
           || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(free)))
        ++free;
    auto none = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        none.remove(QLatin1String(name));
    auto closed = none;
    closed.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(free));
    closed.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));

    for (const QProcessEnvironment& env : {none, closed}) {
        QTemporaryDir folder;
        QProcess p;
        launch(p, folder.path(), env);
        ASSERT_TRUE(p.waitForFinished(10000));
        const QByteArray err = p.readAllStandardError();
        SCOPED_TRACE(env.value(QStringLiteral("DISPLAY"), QStringLiteral("no DISPLAY")).toStdString());
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit) << "no abort, no core";
        EXPECT_EQ(p.exitCode(), 1);
        EXPECT_EQ(err.count('\n'), 1) << err.toStdString();
        EXPECT_TRUE(err.startsWith("pondel: no display could be opened")) << err.toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        EXPECT_FALSE(QFile::exists(QDir(folder.path()).filePath("SET")));
    }
}

// An X server that takes the connection and never answers holds the start inside the
// display's opening: a termination signal there ends it with the status of a display
// that could not be opened, not by the signal.
TEST(NoDisplay, ASignalWhileTheDisplayOpensEndsTheStartWithStatusOne)
{
    int n = 90;
    while (QFile::exists(QStringLiteral("/tmp/.X11-unix/X%1").arg(n)) || QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
        ++n;
    const QByteArray path = QStringLiteral("/tmp/.X11-unix/X%1").arg(n).toLatin1();
    const int listener = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un where = {};
    where.sun_family = AF_UNIX;
    std::strncpy(where.sun_path, path.constData(), sizeof where.sun_path - 1);
    if (::bind(listener, reinterpret_cast<const sockaddr*>(&where), sizeof where) != 0 || ::listen(listener, 4) != 0) {
        ::close(listener);
        GTEST_SKIP() << "no socket can be made in /tmp/.X11-unix";
    }
    auto env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("WAYLAND_DISPLAY"));
    env.insert(QStringLiteral("DISPLAY"), QStringLiteral(":%1").arg(n));
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
    QTemporaryDir folder;
    QProcess p;
    launch(p, folder.path(), env);
    pollfd connecting = {listener, POLLIN, 0};
    const bool connected = ::poll(&connecting, 1, 10000) == 1;
    const int client = connected ? ::accept(listener, nullptr, nullptr) : -1;
    QThread::msleep(300);  // its first request sent, it waits for the answer
    ::kill(static_cast<pid_t>(p.processId()), SIGTERM);
    const bool ended = p.waitForFinished(10000);
    ::close(client);
    ::close(listener);
    ::unlink(path.constData());
    ASSERT_TRUE(connected) << "the program never came to the display";
    ASSERT_TRUE(ended);
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 1);
    EXPECT_FALSE(QFile::exists(QDir(folder.path()).filePath("SET")));
    EXPECT_FALSE(QFile::exists(QDir(folder.path()).filePath("SET.lock")));
}

}  // namespace

// Qt's Wayland plugin ends the process with _exit() when the compositor goes, and
// notices it on its event thread: the record is stored all the same.
TEST(DisplayLoss, TheCompositorDyingStoresTheRecordOfThatMoment)
{
    e2e::Weston weston;
    if (!weston.ok())
        GTEST_SKIP() << "Weston is not available";
    e2e::Pondel app(weston);
    TankSettings s = firstRunRecord();
    s.fishTotal = 2;
    s.kinds[0].count = 2;
    s.fish[1] = {300, 0, 4, 0, 0, {}, 0};
    app.writeFile("SET", serializeSettings(s));
    ASSERT_TRUE(app.start());
    QThread::msleep(2000);  // the fish swim away from where they started
    weston.kill();
    ASSERT_TRUE(app.waitForExit());
    EXPECT_FALSE(QFile::exists(app.path("SET.lock")));
    const TankSettings stored = parseSettings(app.readFile("SET"));
    EXPECT_EQ(stored.fishTotal, 2);
    EXPECT_NE(stored.fish[1].x, 300) << "where the fish was when the compositor went";
}
