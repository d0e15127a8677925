#include "app/settings_file.h"
#include "app/settings_limits.h"

#include <QRandomGenerator>

#include <gtest/gtest.h>

namespace {

TEST(SettingsLimits, InRangeRecordIsLeftAlone)
{
    TankSettings s;
    s.fishTotal = 5;
    s.lastKind = 3;
    s.kinds[0].count = 2;
    s.kinds[2].count = 3;
    s.kinds[4].count = 9;  // never in use, stored as it is
    s.fishKindOf = {0, 0, 2, 2, 2};
    s.accessoryCount = 4;
    s.fish[0].x = -300;
    s.fish[1].swimMode = 42;
    TankSettings copy = s;
    prepareLoadedSettings(copy);
    EXPECT_EQ(copy, s);

    // After a kind is deleted the dialog rewrites only the entries of fish in use; the
    // ones beyond may name a kind that is gone and must still come back byte for byte.
    TankSettings fewer;
    fewer.fishTotal = 2;
    fewer.lastKind = 1;
    fewer.kinds[0].count = 1;
    fewer.kinds[1] = {1, QStringLiteral("黒"), QStringLiteral("/k.pat")};
    fewer.fishKindOf = {0, 1, 2, 2, 3};
    const QByteArray bytes = serializeSettings(fewer);
    TankSettings read = parseSettings(bytes);
    prepareLoadedSettings(read);
    EXPECT_EQ(serializeSettings(read), bytes);
}

TEST(SettingsLimits, FirstRunTouchesOnlyTheTotalAndKindZero)
{
    TankSettings s;
    s.lastKind = 1;
    s.kinds[1] = {0, QStringLiteral("黒"), QStringLiteral("/k.pat")};
    s.fish[0].x = 200;
    s.accessoryCount = 1;
    TankSettings expected = s;
    expected.fishTotal = 1;
    expected.kinds[0].count = 1;
    prepareLoadedSettings(s);
    EXPECT_EQ(s, expected);

    // Even where the other kind already counts five: the user's count stays, at this
    // start and the next.
    s.fishTotal = 0;
    s.kinds[0].count = 0;
    s.kinds[1].count = 5;
    expected.kinds[1].count = 5;
    prepareLoadedSettings(s);
    EXPECT_EQ(s, expected);
    prepareLoadedSettings(s);
    EXPECT_EQ(s, expected);
}

TEST(SettingsLimits, DamagedCountsAndIndicesAreBroughtIntoRange)
{
    TankSettings s;
    s.fishTotal = 300;
    s.lastKind = 4;
    s.kinds[0].count = -3;
    s.kinds[1].count = 4;
    s.kinds[2].count = 4;
    s.kinds[3].count = 32767;
    s.fishKindOf = {-1, 3, 4, 1000, 2};  // all five in use once the total is brought down
    s.accessoryCount = -7;
    prepareLoadedSettings(s);
    EXPECT_EQ(s.fishTotal, 5);
    EXPECT_EQ(s.lastKind, 3);
    EXPECT_EQ(s.kinds[0].count + s.kinds[1].count + s.kinds[2].count + s.kinds[3].count, 5);
    for (auto k : s.fishKindOf) {
        EXPECT_GE(k, 0);
        EXPECT_LE(k, s.lastKind);
    }
    EXPECT_EQ(s.accessoryCount, 0);

    TankSettings negative;
    negative.fishTotal = -1;
    negative.fishKindOf[0] = 9;
    prepareLoadedSettings(negative);
    EXPECT_EQ(negative.fishTotal, 1) << "a negative total starts like a first run";
    EXPECT_EQ(negative.fishKindOf[0], 0) << "and its one fish is of a kind that exists";
}

TEST(SettingsLimits, RandomBytesAlwaysGiveAUsableRecord)
{
    QRandomGenerator gen(1234);
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes(int(gen.bounded(400)), '\0');
        for (auto& b : bytes)
            b = char(gen.bounded(256));
        TankSettings s = parseSettings(bytes);
        prepareLoadedSettings(s);
        ASSERT_GE(s.fishTotal, 1);
        ASSERT_LE(s.fishTotal, kMaxFish);
        ASSERT_GE(s.lastKind, 0);
        ASSERT_LT(s.lastKind, kMaxKinds);
        ASSERT_GE(s.accessoryCount, 0);
        ASSERT_LE(s.accessoryCount, kMaxAccessories);
        ASSERT_GE(s.kinds[0].count, 0);
        ASSERT_LE(s.kinds[0].count, kMaxFish);
        int added = 0;
        for (int i = 1; i <= s.lastKind; ++i) {
            ASSERT_GE(s.kinds[std::size_t(i)].count, 0);
            added += s.kinds[std::size_t(i)].count;
        }
        ASSERT_LE(added, kMaxFish);
    }
}

}  // namespace
