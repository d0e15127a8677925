#pragma once

class MainWindow;

// Loads the settings dialog for the given main window.
void openSettingsDialog(MainWindow& mainFrm);
