#pragma once

#include <QString>

// The stored path of a chosen file: the folder, the platform's separator, then the name
// exactly as typed. The separator is added even after a folder that ends with one (a
// root), as loading takes such a path all the same.
QString chooserPath(const QString& folder, const QString& fileName);

// The name a chosen file is listed under: the file name up to its first ".". A name
// without one, or one that starts with it, is listed whole, so no entry is ever nameless.
QString displayNameOf(const QString& fileName);

// Whether a folder can be listed now.
bool folderReadable(const QString& folder);
