#include "ui/chooser/chooser_paths.h"

#include <QDir>

QString chooserPath(const QString& folder, const QString& fileName)
{
    return QDir::toNativeSeparators(folder) + QDir::separator() + fileName;
}

QString displayNameOf(const QString& fileName)
{
    const qsizetype dot = fileName.indexOf(QLatin1Char('.'));
    return dot > 0 ? fileName.left(dot) : fileName;
}
