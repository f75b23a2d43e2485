#pragma once
#include <optional>
#include <string>

class modMain;

// The file dialogs the document commands need; the window shows real ones, tests answer
// them. Each returns the chosen full path, or nullopt when cancelled.
class FileDialogs {
public:
    virtual ~FileDialogs() = default;
    virtual std::optional<std::string> GetOpenFileName() = 0;
    virtual std::optional<std::string> GetSaveFileName() = 0;
};

enum class SaveResult { Saved, Cancelled, Failed };

// New, Open, Save, Save As and the closing guard, with the save-changes question.
class DocumentCommands {
public:
    DocumentCommands(modMain& m, FileDialogs& dialogs) : m_(m), dialogs_(dialogs) {}

    void mn_New_Click();
    void mn_Open_Click();
    // The Open command after its dialog, for a path chosen elsewhere (command line, drop): the
    // save-changes question when the document is changed, then the same reading and refusal.
    void OpenDocument(const std::string& path);
    SaveResult mn_Save_Click();
    SaveResult mn_As_Click();
    // The closing handler: true when the main window may close. During a run it asks first.
    bool QueryUnload();

private:
    int AskSaveChanges();
    modMain& m_;
    FileDialogs& dialogs_;
};

// "dir/name" split into the folder (with its last "/") and the file title.
std::pair<std::string, std::string> SplitPath(const std::string& path);
