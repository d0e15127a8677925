#include "ui/main/main_window.h"

#include "app/settings_file.h"
#include "ui/main/pixel_ratio_follower.h"
#include "ui/main/tank_view.h"
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
        mainFrm_Form_Unload();
        emit unloaded();
    }
    event->accept();
}
