#pragma once
// Loading and saving the settings record in "Settings.ini".
#include "engine/settings/convert_settings.h"

#include <string>

// Where "Settings.ini" lives: beside the executable when that directory can be
// written, otherwise $XDG_CONFIG_HOME/vellumin/ (default ~/.config/vellumin/),
// which is created when needed.
std::string SettingsFilePath(const std::string& moduleDirectory);

// Fills the persisted fields; missing keys or file give the defaults.
// outputDirectory is not touched.
void LoadSettings(const std::string& settingsPath, ConvertSettings& settings);
// Writes the persisted fields; a failing write is ignored.
void SaveSettings(const std::string& settingsPath, const ConvertSettings& settings);
// Restores the defaults of the persisted fields, keeping outputDirectory.
void ResetSettings(ConvertSettings& settings);
