#pragma once
#include <QString>
#include <QStringList>

#include "modmain.h"
#include "qtplatform.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

class frmMain;
class RecoveryKeeper;

// What the command line asks for, worked out before any window system is touched, so that
// --help and --version need no display.
// File names are kept as the bytes given: a name that is not UTF-8 must still open.
struct CommandLine {
    enum class Action { Start, ShowHelp, ShowVersion };
    Action action = Action::Start;
    std::string file;     // the document as typed; empty: none
    std::string filePath; // the same, absolute from the folder the program was started in, ".." left to the system
    bool misused = false; // several files or an unknown option: start without a file
};
// The arguments as main() gets them, the program's name first.
CommandLine ParseCommandLine(const std::vector<std::string>& arguments);
// The one line printed to standard error for a misused command line.
QString UsageLine();
QString HelpText();
QString VersionText();

// The program from the splash on: the settings, two seconds later the main window, and once it
// is shown the recovery step and then the file named on the command line.
class StartUp {
public:
    StartUp(CommandLine command, std::string appFolder);
    ~StartUp();

    // Runs once the main window is shown, before the file is opened. True when it restored a
    // game: the file is then left unopened, and the operator is told so.
    std::function<bool()> tryRecover;

    void Begin();
    modMain& module() { return m_; }
    frmMain* mainWindow() const { return main_.get(); }

private:
    void AfterShown();

    CommandLine command_;
    QtPlatform platform_;
    modMain m_{platform_};
    std::unique_ptr<frmMain> main_;
    std::unique_ptr<RecoveryKeeper> recovery_;
};
