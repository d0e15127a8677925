#include "app/module1.h"
#include "app/settings_file.h"
#include "ui/main/main_window.h"
#include "ui/main/messenger.h"
#include "ui/main/tank_view.h"
#include "ui/main/wayland/wayland_title_bars.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QMenuBar>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <random>

namespace {

// The regions the widget was asked to paint.
struct PaintLog : QObject {
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (e->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(e)->region());
        return false;
    }
    std::vector<QRegion> regions;
};

struct Recorder : Messenger {
    void show(const QString& text, const QString& title) override { shown.push_back({text, title}); }
    std::vector<std::pair<QString, QString>> shown;
};

class StartProcedure : public ::testing::Test {
protected:
    QString setPath() const { return dir.filePath(QStringLiteral("SET")); }
    void writeSet(const TankSettings& s) const
    {
        QFile f(setPath());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(serializeSettings(s));
    }
    TankSettings savedRecord() const
    {
        QFile f(setPath());
        return f.open(QIODevice::ReadOnly) ? parseSettings(f.readAll()) : TankSettings{};
    }
    std::unique_ptr<Module1> start()
    {
        auto program = std::make_unique<Module1>(messages, setPath());
        program->Main();
        // The deferred start-up messages, without a frame tick that a slow start (a loaded
        // machine, the sanitizers) would let fall due and that would move the fish.
        QTimer* tick = program->mainFrm().Timer1;
        tick->stop();
        QCoreApplication::processEvents();
        tick->start();
        return program;
    }

    QTemporaryDir dir;
    Recorder messages;
};

TEST_F(StartProcedure, FirstRunCreatesSetAndShowsOneFishInAFixedTankWindow)
{
    auto program = start();
    MainWindow& w = program->mainFrm();
    EXPECT_TRUE(QFile::exists(setPath()));
    EXPECT_EQ(QFileInfo(setPath()).size(), 0);
    EXPECT_TRUE(messages.shown.empty());

    EXPECT_EQ(program->settings().fishTotal, 1);
    EXPECT_EQ(program->settings().kinds[0].count, 1);
    EXPECT_EQ(program->settings().fish[0].frameX, 375);
    EXPECT_GE(program->settings().fish[0].y, 0);
    EXPECT_LE(program->settings().fish[0].y, 224);

    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), QStringLiteral("ぽんでる"));
    EXPECT_EQ(w.suisouView->size(), QSize(500, 300));
    EXPECT_EQ(w.suisouView->mapTo(&w, QPoint(0, 0)), QPoint(0, w.menuBar()->height()));
    EXPECT_EQ(w.size(), QSize(500, 300 + w.menuBar()->height()));
    EXPECT_FALSE(w.windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
    EXPECT_EQ(w.engineState().twipsX, 1440 / qRound(w.screen()->logicalDotsPerInchX()));

    QStringList bar;
    for (QAction* a : w.menuBar()->actions())
        bar << a->text();
    EXPECT_EQ(bar, (QStringList{QStringLiteral("終了"), QStringLiteral("世話"), QStringLiteral("設定")}));
    EXPECT_EQ(w.mnuSewa->actions().value(0)->text(), QStringLiteral("餌やり"));
    EXPECT_EQ(w.mnuSet->actions().value(0)->text(), QStringLiteral("数＆種類"));
    EXPECT_EQ(w.Timer1->interval(), 100);
    EXPECT_EQ(w.Timer2->interval(), 2500);
    EXPECT_TRUE(w.Timer1->isActive() && w.Timer2->isActive());
    w.close();
}

TEST_F(StartProcedure, StartHeightsRepeatFromRunToRun)
{
    TankSettings s;
    s.fishTotal = 5;
    s.kinds[0].count = 5;
    writeSet(s);
    // Read before any event runs: a frame tick would move them.
    auto startHeights = [&] {
        Module1 program(messages, setPath());
        program.Main();
        std::array<std::int16_t, 5> y{};
        for (int i = 0; i < 5; ++i)
            y[std::size_t(i)] = program.settings().fish[std::size_t(i)].y;
        program.mainFrm().hide();
        return y;
    };
    EXPECT_EQ(startHeights(), startHeights());
}

TEST_F(StartProcedure, MissingPicturesAreReportedOnceEachAndTheRecordKeepsThem)
{
    TankSettings s;
    s.fishTotal = 2;
    s.lastKind = 1;
    s.kinds[0].count = 1;
    s.kinds[1] = {1, QStringLiteral("赤"), dir.filePath(QStringLiteral("gone.pat"))};
    s.fishKindOf = {0, 1, 0, 0, 0};
    s.accessoryCount = 1;
    s.accessories[0].name = QStringLiteral("水草");
    s.accessories[0].picturePath = dir.filePath(QStringLiteral("plant.acc"));
    QFile text(s.accessories[0].picturePath);
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not a picture\n");
    text.close();
    writeSet(s);

    auto program = start();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[0].first.contains(QStringLiteral("gone.pat")));
    EXPECT_TRUE(messages.shown[1].first.contains(QStringLiteral("plant.acc")));
    for (const auto& m : messages.shown)
        EXPECT_EQ(m.second, QStringLiteral("ｴﾗｰ"));
    Scene& scene = program->mainFrm().scene();
    EXPECT_EQ(scene.pat[1], scene.pat[0]) << "fish of a missing kind keep the built-in look";

    program->mainFrm().engine().AnimateTank();  // draws without the accessory picture
    program->mainFrm().close();
    const TankSettings saved = savedRecord();
    EXPECT_EQ(saved.kinds[1].patternPath, s.kinds[1].patternPath);
    EXPECT_EQ(saved.accessories[0].picturePath, s.accessories[0].picturePath);
}

TEST_F(StartProcedure, UnreadableSetStartsOnDefaultsAndReportsBothEnds)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("SET")));
    auto program = start();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_TRUE(messages.shown[0].first.contains(QStringLiteral("SET")));
    EXPECT_EQ(program->settings().fishTotal, 1);
    program->mainFrm().close();
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_TRUE(messages.shown[1].first.contains(QStringLiteral("保存できません")));
}

TEST_F(StartProcedure, EveryWayOfClosingWritesTheRecord)
{
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    s.fish[0] = {321, 0, 4, 0, -5, QStringLiteral("x"), 0};
    writeSet(s);
    {
        auto program = start();
        program->mainFrm().close();
        EXPECT_EQ(savedRecord().fish[0].x, 321);
        EXPECT_EQ(savedRecord().fish[0].swimMode, 4);
        EXPECT_EQ(savedRecord().fish[0].spareText, QStringLiteral("x"));
    }
    QFile::remove(setPath());
    auto program = start();
    program->settings().reserved = 99;
    program->mainFrm().mnuEnd->trigger();
    EXPECT_FALSE(program->mainFrm().isVisible());
    EXPECT_EQ(savedRecord().reserved, 99);
    EXPECT_EQ(QFileInfo(setPath()).size(), 190);
}

TEST_F(StartProcedure, TheTankViewRepaintsOnlyWhatATickChangedAndNothingForNoChange)
{
    auto program = start();
    MainWindow& w = program->mainFrm();
    w.Timer1->stop();
    QTest::qWait(20);  // the first paint
    PaintLog log;
    w.suisouView->installEventFilter(&log);

    w.suisouView->showChanges(FrameChanges{});
    QTest::qWait(20);
    EXPECT_TRUE(log.regions.empty()) << "no change, no repaint";

    FrameChanges moved;
    moved.rects[0] = QRect(10, 20, 75, 75);
    moved.rects[1] = QRect(300, 200, 80, 75);
    moved.count = 2;
    w.suisouView->showChanges(moved);
    QTest::qWait(20);
    ASSERT_EQ(log.regions.size(), 1u);
    EXPECT_EQ(log.regions[0], QRegion(moved.rects[0]) + QRegion(moved.rects[1]));

    // Places as ticks give them: overlapping, nested, in no order. The pixels repainted
    // on the screen are exactly those of the places, none missed and none more: the
    // frame turns from black to white unannounced, so only they turn white.
    QImage& frame = w.scene().suisou;
    auto onScreen = [&] {
        return w.screen()->grabWindow(w.winId()).toImage().copy(QRect(w.suisouView->mapTo(&w, QPoint()), frame.size()));
    };
    std::mt19937 rng(15);
    for (int round = 0; round < 40; ++round) {
        frame.fill(Qt::black);
        w.suisouView->repaint();
        FrameChanges ticked;
        ticked.count = 2 + int(rng() % (FrameChanges::kMaxRects - 1));
        QRegion places;
        for (int i = 0; i < ticked.count; ++i) {
            const QRect r(int(rng() % 480), int(rng() % 280), 1 + int(rng() % 120), 1 + int(rng() % 90));
            ticked.rects[std::size_t(i)] = r & frame.rect();
            places += ticked.rects[std::size_t(i)];
        }
        QImage expected(frame.size(), QImage::Format_RGB32);
        expected.fill(Qt::black);
        for (const QRect& r : places)
            QPainter(&expected).fillRect(r, Qt::white);
        frame.fill(Qt::white);
        w.suisouView->showChanges(ticked);
        QTest::qWait(5);
        ASSERT_EQ(onScreen().convertToFormat(QImage::Format_RGB32), expected) << "round " << round;
    }

    // What it paints there is the frame the engine composed.
    w.mainFrm_Timer1_Timer();
    const QImage shown = w.suisouView->grab().toImage().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(shown, w.scene().suisou);
    w.close();
}

TEST(Messages, OneOkButtonAndNoIconAnywhere)
{
    bool seen = false;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = true;
        EXPECT_EQ(box->windowTitle(), QStringLiteral("注意"));
        EXPECT_EQ(box->text(), QStringLiteral("一行の知らせ"));
        EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
        ASSERT_EQ(box->buttons().size(), 1);
        EXPECT_TRUE(box->buttons().front()->icon().isNull());
        box->accept();
    });
    Messenger().show(QStringLiteral("一行の知らせ"), QStringLiteral("注意"));
    EXPECT_TRUE(seen);
}

// The program's own choice of no client buffer integration is not a fault to report; every
// other line, from Qt's Wayland platform or elsewhere, still reaches the handler before.
QStringList passedOn;
void record(QtMsgType, const QMessageLogContext&, const QString& message) { passedOn << message; }

TEST(Messages, QtsWarningsAboutTheIntegrationChosenOnPurposeAreDroppedAndNothingElse)
{
    const QtMessageHandler outer = qInstallMessageHandler(record);
    keepQuietAboutNoClientBufferIntegration();
    const QLoggingCategory wayland("qt.qpa.wayland");
    qCWarning(wayland) << "Failed to load client buffer integration:" << QStringLiteral("none");
    qCWarning(wayland) << "Available client buffer integrations:" << QStringList{QStringLiteral("wayland-egl")};
    qCWarning(wayland) << "Failed to load client buffer integration:" << QStringLiteral("wayland-egl");
    qCWarning(wayland) << "Could not create EGL display";
    qWarning() << "Available client buffer integrations:";
    qInstallMessageHandler(outer);
    EXPECT_EQ(passedOn, (QStringList{QStringLiteral(R"(Failed to load client buffer integration: "wayland-egl")"),
                                     QStringLiteral("Could not create EGL display"),
                                     QStringLiteral("Available client buffer integrations:")}));
}

}  // namespace
