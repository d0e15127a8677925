#pragma once

// On Wayland, Qt 6.4 draws a window's title bar only while its OpenGL client stack is loaded
// (some 50 MB resident), and loads that stack at the first window for this alone. Where the
// compositor draws title bars itself, Qt can go without it. Call before QApplication exists:
// this asks the compositor with a toplevel of its own that is never shown, on a connection
// of its own, and then tells Qt to load no client buffer integration. It does nothing
// outside a Wayland session, where Qt is told another platform, or where the user chose an
// integration.
void skipOpenGlWhereTheCompositorDrawsTitleBars(const char* appId);

// Drops the two warnings Qt gives about the client buffer integration "none", which the
// program chooses on purpose, and passes every other message on. Done by the call above
// when it makes that choice.
void keepQuietAboutNoClientBufferIntegration();
