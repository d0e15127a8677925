#include "ui/chooser/file_list.h"

#include "ui/chooser/chooser_paths.h"

#include <QDir>

FileList::FileList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
}

void FileList::setPattern(const QString& pattern)
{
    pattern_ = pattern;
    if (!path_.isEmpty())
        refresh();
}

bool FileList::setPath(const QString& folder)
{
    const QString target = QDir::cleanPath(QDir(folder).absolutePath());
    if (!folderReadable(target))
        return false;
    // Without QDir::Hidden and QDir::System, hidden files, devices and broken links stay
    // out; the pattern matches without regard to case, as file names do on Windows.
    const QStringList names = QDir(target).entryList({pattern_}, QDir::Files,
                                                     QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);
    clear();
    addItems(names);
    path_ = target;
    return true;
}

bool FileList::refresh()
{
    return setPath(path_);
}
