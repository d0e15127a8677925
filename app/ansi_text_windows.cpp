#include "app/ansi_text_codec.h"

#include <windows.h>

namespace ansi {
namespace {

constexpr UINT kCodePage = 932;

}  // namespace

struct Codec::State {};

Codec::Codec() = default;
Codec::~Codec() = default;

std::optional<QString> Codec::toUnicode(const char* data, std::size_t size)
{
    if (size == 0)
        return QString();
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
