#include "settingsfile.h"

#include "atomicfile.h"
#include "fieldreader.h"
#include "modmain.h"
#include "numbers.h"
#include "regularfile.h"

#include <array>
#include <climits>
#include <optional>
#include <unistd.h>

std::string GetAppFolder() {
    // Not through QString: a folder name that is not UTF-8 would come back as another path.
    std::string exe(PATH_MAX, '\0');
    const ssize_t n = ::readlink("/proc/self/exe", exe.data(), exe.size());
    if (n <= 0 || n >= PATH_MAX || exe[0] != '/')
        return {};
    exe.resize(static_cast<std::size_t>(n));
    return exe.substr(0, exe.rfind('/') + 1);
}

void SetDefaultSettings(modMain& m) { m.ApplySettings(kDefaultSettings); }

bool SaveSettings(modMain& m) {
    const auto line = [](int value) {
        // A blank (or the minus sign) in front, one blank after.
        return (value < 0 ? std::string("-") : std::string(" ")) + std::to_string(value < 0 ? -value : value) + " \r\n";
    };
    const std::string text = "<RunMode>\r\n" + line(m.run.SysSetting.RunMode) + "<MinNumber>\r\n" +
                             line(m.run.SysSetting.MinNumber) + "<MaxNumber>\r\n" + line(m.run.SysSetting.MaxNumber);
    return !m.AppFolder.empty() && WriteFileAtomically(m.AppFolder + kSettingsFileName, text, FileRole::Own).empty();
}

std::optional<SettingRecord> ParseSettings(std::string_view text) {
    const auto items = ItemsOf(text, kSettingsBounds);
    if (!items)
        return std::nullopt;
    FieldReader reader(*items);
    std::array<std::string, 6> fields;
    for (auto& field : fields) {
        if (reader.AtEnd())
            break;
        field = reader.ReadField();
    }
    std::array<std::int16_t, 3> values{};
    for (int i = 0; i < 3; ++i) {
        const auto number = ParseNumber(fields[2 * i + 1]);
        if (!number)
            return std::nullopt;
        const auto rounded = RoundToInt16(*number);
        if (!rounded)
            return std::nullopt;
        values[i] = *rounded;
    }
    const SettingRecord s{values[0], values[1], values[2]};
    return IsAcceptedSetting(s) ? std::optional(s) : std::nullopt;
}

void LoadSettings(modMain& m) {
    const std::string path = m.AppFolder + kSettingsFileName;
    const FileBytes file = m.AppFolder.empty() ? FileBytes{} : ReadItems(path, kSettingsBounds, Links::Refuse);
    if (file.status == FileBytes::Status::Read)
        if (const auto s = ParseSettings(file.bytes)) {
            m.ApplySettings(*s);
            return;
        }
    SetDefaultSettings(m);
    SaveSettings(m);
}
