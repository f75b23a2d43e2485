#pragma once
#include <optional>
#include <string>
#include <string_view>

#include "fieldreader.h"
#include "modmain.h"

// The folder of the program's executable as the bytes the system gives, ending in "/"; empty when it
// cannot be named. An empty AppFolder makes the settings the defaults, kept in memory only.
std::string GetAppFolder();

inline constexpr const char* kSettingsFileName = "numbalo.ini";
// Six fields, of any length a hand-edited file could sensibly have.
inline constexpr ItemBounds kSettingsBounds{0, 6, 0, 1024};

// The six fields of a settings file; nullopt when any check fails.
std::optional<SettingRecord> ParseSettings(std::string_view text);

void SetDefaultSettings(modMain& m);
// Reads AppFolder + "numbalo.ini", only a regular file at that name; a missing or bad file, or anything
// else there, gives the defaults, written back where the writer may replace what stands at the name.
void LoadSettings(modMain& m);
// Writes the settings file; a failed write leaves the old file intact and stays silent.
bool SaveSettings(modMain& m);
