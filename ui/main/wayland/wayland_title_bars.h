#pragma once

// On Wayland, Qt 6.4 draws a window's title bar only while its OpenGL client stack is loaded
// (some 50 MB resident), and loads that stack at the first window for this alone. Where the
// compositor draws title bars itself, Qt can go without it. Call before QApplication exists:
// this asks the compositor with a toplevel of its own that is never shown, on a connection
// of its own, and then tells Qt to load no client buffer integration. Elsewhere on Wayland
// (the compositor draws none, or it cannot be asked) it chooses the program's own title bar
// (wayland_decoration.h). It does nothing outside a Wayland session or where Qt is told
// another platform; where the user chose an integration it only chooses the title bar.
void skipOpenGlWhereTheCompositorDrawsTitleBars(const char* appId);

// Drops the two warnings Qt gives about the client buffer integration "none", which the
// program chooses on purpose, and passes every other message on. Done by the call above
// when it makes that choice.
void keepQuietAboutNoClientBufferIntegration();
