#include "app/ansi_text.h"

#include "app/ansi_text_codec.h"

#include <QList>

#include <string>

namespace ansi {
namespace {

// Same convention as Python's surrogateescape: byte b (0x80..0xFF) <-> U+DC00 + b.
constexpr char16_t kEscapeBase = 0xDC00;

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::optional<QString> decodeUnit(Codec& codec, const char* p, size_t n)
{
    auto text = codec.toUnicode(p, n);
    if (!text || text->isEmpty())
        return std::nullopt;
    return text;
}

std::optional<std::string> encodeChunk(Codec& codec, const QString& chunk)
{
    if (chunk.isEmpty())
        return std::string();
    return codec.fromUnicode(chunk);
}

}  // namespace

QString decode(const QByteArray& bytes)
{
    Codec codec;
    QString result;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const qsizetype unit = (isLeadByte(lead) && i + 1 < bytes.size()) ? 2 : 1;
        const char* p = bytes.constData() + i;
        // A unit counts as a character only if it survives the round trip unchanged
        // (code page 932 maps a few duplicate codes onto one character).
        if (auto ch = decodeUnit(codec, p, size_t(unit))) {
            auto again = encodeChunk(codec, *ch);
            if (again && *again == std::string(p, size_t(unit))) {
                result += *ch;
                i += unit;
                continue;
            }
        }
        result += QChar(char16_t(kEscapeBase + lead));
        ++i;
    }
    return result;
}

std::optional<QByteArray> encode(const QString& text)
{
    Codec codec;
    QByteArray out;
    QString pending;
    auto flush = [&]() -> bool {
        auto bytes = encodeChunk(codec, pending);
        if (!bytes)
            return false;
        out.append(bytes->data(), qsizetype(bytes->size()));
        pending.clear();
        return true;
    };
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u >= kEscapeBase + 0x80 && u <= kEscapeBase + 0xFF) {
            if (!flush())
                return std::nullopt;
            out.append(char(u - kEscapeBase));
        } else {
            pending += c;
        }
    }
    if (!flush())
        return std::nullopt;
    return out;
}

QByteArray encodeLossy(const QString& text)
{
    if (auto exact = encode(text))
        return *exact;
    QByteArray out;
    for (char32_t c : text.toUcs4()) {
        auto one = encode(QString::fromUcs4(&c, 1));
        out += one ? *one : QByteArray("?");
    }
    return out;
}

bool representable(const QString& text)
{
    const auto bytes = encode(text);
    return bytes && decode(*bytes) == text;
}

QString firstUnrepresentable(const QString& text)
{
    if (representable(text))
        return {};
    // The shortest prefix that fails ends with the culprit; a character can be fine alone
    // and still fail next to its neighbour (an escaped byte joining the next one).
    qsizetype end = 0;
    while (end < text.size()) {
        const qsizetype start = end;
        end += (text[end].isHighSurrogate() && end + 1 < text.size() && text[end + 1].isLowSurrogate()) ? 2 : 1;
        if (!representable(text.left(end)))
            return text.mid(start, end - start);
    }
    return text.left(1);
}

}  // namespace ansi
