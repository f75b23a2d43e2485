#include "extrasettings.h"

#include "atomicfile.h"
#include "regularfile.h"

#include <charconv>
#include <cstdlib>

namespace {
// "on"/"off", as a person editing the file would write it; anything else is no value.
void ReadSwitch(std::string_view value, bool& target) {
    if (value == "on")
        target = true;
    else if (value == "off")
        target = false;
}
// "x,y,width,height" in whole pixels, with a size no window could sensibly have refused.
void ReadGeometry(std::string_view value, std::optional<std::array<int, 4>>& target) {
    std::array<int, 4> g{};
    std::size_t at = 0;
    for (std::size_t i = 0; i < g.size(); ++i) {
        const std::size_t end = i + 1 < g.size() ? value.find(',', at) : value.size();
        if (end == std::string_view::npos)
            return;
        const std::string_view field = value.substr(at, end - at);
        const char* first = field.data();
        const auto [ptr, ec] = std::from_chars(first, first + field.size(), g[i]);
        if (ec != std::errc() || ptr != first + field.size() || field.empty())
            return;
        at = end + 1;
    }
    if (g[2] >= 50 && g[3] >= 50 && g[2] <= 10000 && g[3] <= 10000 && std::abs(g[0]) <= 100000 &&
        std::abs(g[1]) <= 100000)
        target = g;
}
} // namespace

ExtraSettings ParseExtraSettings(std::string_view text) {
    ExtraSettings settings;
    FieldReader reader(text);
    while (!reader.AtEnd()) {
        const std::string line = reader.ReadLine();
        const std::size_t eq = line.find('=');
        if (eq == std::string::npos)
            continue;
        const std::string_view key = std::string_view(line).substr(0, eq);
        const std::string_view value = std::string_view(line).substr(eq + 1);
        if (key == "sound")
            ReadSwitch(value, settings.soundAlerts);
        else if (key == "board")
            ReadSwitch(value, settings.boardOpen);
        else if (key == "board.geometry")
            ReadGeometry(value, settings.boardGeometry);
    }
    return settings;
}

std::string EncodeExtraSettings(const ExtraSettings& settings) {
    std::string text = std::string("sound=") + (settings.soundAlerts ? "on" : "off") + "\n";
    text += std::string("board=") + (settings.boardOpen ? "on" : "off") + "\n";
    if (const auto& g = settings.boardGeometry)
        text += "board.geometry=" + std::to_string((*g)[0]) + ',' + std::to_string((*g)[1]) + ',' +
                std::to_string((*g)[2]) + ',' + std::to_string((*g)[3]) + "\n";
    return text;
}

ExtraSettings LoadExtraSettings(const std::string& folder) {
    if (folder.empty())
        return {};
    const FileBytes file = ReadItems(folder + kExtraSettingsFileName, kExtraSettingsBounds, Links::Refuse);
    return file.status == FileBytes::Status::Read ? ParseExtraSettings(file.bytes) : ExtraSettings{};
}

bool SaveExtraSettings(const std::string& folder, const ExtraSettings& settings) {
    return !folder.empty() &&
           WriteFileAtomically(folder + kExtraSettingsFileName, EncodeExtraSettings(settings), FileRole::Own).empty();
}
