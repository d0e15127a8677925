#pragma once

#include "app/record_snapshot.h"
#include "app/settings_file.h"
#include "app/tank_settings.h"
#include "engine/engine_state.h"
#include "engine/random_source.h"
#include "engine/scene.h"
#include "engine/tank_engine.h"
#include "ui/main/messenger.h"

#include <QMainWindow>
#include <QString>

#include <memory>

class QAction;
class QMenu;
class QTimer;
class TankView;
class VisibilityWatcher;

// The aquarium window: the tank view, its two timers and the menu.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    MainWindow(TankSettings& settings, EngineState& state, RandomSource& random, Messenger& messenger,
               QString settingsPath = QStringLiteral("SET"));
    ~MainWindow() override;

    // Captures the screen's twips per pixel, sizes the window so its inner area is the
    // 500 x 300 tank, centres it, keeps the clean background and shows the window.
    void InitTankWindow();

    void mainFrm_Timer1_Timer();
    void mainFrm_Timer2_Timer();
    void mainFrm_mnuEsa_Click();
    void mainFrm_mnuSetSyu_Click();
    void mainFrm_mnuEnd_Click();
    // Stores the record in SET; runs once for every way the window closes.
    void mainFrm_Form_Unload();
    // Writes the record to SET as a close at this moment would; a failure is shown in
    // the program's message box.
    void saveSettings();
    // Whether the latest save failed: the program's exit status says so.
    bool lastSaveFailed() const { return lastSaveFailed_; }
    // The record as serialised after the latest tick, apply or save.
    const RecordSnapshot& snapshot() const { return snapshot_; }
    void takeSnapshot();

    // Whether the tank sleeps because nobody can see it: nothing is composed or shown and
    // the timers are stopped, while the fish swim on in the record.
    bool asleep() const { return asleep_; }
    // Out of sight, the tank falls asleep; seen again, it catches up with the time that
    // passed and shows the whole frame the timers would have drawn by now.
    void setUnseen(bool unseen);
    // While asleep, runs the ticks and periods missed until now. Whatever reads or changes
    // the record outside the timers (a save, the settings applied) calls this first.
    void bringUpToDate();
    // Starts the frame timer again after it was stopped; asleep, once the tank is seen.
    void startFrameTimer();

    TankSettings& settings() { return settings_; }
    EngineState& engineState() { return state_; }
    Scene& scene() { return scene_; }
    TankEngine& engine() { return engine_; }
    Messenger& messenger() { return messenger_; }
    const QString& settingsPath() const { return settingsPath_; }

    // Controls, named as the tests and end-to-end scripts find them.
    TankView* suisouView = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer2 = nullptr;
    QAction* mnuEnd = nullptr;
    QMenu* mnuSewa = nullptr;
    QAction* mnuEsa = nullptr;
    QMenu* mnuSet = nullptr;
    QAction* mnuSetSyu = nullptr;

signals:
    // After the record was stored, as the window goes away.
    void unloaded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void fitMenuBar();

    TankSettings& settings_;
    EngineState& state_;
    Messenger& messenger_;
    QString settingsPath_;
    Scene scene_;
    TankEngine engine_;
    bool unloaded_ = false;
    bool lastSaveFailed_ = false;
    RecordSnapshot snapshot_;
    TextEncodings encodings_;
    std::unique_ptr<VisibilityWatcher> visibility_;
    bool asleep_ = false;
    TimersDue due_;  // while asleep: when the stopped timers fall due next
    QTimer* sleepBatch_ = nullptr;
};
