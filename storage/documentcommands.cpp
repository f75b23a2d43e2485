#include "documentcommands.h"

#include "modmain.h"
#include "sheetdocument.h"

std::pair<std::string, std::string> SplitPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

int DocumentCommands::AskSaveChanges() {
    return m_.platform().MsgBox(m_.doc.DocDir + m_.doc.DocName + " への変更を保存しますか?", vbYesNoCancelExclamation,
                                kProductName);
}

SaveResult DocumentCommands::mn_Save_Click() {
    if (m_.doc.DocName == kUntitled)
        return mn_As_Click();
    return SaveDocument(m_) ? SaveResult::Saved : SaveResult::Failed;
}

SaveResult DocumentCommands::mn_As_Click() {
    const auto path = dialogs_.GetSaveFileName();
    if (!path)
        return SaveResult::Cancelled;
    auto [dir, name] = SplitPath(*path);
    if (name.empty())
        return SaveResult::Cancelled;
    // A failed write leaves the document as it was, under its old name.
    const DocumentState old = m_.doc;
    m_.NameDocument(dir, name);
    SetWindowTitle(m_);
    if (SaveDocument(m_))
        return SaveResult::Saved;
    m_.NameDocument(old.DocDir, old.DocName); // the failed save left the changed mark as it was
    SetWindowTitle(m_);
    return SaveResult::Failed;
}

void DocumentCommands::mn_New_Click() {
    if (m_.doc.DocChanged == 0) {
        NewDocument(m_);
        return;
    }
    switch (AskSaveChanges()) {
    case vbYes:
        mn_Save_Click(); // the sheets stay; a second New finds the document saved
        break;
    case vbNo:
        NewDocument(m_);
        break;
    default:
        break;
    }
}

void DocumentCommands::mn_Open_Click() {
    if (const auto path = dialogs_.GetOpenFileName())
        OpenDocument(*path);
}

void DocumentCommands::OpenDocument(const std::string& path) {
    const auto [dir, name] = SplitPath(path);
    if (name.empty())
        return;
    if (m_.doc.DocChanged != 0) {
        const int answer = AskSaveChanges();
        if (answer == vbYes) {
            // A save that failed must not be followed by replacing the sheets; a cancelled
            // Save As dialog goes on to open.
            if (mn_Save_Click() == SaveResult::Failed)
                return;
        } else if (answer != vbNo) {
            return;
        }
    }
    // Only a file that passes the check becomes the document; a refused one leaves the
    // name, folder, caption and DocChanged as they were.
    const DocumentState old = m_.doc;
    m_.NameDocument(dir, name);
    if (LoadDocument(m_)) {
        SetWindowTitle(m_);
        return;
    }
    m_.NameDocument(old.DocDir, old.DocName);
}

bool DocumentCommands::QueryUnload() {
    // A slip onto the close button must not cost the evening's game.
    const std::string running = std::string("実行中です。") + kProductName + " を終了します。よろしいですか?";
    if (!m_.IsEditMode() && m_.platform().MsgBox(running, vbYesNoExclamationDefaultNo, kProductName) != vbYes)
        return false;
    if (m_.doc.DocChanged == 0)
        return true;
    switch (AskSaveChanges()) {
    case vbYes:
        // Close only when the sheets really reached the file.
        return mn_Save_Click() == SaveResult::Saved;
    case vbNo:
        return true;
    default:
        return false;
    }
}
