#pragma once

#include <QString>

#include <memory>
#include <optional>
#include <string>

// The platform's code page 932 table (iconv on Linux, the Windows API there), kept apart
// from the rules in ansi_text.cpp that make the codec lossless.
namespace ansi {

class Codec {
public:
    Codec();
    ~Codec();
    Codec(const Codec&) = delete;
    Codec& operator=(const Codec&) = delete;

    // Whole input or nothing: std::nullopt when any byte does not convert.
    std::optional<QString> toUnicode(const char* data, std::size_t size);
    // std::nullopt when any character has no code in code page 932; never a best fit.
    std::optional<std::string> fromUnicode(const QString& text);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace ansi
