#pragma once

#include <QImage>

// The tank background, 500 x 300: water, the air band, the air pipe with its outlet, gravel.
QImage drawTank();

// The food sheet, 50 x 100: a clump of red worms over its mask.
QImage drawFoodSheet();

// The bubble sheet, 60 x 60: a blue and a green cluster of three rings over their masks.
QImage drawBubbleSheet();
