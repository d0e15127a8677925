#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Texts in "SET" are code page 932 (Windows-31J). Decoding is lossless: a byte that
// does not form a character that encodes back to itself becomes an escape code point
// U+DC00 + byte, and encoding turns it back into that byte, so a text read and written
// unchanged keeps its exact bytes.
namespace ansi {

QString decode(const QByteArray& bytes);

// std::nullopt when the text holds a character code page 932 cannot represent.
std::optional<QByteArray> encode(const QString& text);

// Encode for writing; characters code page 932 lacks become '?'. Texts entering the
// program are checked with representable() first, so this fallback is a last resort.
QByteArray encodeLossy(const QString& text);

bool representable(const QString& text);

}  // namespace ansi
