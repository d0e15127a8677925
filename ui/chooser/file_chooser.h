#pragma once

#include <QWidget>

class DriveList;
class FileList;
class FolderList;
class QLineEdit;
class QPushButton;
class SettingsSession;

// "ﾀﾞｲｱﾛｸﾞ": picks a pattern or accessory file and adds it to the settings dialog's
// working copy and list. Not modal; at most one at a time (the session sees to that).
class FileChooser : public QWidget {
    Q_OBJECT
public:
    explicit FileChooser(SettingsSession& session);

    // Starts in the process's current folder with an empty name, takes the filter from
    // chooserMode, places and shows the window.
    void Form_Load();
    bool isOpen() const { return open_; }

    void Drive1_Change(const QString& root);
    void Dir1_Change();
    void File1_Click();
    void File1_DblClick();
    void com_OK_Click();
    void com_Can_Click();

    DriveList* Drive1 = nullptr;
    QPushButton* com_Can = nullptr;
    FileList* File1 = nullptr;
    QLineEdit* Text1 = nullptr;
    FolderList* Dir1 = nullptr;
    QPushButton* com_OK = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void openFolder(const QString& folder);
    void placeOnScreen();
    void addChosenFile();

    SettingsSession& session_;
    bool open_ = false;
};
