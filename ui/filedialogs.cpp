#include "filedialogs.h"

#include <QFileDialog>
#include <QMessageBox>

#include <climits>
#include <unistd.h>

namespace {
// "(*)" is this platform's all-files pattern; "*.*" would hide names without a dot.
const QStringList kFilters{"Quorvexﾌｧｲﾙ (*.bng)", "すべてのﾌｧｲﾙ (*)"};

// Qt's own dialog keeps itself open without a word when a new name is too long for the folder, and counts
// the name in characters where the file system counts bytes.
class FileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;
    void accept() override {
        const QStringList files = selectedFiles();
        if (acceptMode() == AcceptSave && !files.isEmpty()) {
            const QFileInfo info(files.front());
            const long limit = ::pathconf(QFile::encodeName(info.absolutePath()).constData(), _PC_NAME_MAX);
            if (!info.isDir() && QFile::encodeName(info.fileName()).size() > (limit > 0 ? limit : NAME_MAX)) {
                QMessageBox::warning(this, windowTitle(), "ﾌｧｲﾙ名が長すぎます。");
                return;
            }
        }
        QFileDialog::accept();
    }
};
} // namespace

std::optional<std::string> QtFileDialogs::Run(bool save) {
    FileDialog dialog(parent_, save ? QStringLiteral("名前を付けて保存") : QString(), QString::fromStdString(folder_));
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
