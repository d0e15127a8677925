#pragma once

class QWidget;

// Logout, shutdown and Ctrl+C (SIGHUP, SIGTERM, SIGINT) close the window the normal
// way, so the record is stored as on any other close.
void closeOnTerminationSignals(QWidget* window);
