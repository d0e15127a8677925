#include "engine/picture_loader.h"

#include "engine/surface.h"

#include <QFileInfo>
#include <QImageReader>
#include <QPainter>

LoadedPicture loadPicture(const QString& path)
{
    if (path.isEmpty())
        return {{}, QStringLiteral("ファイル名がありません")};
    const QFileInfo info(path);
    if (!info.exists())
        return {{}, QStringLiteral("ファイルが見つかりません")};
    if (!info.isFile())
        return {{}, QStringLiteral("ファイルではありません")};

    QImageReader reader(path);
    reader.setDecideFormatFromContent(true);
    const QSize size = reader.size();
    if (size.isValid() && (size.width() > kMaxPictureSide || size.height() > kMaxPictureSide))
        return {{}, QStringLiteral("画像が大きすぎます")};
    QImage image = reader.read();
    if (image.isNull())
        return {{}, QStringLiteral("画像として読み込めません")};
    if (image.width() > kMaxPictureSide || image.height() > kMaxPictureSide)
        return {{}, QStringLiteral("画像が大きすぎます")};

    if (image.hasAlphaChannel()) {
        QImage flat = makeSurface(image.width(), image.height());
        QPainter p(&flat);
        p.drawImage(0, 0, image);
        p.end();
        return {flat, {}};
    }
    return {image.convertToFormat(QImage::Format_RGB32), {}};
}
