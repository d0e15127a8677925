#include "app/ansi_text.h"
#include "app/settings_file.h"
#include "settings_file_fixture.h"

#include <QFile>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

using namespace settings_fixture;

std::int16_t int16At(const QByteArray& b, int offset)
{
    return static_cast<std::int16_t>(static_cast<unsigned char>(b[offset]) | (static_cast<unsigned char>(b[offset + 1]) << 8));
}

TEST(RecordLayout, EmptyTextsGiveThe190ByteRecordWithFixedOffsets)
{
    TankSettings s = firstRun();
    s.lastKind = 3;
    s.kinds[4].count = -2;
    s.fish[4].riseFlag = 1;
    s.fishKindOf[0] = 7;
    s.accessories[0].x = 20;
    s.accessories[3].position = 3;
    s.accessoryCount = 4;
    s.reserved = -1;
    const QByteArray b = serializeSettings(s);
    ASSERT_EQ(b.size(), 190);
    EXPECT_EQ(serializeSettings(firstRun()).left(10), QByteArray::fromHex("01000000010000000000"));
    EXPECT_EQ(int16At(b, 2), 3);
    EXPECT_EQ(int16At(b, 4), 1);          // kinds[0].count
    EXPECT_EQ(int16At(b, 4 + 4 * 6), -2); // kinds[4].count
    EXPECT_EQ(int16At(b, 34 + 4 * 14 + 12), 1);  // fish[4].riseFlag
    EXPECT_EQ(int16At(b, 104), 7);        // fishKindOf[0]
    EXPECT_EQ(int16At(b, 114 + 4), 20);   // accessories[0].x
    EXPECT_EQ(int16At(b, 114 + 3 * 18 + 16), 3);  // accessories[3].position
    EXPECT_EQ(int16At(b, 186), 4);
    EXPECT_EQ(int16At(b, 188), -1);
}

TEST(RecordLayout, TextsAreCountedInCodePage932Bytes)
{
    TankSettings s = firstRun();
    s.kinds[1].patternPath = QStringLiteral("/home/a/fish/red.pat");  // 20 bytes
    QByteArray b = serializeSettings(s);
    ASSERT_EQ(b.size(), 210);
    EXPECT_EQ(int16At(b, 4 + 6 + 4), 20);  // kinds[1].patternPath count
    EXPECT_EQ(b.mid(4 + 6 + 6, 20), QByteArray("/home/a/fish/red.pat"));
    EXPECT_EQ(int16At(b, 186 + 20), 0);

    s.kinds[1].patternPath.clear();
    s.kinds[1].name = QStringLiteral("金魚a");  // two double-byte characters and one ASCII
    b = serializeSettings(s);
    EXPECT_EQ(int16At(b, 4 + 6 + 2), 5);
    EXPECT_EQ(b.mid(4 + 6 + 4, 5), QByteArray::fromHex("8be08b9b61"));
    EXPECT_EQ(parseSettings(b).kinds[1].name, QStringLiteral("金魚a"));
}

TEST(RecordLayout, ShortFileReadsTheRestAsZeroOrEmpty)
{
    TankSettings s = firstRun();
    s.lastKind = 1;
    s.kinds[1] = {2, QStringLiteral("赤"), QStringLiteral("/p/red.pat")};
    s.fish[0].x = 100;
    s.fish[3].x = 300;
    s.accessoryCount = 1;
    const QByteArray full = serializeSettings(s);
    const int fishStart = 4 + 5 * 6 + 2 + 10;  // kinds with the two texts above
    const QByteArray cut = full.left(fishStart + 14 * 2 + 5);  // in the middle of fish[2]

    const TankSettings read = parseSettings(cut);
    EXPECT_EQ(read.kinds, s.kinds);
    EXPECT_EQ(read.fish[0].x, 100);
    EXPECT_EQ(read.fish[3].x, 0);
    EXPECT_EQ(read.accessoryCount, 0);
    EXPECT_EQ(parseSettings(QByteArray()), TankSettings{});
    EXPECT_EQ(parseSettings(QByteArray("\x05", 1)).fishTotal, 0) << "half an integer reads as 0";
}

TEST(RecordLayout, TextCountBeyondTheEndEndsTheRecord)
{
    QByteArray b = serializeSettings(firstRun()).left(6);
    b += QByteArray::fromHex("ffff") + "abc";  // kinds[0].name claims 65535 bytes
    const TankSettings read = parseSettings(b);
    EXPECT_EQ(read.fishTotal, 1);
    EXPECT_TRUE(read.kinds[0].name.isEmpty());
    EXPECT_EQ(read.kinds[1].count, 0);
}

TEST(RecordLayout, ReadAndWriteUnchangedKeepsEveryByte)
{
    TankSettings s = firstRun();
    s.fish[2].spareValue = -12345;
    s.fish[2].spareText = QStringLiteral("予備");
    s.reserved = 77;
    QByteArray b = serializeSettings(s);
    // An undecodable name: a lone lead byte, a lead byte with a bad trail, 0x80 and 0xFF.
    const QByteArray odd = QByteArray::fromHex("81") + "A" + QByteArray::fromHex("e07f80ff9f");
    QByteArray withOdd = b.left(6);
    withOdd += char(odd.size());
    withOdd += char(0);
    withOdd += odd;
    withOdd += b.mid(8);
    EXPECT_EQ(serializeSettings(parseSettings(withOdd)), withOdd);
    EXPECT_EQ(serializeSettings(parseSettings(b)), b);

    // Serialised tick after tick, each text is encoded anew only when it changed.
    TextEncodings remembered;
    TankSettings changing = parseSettings(withOdd);
    EXPECT_EQ(serializeSettings(changing, &remembered), withOdd);
    changing.fish[2].spareText = QStringLiteral("別の予備");
    changing.kinds[0].name.clear();
    EXPECT_EQ(serializeSettings(changing, &remembered), serializeSettings(changing));
    EXPECT_EQ(serializeSettings(s, &remembered), b);
}

TEST(AnsiText, RepresentableTextsRoundTripAndOthersAreRefused)
{
    const QString japanese = QStringLiteral("ｱｸｾｻﾘｰ／金魚＆水草①");
    ASSERT_TRUE(ansi::representable(japanese));
    EXPECT_EQ(ansi::decode(*ansi::encode(japanese)), japanese);
    EXPECT_FALSE(ansi::representable(QStringLiteral("emoji 🐟")));
    EXPECT_FALSE(ansi::representable(QStringLiteral("한국어")));
    EXPECT_EQ(ansi::firstUnrepresentable(QStringLiteral("池🐟魚")), QStringLiteral("🐟"));
    // Characters that encode but read back as another one would name another file.
    for (const char16_t oneWay : {u'\u301C', u'\u2212', u'\u2016', u'\u2014', u'\u00A2', u'\u00AC', u'\u00A5', u'\u203E'}) {
        const QString text = QStringLiteral("金魚") + QChar(oneWay) + QStringLiteral("池");
        EXPECT_FALSE(ansi::representable(text)) << int(oneWay);
        EXPECT_EQ(ansi::firstUnrepresentable(text), QString(QChar(oneWay))) << int(oneWay);
    }
    EXPECT_TRUE(ansi::firstUnrepresentable(japanese).isEmpty());
    EXPECT_EQ(ansi::encodeLossy(QStringLiteral("a🐟b")), QByteArray("a?b"));
}

TEST_F(SettingsFileOnDisk, MissingFileIsCreatedEmptyAndReadsAsZero)
{
    TankSettings s = firstRun();
    ASSERT_TRUE(readSettingsFile(s, path()).ok);
    EXPECT_TRUE(QFile::exists(path()));
    EXPECT_EQ(QFileInfo(path()).size(), 0);
    EXPECT_EQ(s, TankSettings{});
}

TEST_F(SettingsFileOnDisk, ShorterRecordLeavesTheOldTailAndReadsBackExactly)
{
    TankSettings s = firstRun();
    s.kinds[1].patternPath = QStringLiteral("/a/very/long/path/to/a/pattern/file.pat");
    ASSERT_TRUE(writeSettingsFile(s, path()).ok);
    const QByteArray before = bytes();

    s.kinds[1].patternPath = QStringLiteral("/b.pat");
    ASSERT_TRUE(writeSettingsFile(s, path()).ok);
    ASSERT_TRUE(writeSettingsFile(s, path()).ok);  // the end command writes twice
    const QByteArray after = bytes();
    EXPECT_EQ(after.size(), before.size());
    EXPECT_EQ(after.left(serializeSettings(s).size()), serializeSettings(s));
    EXPECT_EQ(after.mid(serializeSettings(s).size()), before.mid(serializeSettings(s).size()));

    TankSettings read;
    ASSERT_TRUE(readSettingsFile(read, path()).ok);
    EXPECT_EQ(read, s);
}

TEST_F(SettingsFileOnDisk, FolderNamedSetIsReportedNotCrashedOn)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("SET")));
    TankSettings s = firstRun();
    const FileOutcome read = readSettingsFile(s, path());
    EXPECT_FALSE(read.ok);
    EXPECT_FALSE(read.error.isEmpty());
    EXPECT_EQ(s, TankSettings{});
    EXPECT_FALSE(writeSettingsFile(firstRun(), path()).ok);
}

// The reason goes into a Japanese line: no English from the system inside it.
TEST_F(SettingsFileOnDisk, FailuresSayWhyInJapanese)
{
    ASSERT_TRUE(QDir(dir.path()).mkdir(QStringLiteral("SET")));
    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {path(QStringLiteral("gone/SET")), QStringLiteral("フォルダがありません")},
        {path(), QStringLiteral("同じ名前のフォルダがあります")},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        const FileOutcome saved = writeSettingsFile(firstRun(), c.path);
        EXPECT_FALSE(saved.ok);
        EXPECT_EQ(saved.error, c.reason);
    }
}

TEST_F(SettingsFileOnDisk, HugeSetIsReadAsFarAsARecordGoesAndKeepsItsTailOnSaving)
{
    constexpr qint64 kHuge = 24 * 1024 * 1024;
    {
        QFile f(path());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(serializeSettings(firstRun()));
        ASSERT_TRUE(f.resize(kHuge));
        ASSERT_TRUE(f.seek(kHuge - 4));
        f.write("tail");
    }
    TankSettings s;
    ASSERT_TRUE(readSettingsFile(s, path()).ok);
    EXPECT_EQ(s, firstRun());
    s.reserved = 5;
    ASSERT_TRUE(writeSettingsFile(s, path()).ok);
    EXPECT_EQ(QFileInfo(path()).size(), kHuge);
    QFile f(path());
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(parseSettings(f.read(190)).reserved, 5);
    ASSERT_TRUE(f.seek(kHuge - 4));
    EXPECT_EQ(f.read(4), QByteArray("tail"));
}

}  // namespace
