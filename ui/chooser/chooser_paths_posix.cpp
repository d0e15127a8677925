#include "ui/chooser/chooser_paths.h"

#include <QFileInfo>

bool folderReadable(const QString& folder)
{
    const QFileInfo info(folder);
    // Listing names needs read, looking at the entries needs search permission too.
    return info.exists() && info.isDir() && info.isReadable() && info.isExecutable();
}
