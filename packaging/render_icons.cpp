// pondel-render-icons PICTURE FOLDER NAME SIZE...: the program's icon at each size, as
// FOLDER/SIZExSIZE/apps/NAME.png for the hicolor theme.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <cstdio>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc < 5) {
        std::fprintf(stderr, "usage: pondel-render-icons PICTURE FOLDER NAME SIZE...\n");
        return 2;
    }
    const QImage source = QImage(QString::fromLocal8Bit(argv[1])).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (source.isNull()) {
        std::fprintf(stderr, "cannot read %s\n", argv[1]);
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[2]);
    const QString name = QString::fromLocal8Bit(argv[3]);
    for (int i = 4; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size <= 0) {
            std::fprintf(stderr, "not a size: %s\n", argv[i]);
            return 2;
        }
        const QString dir = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        QDir().mkpath(dir);
        const QImage icon = source.size() == QSize(size, size)
            ? source
            : source.scaled(size, size, Qt::KeepAspectRatio, Qt::SmoothTransformation);
        QImageWriter writer(QStringLiteral("%1/%2.png").arg(dir, name), "png");
        if (!writer.write(icon.convertToFormat(QImage::Format_ARGB32))) {
            std::fprintf(stderr, "%s\n", qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}
