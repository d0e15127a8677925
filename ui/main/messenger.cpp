#include "ui/main/messenger.h"

#include <QApplication>
#include <QFontDatabase>
#include <QIcon>
#include <QPushButton>
#include <QMessageBox>
#include <QPointer>

#include <vector>

namespace {
int boxesOpen = 0;
std::vector<QPointer<QWidget>> waitingForTheBoxes;
}  // namespace

void Messenger::show(const QString& text, const QString& title)
{
    QMessageBox box(QMessageBox::NoIcon, title, text, QMessageBox::Ok, QApplication::activeWindow());
    // Some styles put a check mark on a standard OK button; these boxes carry no icon.
    box.button(QMessageBox::Ok)->setIcon(QIcon());
    ++boxesOpen;
    box.exec();
    if (--boxesOpen == 0) {
        for (const QPointer<QWidget>& w : std::exchange(waitingForTheBoxes, {}))
            if (w)
                w->deleteLater();
    }
}

void deleteOnceNoBoxIsOpen(QWidget* window)
{
    if (boxesOpen == 0)
        window->deleteLater();
    else
        waitingForTheBoxes.emplace_back(window);
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
