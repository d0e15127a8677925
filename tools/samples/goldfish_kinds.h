#pragma once

#include <QImage>
#include <QString>

#include <vector>

struct GoldfishKind {
    QString fileName;  // the kind's name in the settings dialog is the name up to the "."
    std::vector<QImage> cells;  // the six left-facing cells, 75 x 75: poses A B C B A D
};

// Red-and-white, black with telescope eyes, calico, pale yellow.
std::vector<GoldfishKind> drawGoldfishKinds();
