#include "ui/chooser/drive_list.h"

#include <QDir>
#include <QStorageInfo>

QStringList DriveList::machineRoots()
{
    QStringList roots;
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (v.isValid() && v.isReady() && !v.rootPath().isEmpty())
            roots << v.rootPath();
    }
    if (!roots.contains(QStringLiteral("/")))
        roots << QStringLiteral("/");
    return roots;
}

QString DriveList::labelOf(const QString& root)
{
    return QDir::toNativeSeparators(root);
}
