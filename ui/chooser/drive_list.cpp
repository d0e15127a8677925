#include "ui/chooser/drive_list.h"

#include <QDir>
#include <QSignalBlocker>
#include <QStorageInfo>

#include <algorithm>

namespace {
QString label(const QString& root)
{
    const QString shown = QDir::toNativeSeparators(root);
#ifdef Q_OS_WIN
    // "c:" the way a drive is named, without the trailing separator.
    return shown.left(2).toLower();
#else
    return shown;
#endif
}
}  // namespace

DriveList::DriveList(QWidget* parent) : QComboBox(parent)
{
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (index >= 0)
            emit driveChosen(itemData(index).toString());
    });
}

void DriveList::refresh()
{
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo& d : QDir::drives())
        roots << d.absoluteFilePath();
#else
    for (const QStorageInfo& v : QStorageInfo::mountedVolumes()) {
        if (v.isValid() && v.isReady() && !v.rootPath().isEmpty())
            roots << v.rootPath();
    }
    if (!roots.contains(QStringLiteral("/")))
        roots << QStringLiteral("/");
#endif
    std::sort(roots.begin(), roots.end(),
              [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) < 0; });
    roots.removeDuplicates();
    const QString shown = drive();
    const QSignalBlocker block(this);
    clear();
    for (const QString& r : roots)
        addItem(label(r), r);
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
        addItem(label(root), root);
        index = count() - 1;
    }
    setCurrentIndex(index);
}
