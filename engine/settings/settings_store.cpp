#include "engine/settings/settings_store.h"

#include "platform/file_system.h"
#include "platform/ini_profile.h"

#include <cstdlib>

namespace {

const char kGeneral[] = "Output General";
const char kImages[] = "Output Images";
const char kLimits[] = "Document Limits";
const char kSelection[] = "Image Selection";

// One persisted field: where it is stored and its default.
struct PersistedField {
    const char* section;
    const char* key;
    int ConvertSettings::*field;
};

// In the order the file is read and written.
const PersistedField kFields[] = {
    {kGeneral, "Page Range", &ConvertSettings::pageRange},
    {kGeneral, "Start Page", &ConvertSettings::startPage},
    {kGeneral, "End Page", &ConvertSettings::endPage},
    {kGeneral, "Open Result", &ConvertSettings::openResult},
    {kImages, "Images Format", &ConvertSettings::imagesFormat},
    {kImages, "Jpeg Quality", &ConvertSettings::jpegQuality},
    {kImages, "Jpeg Gray Scale", &ConvertSettings::jpegGrayScale},
    {kImages, "Transparency", &ConvertSettings::masks},
    {kImages, "Orientation", &ConvertSettings::orientation},
    {kImages, "Keep Original Encoding", &ConvertSettings::keepStored},
    {kLimits, "Memory Limit MB", &ConvertSettings::memoryLimitMb},
    {kLimits, "Time Limit Seconds", &ConvertSettings::timeLimitSeconds},
    {kSelection, "Minimum Width", &ConvertSettings::minimumWidth},
    {kSelection, "Minimum Height", &ConvertSettings::minimumHeight},
    {kSelection, "Skip Repeated Images", &ConvertSettings::skipRepeated},
};

} // namespace

std::string SettingsFilePath(const std::string& moduleDirectory) {
    if (platform::IsDirectoryWritable(moduleDirectory))
        return platform::WithTrailingSlash(moduleDirectory) + "Settings.ini";
    std::string configHome;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg)
        configHome = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        configHome = std::string(home) + "/.config";
    else
        configHome = ".";
    std::string directory = platform::WithTrailingSlash(configHome) + "vellumin";
    platform::CreateDirectoryPath(directory);
    return directory + "/Settings.ini";
}

void LoadSettings(const std::string& settingsPath, ConvertSettings& settings) {
    const ConvertSettings defaults;
    for (const PersistedField& f : kFields)
        settings.*f.field = platform::GetPrivateProfileInt(f.section, f.key, defaults.*f.field, settingsPath);
}

void SaveSettings(const std::string& settingsPath, const ConvertSettings& settings) {
    for (const PersistedField& f : kFields)
        platform::WritePrivateProfileString(f.section, f.key, std::to_string(settings.*f.field), settingsPath);
}

void ResetSettings(ConvertSettings& settings) {
    std::string keep = settings.outputDirectory;
    settings = ConvertSettings();
    settings.outputDirectory = keep;
}
