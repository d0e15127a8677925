#include "ui/chooser/chooser_paths.h"

#include <QDir>
#include <QFileInfo>

QString chooserPath(const QString& folder, const QString& fileName)
{
    return QDir::toNativeSeparators(folder) + QDir::separator() + fileName;
}

QString displayNameOf(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}

bool folderReadable(const QString& folder)
{
    const QFileInfo info(folder);
    if (!info.exists() || !info.isDir() || !info.isReadable())
        return false;
#ifndef Q_OS_WIN
    // Listing names needs read, looking at the entries needs search permission too.
    if (!info.isExecutable())
        return false;
#endif
    return true;
}
