#pragma once

#include "tools/sheet/sheet_layout.h"

#include <QImage>
#include <QString>

#include <optional>
#include <vector>

// The colour a sprite pixel takes when its picture has it pure white, which on a
// sheet means transparent.
constexpr QRgb kSpriteWhite = 0xFFFEFEFE;

struct MakeRequest {
    SheetLayout layout = kPatternLayout;
    // One picture per cell drawn, or a single picture for every cell.
    std::vector<QImage> pictures;
    // Pattern: the pictures are the left-facing cells 0-5 only; 6-11 become their
    // mirror images. A single picture is always used this way.
    bool mirror = false;
    // Pattern: the pictures face right and are turned round first.
    bool flip = false;
    // Background colour of pictures that have no transparent pixel.
    QRgb key = 0xFFFFFFFF;
    // At most 256 colours, so the sheet is written as an 8-bit BMP.
    bool palette = false;
};

struct MakeResult {
    QImage sheet;  // RGB32
    QString error;
    bool ok() const { return error.isEmpty(); }
};

// Lays the pictures into the cells and computes the mask row. Pictures of exactly the
// cell size are used pixel for pixel; others are cut to what they show and scaled,
// all by the same factor so an animation does not jump, into the cell (accessories
// stand on the floor line of the tank). A pixel at least half opaque belongs to the
// sprite. Besides patterns and accessories, any layout can be made (the built-in food
// and bubble sheets), one picture per cell.
MakeResult makeSheet(const MakeRequest& request);

// How many pictures makeSheet wants besides a single one: 12 for a pattern, 6 when
// mirrored, one per cell otherwise (10 for an accessory).
int picturesWanted(const MakeRequest& request);

// Cuts a strip into `count` pictures of equal width.
std::vector<QImage> cutStrip(const QImage& strip, int count);

// Cell k of a sheet as a picture with transparency (ARGB32): opaque where the mask
// is dark.
QImage sheetCell(const QImage& sheet, const SheetLayout& layout, int k);

// At most 256 colours by median cut. Pure white and pure black stay exactly as they
// are and no other colour becomes white, so the mask convention holds afterwards.
QImage reduceColours(const QImage& sheet);

// Writes a BMP, 8-bit with a palette in colour order when the sheet has at most 256
// colours, else 24-bit: the same sheet always gives the same bytes. The file is
// replaced only once it is complete.
bool writeSheet(const QImage& sheet, const QString& path, QString* error = nullptr);
