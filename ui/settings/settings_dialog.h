#pragma once

#include "ui/settings/working_copy.h"

#include <QWidget>

class MainWindow;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class SettingsSession;
class SpinScrollBar;

// Loads the settings dialog for the given main window.
void openSettingsDialog(MainWindow& mainFrm);

// "設定": the goldfish kinds with their fish counts, and the accessories with their
// places. Edits the session's working copy; only com_Set writes the record.
class SettingsDialog : public QWidget {
    Q_OBJECT
public:
    explicit SettingsDialog(SettingsSession& session);

    // Disables the main window, lays out and fills the dialog, takes the working copy
    // and shows the dialog.
    void Form_Load();
    // Every way of closing ends here: the main window takes input again.
    void Form_Unload();
    // False once the dialog has started closing.
    bool isOpen() const { return open_; }

    void List1_Click();
    void VScroll1_Change();
    void com_Kindel_Click();
    void com_KinTui_Click();

    void List2_Click();
    void Combo1_Click(int index);
    void com_AccDel_Click();
    void com_AccTui_Click();

    void com_Set_Click();
    void com_Can_Click();

    // The line shown for an entry: its name, or a stand-in so that line i is always
    // entry i even for an entry a damaged record left without a name.
    static QString lineFor(const QString& name);

    QGroupBox* Fram_Kin = nullptr;
    QLabel* Lab1 = nullptr;
    QLabel* Lab2 = nullptr;
    QLabel* Lab3 = nullptr;
    QLabel* Lab4 = nullptr;
    QListWidget* List1 = nullptr;
    QPushButton* com_KinTui = nullptr;
    QPushButton* com_Kindel = nullptr;
    QLabel* Lab5 = nullptr;
    SpinScrollBar* VScroll1 = nullptr;
    QLabel* Lab6 = nullptr;
    QLabel* Lab7 = nullptr;
    QGroupBox* Fram_Acc = nullptr;
    QLabel* Lab8 = nullptr;
    QLabel* Lab9 = nullptr;
    QListWidget* List2 = nullptr;
    QPushButton* com_AccTui = nullptr;
    QPushButton* com_AccDel = nullptr;
    QComboBox* Combo1 = nullptr;
    QPushButton* com_Set = nullptr;
    QPushButton* com_Can = nullptr;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void createControls();
    // Sizes the dialog to its outer size, given the frame the window system adds.
    void fitOuterSize(const QMargins& frame);
    void layoutControls();
    void centreOnScreen();
    void fillFromRecord();
    void showLab2();
    // After a deletion nothing is chosen; the controls that act on a chosen entry wait
    // for the next choice.
    void disableKindControls();
    void disableAccessoryControls();

    SettingsSession& session_;
    MainWindow& mainFrm_;
    SettingsWorkingCopy& work_;
    bool open_ = false;
};
