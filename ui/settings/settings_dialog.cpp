#include "ui/settings/settings_dialog.h"

void openSettingsDialog(MainWindow&) {}
