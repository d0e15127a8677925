#include "ui/settings/settings_session.h"

#include "ui/chooser/file_chooser.h"
#include "ui/main/main_window.h"
#include "ui/settings/settings_dialog.h"
#include "ui/settings/window_owner.h"

SettingsSession& SettingsSession::of(MainWindow& mainFrm)
{
    if (auto* existing = mainFrm.findChild<SettingsSession*>(QString(), Qt::FindDirectChildrenOnly))
        return *existing;
    return *new SettingsSession(mainFrm);
}

SettingsSession::SettingsSession(MainWindow& mainFrm) : QObject(&mainFrm), mainFrm_(mainFrm)
{
    setObjectName(QStringLiteral("settingsSession"));
    // A signal or the end command may close the main window while a dialog is open.
    connect(&mainFrm, &MainWindow::unloaded, this, &SettingsSession::closeWindows);
    forwardActivationWhileDisabled(mainFrm, [this]() -> QWidget* {
        if (FileChooser* open = chooser())
            return open;
        return dialog();
    });
}

SettingsSession::~SettingsSession()
{
    // Neither window is a child of the main window, so nothing else deletes them.
    delete chooser_.data();
    delete dialog_.data();
}

SettingsDialog* SettingsSession::dialog() const
{
    return dialog_ && dialog_->isOpen() ? dialog_.data() : nullptr;
}

SettingsDialog& SettingsSession::loadDialog()
{
    if (SettingsDialog* open = dialog()) {
        open->raise();
        open->activateWindow();
        return *open;
    }
    dialog_ = new SettingsDialog(*this);
    dialog_->Form_Load();
    return *dialog_;
}

FileChooser* SettingsSession::chooser() const
{
    return chooser_ && chooser_->isOpen() ? chooser_.data() : nullptr;
}

FileChooser& SettingsSession::loadChooser()
{
    if (FileChooser* open = chooser()) {
        // It may be hidden behind the settings dialog, opened again over it.
        open->raise();
        open->activateWindow();
        return *open;
    }
    chooser_ = new FileChooser(*this);
    chooser_->Form_Load();
    return *chooser_;
}

void SettingsSession::closeWindows()
{
    if (FileChooser* open = chooser())
        open->close();
    if (SettingsDialog* open = dialog())
        open->close();
}
