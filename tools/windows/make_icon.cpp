// pondel-make-icon PICTURE OUT.ico: the program's own icon at the sizes Windows shows
// (title bar, Start menu, desktop, Explorer), each kept as a PNG inside the .ico.
#include <QBuffer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>

#include <cstdio>

namespace {

void put16(QByteArray& out, int v)
{
    out.append(char(v & 0xFF)).append(char((v >> 8) & 0xFF));
}

void put32(QByteArray& out, qint64 v)
{
    put16(out, int(v & 0xFFFF));
    put16(out, int((v >> 16) & 0xFFFF));
}

}  // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: pondel-make-icon PICTURE OUT.ico\n");
        return 2;
    }
    const QImage source = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32);
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const int sizes[] = {16, 24, 32, 48, 64, 256};
    QList<QByteArray> pngs;
    for (int size : sizes) {
        // Smaller than drawn: smooth; larger: the drawing's own pixels, as the window shows it.
        const QImage scaled = source.scaled(size, size, Qt::IgnoreAspectRatio,
                                            size < source.width() ? Qt::SmoothTransformation : Qt::FastTransformation);
        QBuffer png;
        png.open(QIODevice::WriteOnly);
        scaled.save(&png, "PNG");
        pngs << png.data();
    }
    QByteArray ico;
    put16(ico, 0);
    put16(ico, 1);  // an icon, not a cursor
    put16(ico, int(pngs.size()));
    qint64 offset = 6 + 16 * pngs.size();
    for (qsizetype i = 0; i < pngs.size(); ++i) {
        const int size = sizes[i];
        ico.append(char(size >= 256 ? 0 : size)).append(char(size >= 256 ? 0 : size));  // 0 means 256
        ico.append(char(0)).append(char(0));
        put16(ico, 1);
        put16(ico, 32);
        put32(ico, pngs[i].size());
        put32(ico, offset);
        offset += pngs[i].size();
    }
    for (const QByteArray& png : pngs)
        ico += png;
    QFile out(QString::fromLocal8Bit(argv[2]));
    if (!out.open(QIODevice::WriteOnly) || out.write(ico) != ico.size()) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
