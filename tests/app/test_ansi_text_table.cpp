#include "app/ansi_text.h"

#include <QCryptographicHash>

#include <gtest/gtest.h>

#include <string>

namespace {

// Linux reads code page 932 through iconv, Windows through its own API. Both must give
// the same texts for the same bytes and refuse the same characters, or a SET moved between
// them would change its names. The whole table as the codec's rules see it is digested;
// the digests are what iconv gives.
std::string decodeTableDigest()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    auto add = [&hash](const QByteArray& bytes) {
        const QString text = ansi::decode(bytes);
        hash.addData(QByteArrayView(reinterpret_cast<const char*>(text.utf16()), text.size() * 2));
        hash.addData(QByteArrayView("|", 1));
    };
    for (int b = 0; b < 256; ++b)
        add(QByteArray(1, char(b)));
    for (int lead = 0x81; lead <= 0xFC; ++lead) {
        for (int trail = 0; trail < 256; ++trail)
            add(QByteArray{char(lead), char(trail)});
    }
    return hash.result().toHex().left(16).toStdString();
}

std::string encodeTableDigest()
{
    QCryptographicHash hash(QCryptographicHash::Sha256);
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c < 0xE000)
            continue;
        const QString text = QString::fromUcs4(&c, 1);
        hash.addData(ansi::representable(text) ? *ansi::encode(text) : QByteArray("-"));
        hash.addData(QByteArrayView("|", 1));
    }
    return hash.result().toHex().left(16).toStdString();
}

TEST(AnsiTextTable, EveryByteSequenceAndCharacterConvertsAsIconvDoes)
{
    EXPECT_EQ(decodeTableDigest(), "56802804a2d0b758");
    EXPECT_EQ(encodeTableDigest(), "8572aa19cf0d7be6");

    // The cases behind the digests that differ most between tables.
    EXPECT_EQ(ansi::decode(QByteArray("\x82\xA0\x8B\xE0", 4)), QStringLiteral("あ金"));
    // NEC's and IBM's copies of one character: only the code it is written back as decodes.
    EXPECT_EQ(ansi::decode(QByteArray("\x87\x90", 2)), QString(QChar(0xDC87)) + QChar(0xDC90));
    EXPECT_EQ(ansi::decode(QByteArray("\x81\xE0", 2)), QString(QChar(0x2252)));
    // A lead byte at the end or before a byte that cannot follow it is kept as a byte.
    EXPECT_EQ(ansi::decode(QByteArray("a\x81", 2)), QStringLiteral("a") + QChar(0xDC81));
    EXPECT_EQ(*ansi::encode(ansi::decode(QByteArray("\x81\x20\xA0\xFD\xFF", 5))), QByteArray("\x81\x20\xA0\xFD\xFF", 5));
    // Bytes that Windows reads as stand-ins (U+0080, U+00A0, private use) are no characters.
    QString escaped;
    for (char16_t b : {0x80, 0xA0, 0xFD, 0xFE, 0xFF})
        escaped += QChar(char16_t(0xDC00 + b));
    EXPECT_EQ(ansi::decode(QByteArray("\x80\xA0\xFD\xFE\xFF", 5)), escaped);
    for (char16_t standIn : {0x0080, 0x00A0, 0xF8F0, 0xF8F3})
        EXPECT_FALSE(ansi::representable(QString(QChar(standIn)))) << int(standIn);
    // Refused rather than written as a look-alike.
    EXPECT_FALSE(ansi::representable(QString(QChar(0x301C))));
    EXPECT_EQ(*ansi::encode(QStringLiteral("ｶﾅ～")), QByteArray("\xB6\xC5\x81\x60", 4));
}

}  // namespace
