#include "ui/chooser/drive_list.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            emit driveChosen(itemData(index).toString());
    });
}

void DriveList::refresh()
{
    QStringList roots = machineRoots();
    std::sort(roots.begin(), roots.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    roots.removeDuplicates();
    const QString shown = drive();
    const QSignalBlocker block(this);
    clear();
    for (const QString& r : roots)
        addItem(labelOf(r), r);
    if (!shown.isEmpty())
        showDriveOf(shown);
}

QString DriveList::drive() const
{
    return currentData().toString();
}

QString DriveList::driveOf(const QString& path)
{
    QString root = QStorageInfo(path).rootPath();
    if (root.isEmpty())
        root = QDir(path).rootPath();
    return QDir::fromNativeSeparators(root);
}

void DriveList::showDriveOf(const QString& path)
{
    const QString root = driveOf(path);
    const QSignalBlocker block(this);
    int index = findData(root);
    if (index < 0) {
        addItem(labelOf(root), root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}
