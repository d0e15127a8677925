#pragma once

#include "ui/settings/working_copy.h"

#include <QObject>
#include <QPointer>

class FileChooser;
class MainWindow;
class SettingsDialog;

// Owns what the settings dialog and the file chooser share for one main window: the
// working copy and the two windows. It is a child of the main window, so it lives as
// long as the window. The two dialogs are top-level windows of their own (a dialog
// inside the main window would be disabled together with it); this object closes them
// when the main window goes away.
class SettingsSession : public QObject {
    Q_OBJECT
public:
    // The session of this main window, created on first use.
    static SettingsSession& of(MainWindow& mainFrm);
    ~SettingsSession() override;

    MainWindow& mainFrm() { return mainFrm_; }
    SettingsWorkingCopy& work() { return work_; }

    // The settings dialog while it is open, else null.
    SettingsDialog* dialog() const;
    // Loads the settings dialog unless it is open already; returns the open one.
    SettingsDialog& loadDialog();

    // The file chooser while it is open, else null.
    FileChooser* chooser() const;
    // Loads the file chooser; an open one is only brought to the front.
    FileChooser& loadChooser();

private:
    explicit SettingsSession(MainWindow& mainFrm);
    void closeWindows();

    MainWindow& mainFrm_;
    SettingsWorkingCopy work_;
    QPointer<SettingsDialog> dialog_;
    QPointer<FileChooser> chooser_;
};
