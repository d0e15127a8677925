#include "ui/chooser/drive_list.h"

#include <QDir>
#include <QFileInfo>

QStringList DriveList::machineRoots()
{
    QStringList roots;
    for (const QFileInfo& d : QDir::drives())
        roots << d.absoluteFilePath();
    return roots;
}

QString DriveList::labelOf(const QString& root)
{
    // "c:" the way a drive is named, without the trailing separator.
    return QDir::toNativeSeparators(root).left(2).toLower();
}
