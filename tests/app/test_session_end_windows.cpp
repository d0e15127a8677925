#include "app/module1.h"
#include "app/settings_file.h"
#include "app/signal_close.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTest>

#include <windows.h>

#include <gtest/gtest.h>

namespace {

struct Silent : Messenger {
    void show(const QString& text, const QString&) override { shown << text; }
    QStringList shown;
};

class SessionEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (QGuiApplication::platformName() != QLatin1String("windows"))
            GTEST_SKIP() << "the end of a session reaches only real windows (platform windows)";
        ASSERT_TRUE(dir.isValid());
    }
    QString setPath() const { return dir.filePath(QStringLiteral("SET")); }
    std::unique_ptr<Module1> start()
    {
        auto program = std::make_unique<Module1>(messages, setPath());
        program->Main();
        closeOnTerminationSignals(&program->mainFrm());
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&program->mainFrm()));
        // The first start leaves an empty SET; the record is written when the tank closes.
        EXPECT_EQ(QFile(setPath()).size(), 0);
        return program;
    }
    void expectSavedOnce(Module1& program)
    {
        EXPECT_FALSE(program.mainFrm().isVisible());
        QFile f(setPath());
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), serializeSettings(program.settings()));
        EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
    }

    QTemporaryDir dir;
    Silent messages;
};

TEST_F(SessionEnd, LogoffClosesTheTankAndWritesSetBeforeWindowsIsAnswered)
{
    auto program = start();
    const HWND hwnd = reinterpret_cast<HWND>(program->mainFrm().winId());
    // Windows asks every top-level window; once the answer is yes, it may end the process
    // at any time, so SET must be on disk by the time SendMessage returns.
    EXPECT_EQ(SendMessageW(hwnd, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
    expectSavedOnce(*program);
    // The logoff was called off: the program may end as it likes.
    SendMessageW(hwnd, WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
}

TEST_F(SessionEnd, ConsoleCtrlCClosesTheTankTheNormalWay)
{
    auto program = start();
    if (!GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0))
        GTEST_SKIP() << "no console to press Ctrl+C in";
    EXPECT_TRUE(QTest::qWaitFor([&] { return !program->mainFrm().isVisible(); }, 5000));
    expectSavedOnce(*program);
}

}  // namespace
