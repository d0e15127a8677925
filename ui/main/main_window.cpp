#include "ui/main/main_window.h"

#include "app/settings_file.h"
#include "ui/main/pixel_ratio_follower.h"
#include "ui/main/tank_view.h"
#include "ui/main/visibility_watcher.h"
#include "ui/main/wayland/wayland_fixed_size.h"
#include "ui/main/whole_pixels.h"
#include "ui/settings/frame_margin_watcher.h"
#include "ui/settings/settings_dialog.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <chrono>

namespace {

// A sleeping tank still catches up once a minute: waking then has at most a minute to
// run, and the display-loss copy of the record is never older.
constexpr int kSleepBatchMs = 60000;
constexpr std::int64_t kNeverDue = INT64_MAX;

std::int64_t steadyMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// A timer resumed part-way through its interval takes the whole one again once it fired.
void keepInterval(QTimer* timer, int interval)
{
    QObject::connect(timer, &QTimer::timeout, timer, [timer, interval] {
        if (timer->interval() != interval)
            timer->setInterval(interval);
    });
}

// Starts a timer that was stopped so that it fires when it would have had it run on.
void resumeTimer(QTimer* timer, std::int64_t due, std::int64_t now, int interval)
{
    timer->start(int(std::clamp<std::int64_t>(due - now, 0, interval)));
}

}  // namespace

MainWindow::MainWindow(TankSettings& settings, EngineState& state, RandomSource& random, Messenger& messenger,
                       QString settingsPath)
    : QMainWindow(nullptr, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
                               | Qt::WindowCloseButtonHint),
      settings_(settings),
      state_(state),
      messenger_(messenger),
      settingsPath_(std::move(settingsPath)),
      scene_(Scene::withBuiltInPictures()),
      engine_(settings_, scene_, state_, random)
{
    setObjectName(QStringLiteral("mainFrm"));
    setWindowTitle(QStringLiteral("ぽんでる"));

    suisouView = new TankView(scene_.suisou, this);
    suisouView->setObjectName(QStringLiteral("suisou"));
    suisouView->setFixedSize(kTankWidth, kTankHeight);
    setCentralWidget(suisouView);

    mnuEnd = menuBar()->addAction(QStringLiteral("終了"));
    mnuEnd->setObjectName(QStringLiteral("mnuEnd"));
    mnuSewa = menuBar()->addMenu(QStringLiteral("世話"));
    mnuSewa->setObjectName(QStringLiteral("mnuSewa"));
    mnuEsa = mnuSewa->addAction(QStringLiteral("餌やり"));
    mnuEsa->setObjectName(QStringLiteral("mnuEsa"));
    mnuSet = menuBar()->addMenu(QStringLiteral("設定"));
    mnuSet->setObjectName(QStringLiteral("mnuSet"));
    mnuSetSyu = mnuSet->addAction(QStringLiteral("数＆種類"));
    mnuSetSyu->setObjectName(QStringLiteral("mnuSetSyu"));
    connect(mnuEnd, &QAction::triggered, this, &MainWindow::mainFrm_mnuEnd_Click);
    connect(mnuEsa, &QAction::triggered, this, &MainWindow::mainFrm_mnuEsa_Click);
    connect(mnuSetSyu, &QAction::triggered, this, &MainWindow::mainFrm_mnuSetSyu_Click);

    // Both timers run from the moment the window exists; they first fire once the
    // event loop runs, after the start procedure has returned.
    Timer1 = new QTimer(this);
    Timer1->setObjectName(QStringLiteral("Timer1"));
    Timer1->setInterval(100);
    connect(Timer1, &QTimer::timeout, this, &MainWindow::mainFrm_Timer1_Timer);
    Timer1->start();
    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(2500);
    connect(Timer2, &QTimer::timeout, this, &MainWindow::mainFrm_Timer2_Timer);
    Timer2->start();
    keepInterval(Timer1, kFrameTickMs);
    keepInterval(Timer2, kBehaviourPeriodMs);
    sleepBatch_ = new QTimer(this);
    sleepBatch_->setInterval(kSleepBatchMs);
    connect(sleepBatch_, &QTimer::timeout, this, &MainWindow::bringUpToDate);
}

MainWindow::~MainWindow() = default;

void MainWindow::InitTankWindow()
{
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    const double dpiX = screen ? screen->logicalDotsPerInchX() : 96.0;
    const double dpiY = screen ? screen->logicalDotsPerInchY() : 96.0;
    state_.twipsX = static_cast<std::int16_t>(std::lround(1440.0 / (dpiX > 0 ? dpiX : 96.0)));
    state_.twipsY = static_cast<std::int16_t>(std::lround(1440.0 / (dpiY > 0 ? dpiY : 96.0)));

    // The view is fixed at 500 x 300; the window takes exactly the menu bar and the
    // frame around it, whatever their sizes.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    fitMenuBar();
    // Centred by its outer size. Windows knows the frame once the native window exists
    // and the window is centred again by it; an X11 window manager tells it only after
    // mapping.
    auto centre = [this, screen] {
        const QRect avail = screen->geometry();
        const QSize outer = size().grownBy(FrameMarginWatcher::marginsOf(this));
        FrameMarginWatcher::moveFrameTo(this, QPoint(avail.x() + (avail.width() - outer.width()) / 2,
                                                     avail.y() + (avail.height() - outer.height()) / 2));
    };
    if (screen)
        centre();
    winId();
    if (screen && !FrameMarginWatcher::marginsOf(this).isNull())
        centre();

    scene_.prepareTankSurfaces();
    keepFixedSizeWindowsUnmaximized(*this);
    show();
    visibility_ = watchVisibility(*this, *suisouView);
    connect(visibility_.get(), &VisibilityWatcher::unseenChanged, this, &MainWindow::setUnseen);
    followPixelRatio(*this, [this] {
        fitMenuBar();
        suisouView->pixelRatioChanged();
    });
}

void MainWindow::fitMenuBar()
{
    // At a fractional scale the tank should start on a whole pixel: the menu bar grows to
    // the next one where that is near.
    const int step = wholePixelStep(screen());
    const int natural = menuBar()->sizeHint().height();
    if (step > 1)
        menuBar()->setFixedHeight((natural + step - 1) / step * step);
    else
        menuBar()->setFixedHeight(natural);
    adjustSize();
}

void MainWindow::mainFrm_Timer1_Timer()
{
    suisouView->prepareFrame();
    engine_.setInnerWidth(suisouView->width());
    engine_.AnimateTank();
    suisouView->showChanges(engine_.lastChanges());
    takeSnapshot();
}

void MainWindow::mainFrm_Timer2_Timer()
{
    engine_.behaviourPeriod();
    takeSnapshot();
}

void MainWindow::setUnseen(bool unseen)
{
    if (unseen == asleep_ || unloaded_)
        return;
    if (unseen) {
        // A frame timer stopped (the frame hold) stays so: no tick of it falls due.
        const std::int64_t now = steadyMs();
        due_ = {Timer1->isActive() ? now + std::max(0, Timer1->remainingTime()) : kNeverDue,
                now + std::max(0, Timer2->remainingTime())};
        Timer1->stop();
        Timer2->stop();
        asleep_ = true;
        sleepBatch_->start();
        return;
    }
    bringUpToDate();
    asleep_ = false;
    sleepBatch_->stop();
    // The frame the last missed tick would have shown, whole: what the screen held while
    // nobody looked may be gone.
    suisouView->prepareFrame();
    engine_.composeWholeNextTick();
    engine_.composeFrame();
    suisouView->showChanges(engine_.lastChanges());
    const std::int64_t now = steadyMs();
    if (due_.frameTick != kNeverDue)
        resumeTimer(Timer1, due_.frameTick, now, kFrameTickMs);
    resumeTimer(Timer2, due_.behaviourPeriod, now, kBehaviourPeriodMs);
}

void MainWindow::startFrameTimer()
{
    if (asleep_)
        due_.frameTick = steadyMs() + kFrameTickMs;  // started once the tank is seen
    else
        Timer1->start();
}

void MainWindow::bringUpToDate()
{
    if (!asleep_)
        return;
    engine_.setInnerWidth(suisouView->width());
    due_ = engine_.catchUp(due_, steadyMs());
    takeSnapshot();
}

void MainWindow::takeSnapshot()
{
    snapshot_.store(serializeSettings(settings_, &encodings_));
}

void MainWindow::mainFrm_mnuEsa_Click()
{
    engine_.startFeeding();
}

void MainWindow::mainFrm_mnuSetSyu_Click()
{
    openSettingsDialog(*this);
}

void MainWindow::mainFrm_mnuEnd_Click()
{
    bringUpToDate();
    // The unload below writes again and reports a failure, so one message covers both.
    writeSettingsFile(settings_, settingsPath_);
    close();
}

void MainWindow::mainFrm_Form_Unload()
{
    saveSettings();
}

void MainWindow::saveSettings()
{
    bringUpToDate();
    const QByteArray record = serializeSettings(settings_, &encodings_);
    snapshot_.store(record);
    const FileOutcome saved = writeSettingsBytes(record, settingsPath_);
    lastSaveFailed_ = !saved.ok;
    if (!saved.ok) {
        messenger_.show(QStringLiteral("設定を保存できませんでした（%1: %2）").arg(settingsPath_, saved.error),
                        QStringLiteral("ｴﾗｰ"));
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // While the settings dialog is open this window is disabled, and a disabled window
    // ignores its close box: closing now would drop the dialog's edits unasked. Only
    // the window system's requests are spontaneous; the end command and the
    // termination signals close it from the program and still go through.
    if (!unloaded_ && event->spontaneous() && !isEnabled()) {
        event->ignore();
        return;
    }
    // Once under way, the unload is never cancelled.
    if (!unloaded_) {
        unloaded_ = true;
        Timer1->stop();
        Timer2->stop();
        sleepBatch_->stop();
        // The record is brought up to this moment before it is stored.
        mainFrm_Form_Unload();
        emit unloaded();
    }
    event->accept();
}
