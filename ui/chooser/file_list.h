#pragma once

#include <QListWidget>

// The files of one folder that match a name pattern, names only: no folders, no hidden
// or system entries. Read from disk at every change.
class FileList : public QListWidget {
    Q_OBJECT
public:
    explicit FileList(QWidget* parent = nullptr);

    const QString& pattern() const { return pattern_; }
    void setPattern(const QString& pattern);

    const QString& path() const { return path_; }
    // Reads the folder; when it cannot be read, returns false and keeps the old list.
    bool setPath(const QString& folder);

    // Reads the current folder again.
    bool refresh();

private:
    QString pattern_ = QStringLiteral("*.*");
    QString path_;
};
