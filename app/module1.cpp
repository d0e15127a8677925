#include "app/module1.h"

#include "app/settings_file.h"
#include "app/settings_limits.h"
#include "engine/scene.h"
#include "ui/main/main_window.h"

#include <QStringList>
#include <QTimer>

Module1::Module1(Messenger& messenger, QString settingsPath)
    : messenger_(messenger), settingsPath_(std::move(settingsPath))
{
}

Module1::~Module1() = default;

void Module1::Main()
{
    QStringList problems;

    const FileOutcome read = readSettingsFile(settings_, settingsPath_);
    if (!read.ok) {
        problems << QStringLiteral("設定ファイル「%1」を読み込めません（%2）。初期設定で起動します")
                        .arg(settingsPath_, read.error);
    }
    prepareLoadedSettings(settings_);
    state_.feedPeriods = 0;

    mainFrm_ = std::make_unique<MainWindow>(settings_, state_, random_, messenger_, settingsPath_);
    mainFrm_->InitTankWindow();

    auto report = [&](const std::vector<PictureFailure>& failures) {
        for (const auto& f : failures)
            problems << QStringLiteral("画像「%1」を読み込めません（%2）").arg(f.path, f.reason);
    };
    report(InitFish(settings_, mainFrm_->scene(), random_));
    report(LoadAccessories(settings_, mainFrm_->scene()));
    mainFrm_->takeSnapshot();

    // A message box here would run the event loop inside the start procedure; show
    // them once it has returned.
    if (!problems.isEmpty()) {
        QTimer::singleShot(0, mainFrm_.get(), [this, problems] {
            for (const QString& text : problems)
                messenger_.show(text, QStringLiteral("ｴﾗｰ"));
        });
    }
}
