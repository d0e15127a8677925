#pragma once

class QKeyEvent;
class QWidget;

// The dialogs are plain windows, where a focused button takes only Space. Enter presses
// it as well, as people expect of any dialog. True when the key was used.
bool pressFocusedButtonOnEnter(QWidget* window, QKeyEvent* event);
