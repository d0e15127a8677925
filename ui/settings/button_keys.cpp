#include "ui/settings/button_keys.h"

#include <QKeyEvent>
#include <QPushButton>

bool pressFocusedButtonOnEnter(QWidget* window, QKeyEvent* event)
{
    if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
        return false;
    auto* button = qobject_cast<QPushButton*>(window->focusWidget());
    if (!button || !button->isEnabled() || button->window() != window)
        return false;
    button->click();
    return true;
}
