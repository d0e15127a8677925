#pragma once

#include <QComboBox>

// The machine's drives as a drop-down list: drive letters on Windows, the mounted
// file-system roots elsewhere.
class DriveList : public QComboBox {
    Q_OBJECT
public:
    explicit DriveList(QWidget* parent = nullptr);

    // Reads the drives afresh.
    void refresh();
    // The root of the drive shown.
    QString drive() const;
    // Shows the drive that holds the path, without announcing a choice.
    void showDriveOf(const QString& path);

    static QString driveOf(const QString& path);

private:
    // Platform files: drive_list_windows.cpp, drive_list_posix.cpp.
    static QStringList machineRoots();
    static QString labelOf(const QString& root);

signals:
    // The user picked a drive.
    void driveChosen(const QString& root);
};
