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

// True when the text encodes and decodes back to exactly itself. Code page 932 maps
// some characters one way only (U+301C comes back as U+FF5E, U+00A5 as a backslash): a
// path holding one would come back naming another file.
bool representable(const QString& text);

// The first character (a whole code point) at which the text stops reading back as
// itself; empty when the text is representable.
QString firstUnrepresentable(const QString& text);

}  // namespace ansi
