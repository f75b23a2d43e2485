#include "documentdrop.h"

#include "modmain.h"

#include <QApplication>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

bool MayOpenDroppedDocument(const modMain& m) { return m.IsEditMode() && !QApplication::activeModalWidget(); }

std::optional<std::string> TakeDroppedDocument(const modMain& m, QDropEvent& event) {
    const QMimeData* data = event.mimeData();
    if (MayOpenDroppedDocument(m) && (event.possibleActions() & Qt::CopyAction) && data && data->urls().size() == 1 &&
        data->urls().front().isLocalFile()) {
        const QFileInfo file(data->urls().front().toLocalFile());
        if (file.isFile() && file.suffix().compare("bng", Qt::CaseInsensitive) == 0) {
            event.setDropAction(Qt::CopyAction);
            event.accept();
            return file.absoluteFilePath().toStdString();
        }
    }
    event.ignore();
    return std::nullopt;
}
