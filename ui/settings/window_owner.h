#pragma once

#include <functional>

class QWidget;

// The settings dialog and the chooser are top-level windows of their own (a child of the
// disabled tank would be disabled with it), kept above the window they belong to. On
// Windows that takes an owned window: an owned window always stays above its owner,
// whatever brings the owner forward.
//
// Makes `window` belong to `owner`. Call it once the window's native window exists.
void setWindowOwner(QWidget& window, QWidget& owner);

// Which window the chooser belongs to while the settings dialog is open.
QWidget& chooserOwner(QWidget& tank, QWidget& dialog);

// While `owner` is disabled, whatever activates it (on Windows its task-bar button, which
// may raise it above the windows it owns) activates `front()` instead, when there is one.
void forwardActivationWhileDisabled(QWidget& owner, std::function<QWidget*()> front);
