#pragma once
#include <array>
#include <optional>
#include <string>
#include <string_view>

#include "fieldreader.h"

// What the program's additions remember between runs, kept apart from numbalo.ini so that file keeps its six
// lines: UTF-8 "key=value" lines; an unknown or bad line is ignored and a missing key keeps its default.
inline constexpr const char* kExtraSettingsFileName = "numbalo-extra.ini";
inline constexpr ItemBounds kExtraSettingsBounds{64, 0, 1024, 0};

struct ExtraSettings {
    bool soundAlerts = true;                         // a reach or a bingo plays a sound
    bool boardOpen = false;                          // the number board was open when the program last ended
    std::optional<std::array<int, 4>> boardGeometry; // x, y, width, height; none: beside the main window
    bool operator==(const ExtraSettings&) const = default;
};

ExtraSettings ParseExtraSettings(std::string_view text);
std::string EncodeExtraSettings(const ExtraSettings& settings);
// Reads folder + the file name, a regular file only; anything else or no folder gives the defaults.
ExtraSettings LoadExtraSettings(const std::string& folder);
// Replaces the file atomically, never through a link; false (and the old file intact) when that fails.
bool SaveExtraSettings(const std::string& folder, const ExtraSettings& settings);
