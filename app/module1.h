#pragma once

#include "app/tank_settings.h"
#include "engine/engine_state.h"
#include "engine/random_source.h"
#include "ui/main/messenger.h"

#include <QString>

#include <memory>

class MainWindow;

// The program object: owns the one settings record and the engine state for the run.
class Module1 {
public:
    explicit Module1(Messenger& messenger, QString settingsPath = QStringLiteral("SET"));
    ~Module1();

    // The start procedure: read SET, first-run defaults, lay out and show the tank,
    // load the pictures. Problems met on the way are reported once the event loop runs.
    void Main();

    TankSettings& settings() { return settings_; }
    EngineState& engineState() { return state_; }
    MainWindow& mainFrm() { return *mainFrm_; }

private:
    Messenger& messenger_;
    QString settingsPath_;
    TankSettings settings_;
    EngineState state_;
    RandomSource random_;
    std::unique_ptr<MainWindow> mainFrm_;
};
