#include "app/ansi_text_codec.h"

#include <iconv.h>

namespace ansi {
namespace {

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

}  // namespace

struct Codec::State {
    Converter toUtf16{"UTF-16LE", "CP932"};
    Converter fromUtf16{"CP932", "UTF-16LE"};
};

Codec::Codec() : state_(std::make_unique<State>()) {}
Codec::~Codec() = default;

std::optional<QString> Codec::toUnicode(const char* data, std::size_t size)
{
    auto utf16 = state_->toUtf16.run(data, size);
    if (!utf16)
        return std::nullopt;
    return QString(reinterpret_cast<const QChar*>(utf16->data()), qsizetype(utf16->size() / 2));
}

std::optional<std::string> Codec::fromUnicode(const QString& text)
{
    return state_->fromUtf16.run(reinterpret_cast<const char*>(text.utf16()), std::size_t(text.size()) * 2);
}

}  // namespace ansi
