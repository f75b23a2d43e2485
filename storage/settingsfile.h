#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "modmain.h"


// The folder of the program's executable, ending in "/".
std::string GetAppFolder();

inline constexpr const char* kSettingsFileName = "numbalo.ini";

// The six fields of a settings file; nullopt when any check fails.
std::optional<SettingRecord> ParseSettings(std::string_view text);

void SetDefaultSettings(modMain& m);
// Reads AppFolder + "numbalo.ini"; a missing or bad file gives the defaults, written back.
void LoadSettings(modMain& m);
// Writes the settings file; a failed write leaves the old file intact and stays silent.
bool SaveSettings(modMain& m);

// Writes bytes to path through a temporary file in the same folder renamed over the
// target, so a failed write never leaves a half-written file. Returns an error text, or
// an empty string on success.
std::string WriteFileAtomically(const std::string& path, const std::string& bytes);
