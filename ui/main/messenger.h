#pragma once

#include <QString>

class QWidget;

// Every message the program shows goes through here: one line of text, a short title,
// one OK button, no icon. Tests substitute a recorder.
class Messenger {
public:
    virtual ~Messenger() = default;
    virtual void show(const QString& text, const QString& title);
};

// For windows that go away when closed. A message box runs its own event loop inside
// one of the window's handlers, and anything (a signal at logout, the main window
// closing) may close the window meanwhile: it is deleted only once every box has
// returned, so the handler beneath never goes on with a deleted window. Called from the
// window's closeEvent in place of Qt::WA_DeleteOnClose.
void deleteOnceNoBoxIsOpen(QWidget* window);

// Japanese font family for the program's own windows: the one the dialogs were designed
// for when the machine has it, else the closest installed Gothic.
QString uiFontFamily();
