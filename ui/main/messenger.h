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

// Japanese font family for the program's own windows: the one the dialogs were designed
// for when the machine has it, else the closest installed Gothic.
QString uiFontFamily();
