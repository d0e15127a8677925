#pragma once

#include "app/tank_settings.h"

#include <QByteArray>
#include <QString>

inline const QString kSettingsFileName = QStringLiteral("SET");

// The record's byte form: little-endian 16-bit integers, texts as a 16-bit byte count
// followed by their code page 932 bytes, no padding, header or trailer.
QByteArray serializeSettings(const TankSettings& settings);

// Reads the record from the start of `bytes`. Where the bytes end before an item, that
// item and all later ones stay 0 or empty. Nothing is validated here.
TankSettings parseSettings(const QByteArray& bytes);

// What an in-place overwrite leaves: the new record, then whatever the old file held
// beyond the new record's end.
QByteArray overwriteInPlace(const QByteArray& oldBytes, const QByteArray& record);

struct FileOutcome {
    bool ok = true;
    QString error;  // the system's reason when !ok
};

// Fills `settings` from the file, creating it empty when it does not exist. On failure
// `settings` is left zero-filled.
FileOutcome readSettingsFile(TankSettings& settings, const QString& path = kSettingsFileName);

// Writes the record over the start of the file. The new content is written to a
// temporary file and renamed over the old one, so an interrupted save never leaves a
// mix of old and new bytes.
FileOutcome writeSettingsFile(const TankSettings& settings, const QString& path = kSettingsFileName);
