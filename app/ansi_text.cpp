#include "app/ansi_text.h"

#include <QList>

#include <iconv.h>

#include <cerrno>
#include <string>

namespace ansi {
namespace {

// Same convention as Python's surrogateescape: byte b (0x80..0xFF) <-> U+DC00 + b.
constexpr char16_t kEscapeBase = 0xDC00;

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter()
    {
        if (cd_ != reinterpret_cast<iconv_t>(-1))
            iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    // Converts the whole input or fails; no partial results.
    std::optional<std::string> run(const char* data, size_t size)
    {
        if (cd_ == reinterpret_cast<iconv_t>(-1))
            return std::nullopt;
        iconv(cd_, nullptr, nullptr, nullptr, nullptr);
        std::string out(size * 4 + 8, '\0');
        char* in = const_cast<char*>(data);
        size_t inLeft = size;
        char* o = out.data();
        size_t outLeft = out.size();
        if (iconv(cd_, &in, &inLeft, &o, &outLeft) == static_cast<size_t>(-1) || inLeft != 0)
            return std::nullopt;
        if (iconv(cd_, nullptr, nullptr, &o, &outLeft) == static_cast<size_t>(-1))
            return std::nullopt;
        out.resize(out.size() - outLeft);
        return out;
    }

private:
    iconv_t cd_;
};

bool isLeadByte(unsigned char b)
{
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

std::optional<QString> decodeUnit(Converter& toUtf16, const char* p, size_t n)
{
    auto utf16 = toUtf16.run(p, n);
    if (!utf16 || utf16->empty())
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(utf16->data()), int(utf16->size() / 2));
}

std::optional<std::string> encodeChunk(Converter& fromUtf16, const QString& chunk)
{
    if (chunk.isEmpty())
        return std::string();
    return fromUtf16.run(reinterpret_cast<const char*>(chunk.utf16()), size_t(chunk.size()) * 2);
}

}  // namespace

QString decode(const QByteArray& bytes)
{
    Converter toUtf16("UTF-16LE", "CP932");
    Converter back("CP932", "UTF-16LE");
    QString result;
    qsizetype i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        const qsizetype unit = (isLeadByte(lead) && i + 1 < bytes.size()) ? 2 : 1;
        const char* p = bytes.constData() + i;
        // A unit counts as a character only if it survives the round trip unchanged
        // (code page 932 maps a few duplicate codes onto one character).
        if (auto ch = decodeUnit(toUtf16, p, size_t(unit))) {
            auto again = encodeChunk(back, *ch);
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
    Converter fromUtf16("CP932", "UTF-16LE");
    QByteArray out;
    QString pending;
    auto flush = [&]() -> bool {
        auto bytes = encodeChunk(fromUtf16, pending);
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
