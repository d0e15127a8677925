#include "app/ansi_text_codec.h"

#include <windows.h>

namespace ansi {
namespace {

constexpr UINT kCodePage = 932;

// Windows gives these single bytes stand-ins (U+0080, U+00A0, U+F8F0..U+F8F3) that are no
// characters of code page 932; iconv has none, and the text must read the same on both, so
// they stay bytes and the stand-ins are refused.
bool isStandInByte(unsigned char b)
{
    return b == 0x80 || b == 0xA0 || b >= 0xFD;
}

bool isStandIn(char16_t c)
{
    return c == 0x0080 || c == 0x00A0 || (c >= 0xF8F0 && c <= 0xF8F3);
}

}  // namespace

struct Codec::State {};

Codec::Codec() = default;
Codec::~Codec() = default;

std::optional<QString> Codec::toUnicode(const char* data, std::size_t size)
{
    if (size == 0)
        return QString();
    if (size == 1 && isStandInByte(static_cast<unsigned char>(data[0])))
        return std::nullopt;
    const int n = MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, int(size), nullptr, 0);
    if (n <= 0)
        return std::nullopt;
    QString out(n, Qt::Uninitialized);
    if (MultiByteToWideChar(kCodePage, MB_ERR_INVALID_CHARS, data, int(size),
                            reinterpret_cast<wchar_t*>(out.data()), n) != n)
        return std::nullopt;
    return out;
}

std::optional<std::string> Codec::fromUnicode(const QString& text)
{
    if (text.isEmpty())
        return std::string();
    for (QChar c : text) {
        if (isStandIn(c.unicode()))
            return std::nullopt;
    }
    const auto* wide = reinterpret_cast<const wchar_t*>(text.utf16());
    // Without WC_NO_BEST_FIT_CHARS Windows writes a look-alike (U+301C as U+FF5E's code)
    // and reports success; with it, anything unmapped becomes the default character and
    // sets usedDefault, which is how a refusal is told apart from a real '?'.
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), nullptr, 0,
                                      nullptr, &usedDefault);
    if (n <= 0 || usedDefault)
        return std::nullopt;
    std::string out(std::size_t(n), '\0');
    if (WideCharToMultiByte(kCodePage, WC_NO_BEST_FIT_CHARS, wide, int(text.size()), out.data(), n, nullptr,
                            &usedDefault) != n
        || usedDefault)
        return std::nullopt;
    return out;
}

}  // namespace ansi
