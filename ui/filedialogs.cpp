#include "filedialogs.h"

#include <QFileDialog>

namespace {
// "(*)" is this platform's all-files pattern; "*.*" would hide names without a dot.
const QStringList kFilters{"Quorvexﾌｧｲﾙ (*.bng)", "すべてのﾌｧｲﾙ (*)"};
} // namespace

std::optional<std::string> QtFileDialogs::Run(bool save) {
    QFileDialog dialog(parent_, save ? QStringLiteral("名前を付けて保存") : QString(),
                       QString::fromStdString(folder_));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters(kFilters);
    dialog.selectNameFilter(kFilters.front());
    if (save) {
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
    } else {
        dialog.setAcceptMode(QFileDialog::AcceptOpen);
        dialog.setFileMode(QFileDialog::ExistingFile);
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().front();
    folder_ = QFileInfo(path).absolutePath().toStdString();
    return path.toStdString();
}

std::optional<std::string> QtFileDialogs::GetOpenFileName() { return Run(false); }
std::optional<std::string> QtFileDialogs::GetSaveFileName() { return Run(true); }
