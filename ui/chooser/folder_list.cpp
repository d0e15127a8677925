#include "ui/chooser/folder_list.h"

#include "ui/chooser/chooser_paths.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QStyle>

namespace {
constexpr int kPathRole = Qt::UserRole;

QString indent(int level)
{
    return QString(level * 2, QLatin1Char(' '));
}
}  // namespace

FolderList::FolderList(QWidget* parent) : QListWidget(parent)
{
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    connect(this, &QListWidget::itemDoubleClicked, this,
            [this](QListWidgetItem* item) { emit folderRequested(folderOf(item)); });
}

QString FolderList::folderOf(const QListWidgetItem* item)
{
    return item ? item->data(kPathRole).toString() : QString();
}

bool FolderList::setPath(const QString& folder)
{
    const QString target = QDir::cleanPath(QDir(folder).absolutePath());
    if (!folderReadable(target))
        return false;
    const QDir dir(target);
    const QFileInfoList subfolders =
        dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase | QDir::LocaleAware);

    // The way down from the root, each folder on its own line.
    QStringList chain;
    for (QDir up(target);; ) {
        chain.prepend(up.absolutePath());
        if (up.isRoot() || !up.cdUp())
            break;
    }

    clear();
    const QIcon open = style()->standardIcon(QStyle::SP_DirOpenIcon);
    const QIcon closed = style()->standardIcon(QStyle::SP_DirClosedIcon);
    for (int level = 0; level < chain.size(); ++level) {
        const QDir d(chain[level]);
        const QString name = d.isRoot() ? QDir::toNativeSeparators(d.absolutePath()) : d.dirName();
        auto* item = new QListWidgetItem(open, indent(level) + name, this);
        item->setData(kPathRole, chain[level]);
    }
    QListWidgetItem* current = item(count() - 1);
    for (const QFileInfo& sub : subfolders) {
        auto* item = new QListWidgetItem(closed, indent(int(chain.size())) + sub.fileName(), this);
        item->setData(kPathRole, QDir::cleanPath(sub.absoluteFilePath()));
    }
    path_ = target;
    setCurrentItem(current);
    scrollToItem(current, QAbstractItemView::PositionAtTop);
    return true;
}

void FolderList::keyPressEvent(QKeyEvent* event)
{
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentItem()) {
        emit folderRequested(folderOf(currentItem()));
        return;
    }
    QListWidget::keyPressEvent(event);
}
