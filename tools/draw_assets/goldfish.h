#pragma once

#include "tools/sheet/sheet_make.h"

#include <QImage>

class QPainter;

// A, B, C: the tail straight, swung up, swung further while the fish swims.
// D: the fish at rest, fins and tail spread.
enum class FishPose { A, B, C, D };

// Paints a left-facing goldfish into a 75 x 75 cell; the painter maps cell units.
void paintGoldfish(QPainter& p, FishPose pose);

// The goldfish sheet, 900 x 150: twelve 75 x 75 cells over their masks, at most 256
// colours. Cells 0-5 face left (A, B, C, B, A, D); cells 6-11 are cells 5-0 mirrored.
MakeResult drawGoldfishSheet();

// The window icon, 64 x 64 with alpha.
QImage drawIcon();
