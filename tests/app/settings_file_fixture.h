#pragma once

#include "app/settings_file.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace settings_fixture {

inline TankSettings firstRun()
{
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    return s;
}

class SettingsFileOnDisk : public ::testing::Test {
protected:
    QString path(const QString& name = QStringLiteral("SET")) const { return dir.filePath(name); }
    QByteArray bytes(const QString& name = QStringLiteral("SET")) const
    {
        QFile f(path(name));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void put(const QByteArray& b) const
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(b);
    }
    QTemporaryDir dir;
};

}  // namespace settings_fixture
