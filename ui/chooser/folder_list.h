#pragma once

#include <QListWidget>

// A folder and where it lies: one line for each folder on the way from the root down to
// the current folder (which is highlighted), then one line for each of its subfolders.
// Opening a line makes that folder the current one.
class FolderList : public QListWidget {
    Q_OBJECT
public:
    explicit FolderList(QWidget* parent = nullptr);

    // The current folder, absolute, with "/" separators.
    const QString& path() const { return path_; }
    // Reads the folder from disk and shows it. When it cannot be read, returns false and
    // keeps showing what it showed.
    bool setPath(const QString& folder);

    // The folder a line stands for.
    static QString folderOf(const QListWidgetItem* item);

signals:
    // The user opened a line (double click or Enter).
    void folderRequested(const QString& folder);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString path_;
};
