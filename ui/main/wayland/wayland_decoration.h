#pragma once

// Where Qt 6.4 draws the title bars on Wayland, its own decoration offers maximize on every
// window, whatever the window's flags say, and the program's windows have a fixed size.
// This tells Qt, before QApplication exists, to draw the program's own title bar instead:
// the window's title, minimize and close, and a move by dragging. It does nothing where the
// user chose a decoration, or in a build without Qt's Wayland client library.
void drawOwnTitleBarsOnWayland();
