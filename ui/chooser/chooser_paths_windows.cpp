#include "ui/chooser/chooser_paths.h"

#include <QFileInfo>

bool folderReadable(const QString& folder)
{
    // Windows has no search permission apart from reading.
    const QFileInfo info(folder);
    return info.exists() && info.isDir() && info.isReadable();
}
