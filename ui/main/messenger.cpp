#include "ui/main/messenger.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QPushButton>
#include <QMessageBox>

void Messenger::show(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    // Some styles put a check mark on a standard OK button; these boxes carry no icon.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    box.exec();
}

QString uiFontFamily()
{
    static const QStringList candidates = {
        QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("MS PGothic"), QStringLiteral("IPAPGothic"),
        QStringLiteral("IPAPゴシック"), QStringLiteral("IPAGothic"), QStringLiteral("Noto Sans CJK JP"),
        QStringLiteral("VL PGothic"), QStringLiteral("Takao PGothic")};
    const QStringList installed = QFontDatabase::families();
    for (const QString& name : candidates) {
        if (installed.contains(name))
            return name;
    }
    return QApplication::font().family();
}
