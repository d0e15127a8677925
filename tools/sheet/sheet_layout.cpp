#include "tools/sheet/sheet_layout.h"

QString SheetLayout::name() const
{
    switch (kind) {
    case SheetKind::Pattern: return QStringLiteral("pattern sheet");
    case SheetKind::LandscapeAccessory: return QStringLiteral("landscape accessory sheet");
    case SheetKind::PortraitAccessory: return QStringLiteral("portrait accessory sheet");
    case SheetKind::Other: break;
    }
    return QStringLiteral("sheet");
}

QString SheetLayout::cellWord() const
{
    return isAccessory() ? QStringLiteral("frame") : QStringLiteral("cell");
}

std::optional<SheetLayout> layoutForSize(QSize size)
{
    for (const SheetLayout& layout : {kPatternLayout, kLandscapeLayout, kPortraitLayout})
        if (layout.size() == size)
            return layout;
    return std::nullopt;
}

QString sizeText(QSize size)
{
    return QStringLiteral("%1 × %2").arg(size.width()).arg(size.height());
}
