#pragma once

#include <QSize>
#include <QString>

#include <optional>

enum class SheetKind { Pattern, LandscapeAccessory, PortraitAccessory, Other };

// A sprite sheet: `cells` cells side by side in the image row at y 0, their black
// silhouettes in the mask row right below. White is transparent in both rows.
struct SheetLayout {
    SheetKind kind = SheetKind::Other;
    int cellWidth = 0;
    int cellHeight = 0;
    int cells = 0;

    int width() const { return cellWidth * cells; }
    int height() const { return cellHeight * 2; }
    QSize size() const { return {width(), height()}; }
    int maskY() const { return cellHeight; }
    bool isAccessory() const
    {
        return kind == SheetKind::LandscapeAccessory || kind == SheetKind::PortraitAccessory;
    }
    // "pattern sheet", "landscape accessory sheet", ...
    QString name() const;
    // "cell" for goldfish poses, "frame" for accessory animation steps.
    QString cellWord() const;
};

constexpr SheetLayout kPatternLayout{SheetKind::Pattern, 75, 75, 12};
constexpr SheetLayout kLandscapeLayout{SheetKind::LandscapeAccessory, 200, 100, 10};
constexpr SheetLayout kPortraitLayout{SheetKind::PortraitAccessory, 100, 200, 10};

// A pattern file's cells 0-5 face left; 6-11 face right.
constexpr int kLeftFacingCells = 6;

// The pattern or accessory layout a picture of this size has, if any.
std::optional<SheetLayout> layoutForSize(QSize size);

// "900 × 150"
QString sizeText(QSize size);
