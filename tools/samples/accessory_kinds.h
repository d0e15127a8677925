#pragma once

#include "tools/sheet/sheet_layout.h"

#include <QImage>
#include <QString>

#include <vector>

struct AccessoryKind {
    QString fileName;
    SheetLayout layout;         // landscape or portrait
    std::vector<QImage> frames;  // ten, each the frame size; the tenth leads back into the first
};

// A swaying water plant and a castle with a waving flag (portrait), a treasure chest
// that opens and closes and a rock with a waving sea anemone (landscape).
std::vector<AccessoryKind> drawAccessoryKinds();
