#pragma once

// Two records for the saving tests, of different lengths and with every text and number
// different, so any mix of the two shows in the bytes.

#include "app/settings_file.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace save_records {

inline QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("(cannot read)");
}

inline TankSettings longRecord()
{
    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    s.kinds[0].count = 2;
    for (int k = 1; k <= 3; ++k)
        s.kinds[std::size_t(k)] = {1, QStringLiteral("長い名前の金魚%1").arg(k),
                                   QStringLiteral("/home/user/とても長いフォルダの名前/模様%1.pat").arg(k)};
    for (int i = 0; i < kMaxFish; ++i)
        s.fish[std::size_t(i)] = {std::int16_t(70 * i), std::int16_t(30 * i), 4, 450, 9, QStringLiteral("予備の文字"), 0};
    s.fishKindOf = {0, 0, 1, 2, 3};
    for (int j = 0; j < kMaxAccessories; ++j)
        s.accessories[std::size_t(j)] = {QStringLiteral("水草%1").arg(j), QStringLiteral("/home/user/飾り/水草%1.acc").arg(j),
                                         20, 90, 300, 200, 100, 200, std::int16_t(j)};
    s.accessoryCount = 4;
    s.reserved = 77;
    return s;
}

inline TankSettings shortRecord()
{
    TankSettings s;
    s.fishTotal = 1;
    s.kinds[0].count = 1;
    s.fish[0] = {425, 12, 1, 600, 0, {}, 1};
    s.accessories[0] = {QStringLiteral("石"), QStringLiteral("/a.acc"), 300, 210, 1800, 100, 200, 100, 3};
    s.accessoryCount = 1;
    return s;
}

}  // namespace save_records
