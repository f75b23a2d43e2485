#include "extrasettings.h"

#include "atomicfile.h"
#include "regularfile.h"

namespace {
// "on"/"off", as a person editing the file would write it; anything else is no value.
void ReadSwitch(std::string_view value, bool& target) {
    if (value == "on")
        target = true;
    else if (value == "off")
        target = false;
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
    }
    return settings;
}

std::string EncodeExtraSettings(const ExtraSettings& settings) {
    return std::string("sound=") + (settings.soundAlerts ? "on" : "off") + "\n";
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
