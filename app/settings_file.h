#pragma once

#include "app/tank_settings.h"

#include <QByteArray>
#include <QString>

#include <array>

inline const QString kSettingsFileName = QStringLiteral("SET");
// 10 in the kinds, 5 in the fish, 8 in the accessories.
constexpr std::size_t kRecordTexts = 23;

// The record's byte form: little-endian 16-bit integers, texts as a 16-bit byte count
// followed by their code page 932 bytes, no padding, header or trailer.
// The code page 932 form of each of the record's texts as last serialised. A record
// serialised after every tick then encodes only the texts that changed since.
struct TextEncodings {
    std::array<QString, kRecordTexts> texts;
    std::array<QByteArray, kRecordTexts> bytes;
};

QByteArray serializeSettings(const TankSettings& settings, TextEncodings* remembered = nullptr);

// Reads the record from the start of `bytes`. Where the bytes end before an item, that
// item and all later ones stay 0 or empty. Nothing is validated here.
TankSettings parseSettings(const QByteArray& bytes);

// What an in-place overwrite leaves: the new record, then whatever the old file held
// beyond the new record's end.
QByteArray overwriteInPlace(const QByteArray& oldBytes, const QByteArray& record);

struct FileOutcome {
    bool ok = true;
    QString error;  // why, in Japanese, when !ok
};

// Fills `settings` from the file, creating it empty when it does not exist. On failure
// `settings` is left zero-filled.
FileOutcome readSettingsFile(TankSettings& settings, const QString& path = kSettingsFileName);

// Writes the record over the start of the file. The new content is written to a
// temporary file and renamed over the old one, so an interrupted save never leaves a
// mix of old and new bytes.
FileOutcome writeSettingsFile(const TankSettings& settings, const QString& path = kSettingsFileName);

// The same for a record serialised earlier, so a thread other than the record's own can
// save what that thread last serialised.
FileOutcome writeSettingsBytes(const QByteArray& record, const QString& path = kSettingsFileName);
