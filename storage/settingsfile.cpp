#include "settingsfile.h"

#include "fieldreader.h"
#include "modmain.h"
#include "numbers.h"

#include <QCoreApplication>
#include <QFile>
#include <QSaveFile>

#include <array>
#include <optional>

std::string GetAppFolder() {
    std::string folder = QCoreApplication::applicationDirPath().toStdString();
    if (folder.empty() || folder.back() != '/')
        folder += '/';
    return folder;
}

std::string WriteFileAtomically(const std::string& path, const std::string& bytes) {
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly))
        return file.errorString().toStdString();
    // flush() explicitly: QSaveFile::commit() ignores a short write of its buffer (disk full,
    // file size limit) and would rename the truncated file over the old one.
    if (file.write(bytes.data(), static_cast<qint64>(bytes.size())) != static_cast<qint64>(bytes.size()) ||
        !file.flush()) {
        const std::string error = file.errorString().toStdString();
        file.cancelWriting();
        return error.empty() ? "write error" : error;
    }
    if (!file.commit())
        return file.errorString().toStdString();
    return {};
}

void SetDefaultSettings(modMain& m) { m.SysSetting = {0, 0, 99}; }

bool SaveSettings(modMain& m) {
    const auto line = [](int value) {
        // A blank (or the minus sign) in front, one blank after.
        return (value < 0 ? std::string("-") : std::string(" ")) + std::to_string(value < 0 ? -value : value) +
               " \r\n";
    };
    const std::string text = "<RunMode>\r\n" + line(m.SysSetting.RunMode) + "<MinNumber>\r\n" +
                             line(m.SysSetting.MinNumber) + "<MaxNumber>\r\n" + line(m.SysSetting.MaxNumber);
    return WriteFileAtomically(m.AppFolder + kSettingsFileName, text).empty();
}

std::optional<SettingRecord> ParseSettings(std::string_view text) {
    FieldReader reader(text);
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
    if (s.RunMode != 0 && s.RunMode != 1)
        return std::nullopt;
    if (s.MinNumber < 0 || s.MinNumber > 75 || s.MaxNumber < 24 || s.MaxNumber > 99 || s.MinNumber > s.MaxNumber)
        return std::nullopt;
    return s;
}

void LoadSettings(modMain& m) {
    QFile file(QString::fromStdString(m.AppFolder + kSettingsFileName));
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray bytes = file.readAll();
        if (const auto s = ParseSettings(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())))) {
            m.SysSetting = *s;
            return;
        }
    }
    SetDefaultSettings(m);
    SaveSettings(m);
}
