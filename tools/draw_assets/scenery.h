#pragma once

#include "tools/sheet/sheet_make.h"

#include <QImage>

// The food and bubble sheets follow the mask convention in cell sizes of their own.
constexpr SheetLayout kFoodLayout{SheetKind::Other, 50, 50, 1};
constexpr SheetLayout kBubbleLayout{SheetKind::Other, 30, 30, 2};

// The tank background, 500 x 300: water, the air band, the air pipe with its outlet, gravel.
QImage drawTank();

// The food sheet, 50 x 100: a clump of red worms over its mask.
MakeResult drawFoodSheet();

// The bubble sheet, 60 x 60: a blue and a green cluster of three rings over their masks.
MakeResult drawBubbleSheet();
