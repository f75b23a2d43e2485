#include "startup.h"

#include "frmmain.h"
#include "frmtitle.h"
#include "recoverykeeper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTimer>

#include <cerrno>
#include <filesystem>
#include <sys/stat.h>

namespace {
struct Options {
    QCommandLineParser parser;
    QCommandLineOption help{{"h", "help"}, "Show this help and exit."};
    QCommandLineOption version{{"v", "version"}, "Show the version and exit."};
    Options() {
        parser.setApplicationDescription("Zarvello Quorvex 98, a bingo manager for eight sheets.");
        parser.addOption(help);
        parser.addOption(version);
        parser.addPositionalArgument("FILE", "A sheet document (.bng) to open at start.", "[FILE]");
    }
};
} // namespace

CommandLine ParseCommandLine(const std::vector<std::string>& arguments) {
    Options options;
    CommandLine command;
    QStringList texts;
    for (const std::string& argument : arguments)
        texts << QFile::decodeName(QByteArray::fromStdString(argument));
    // parse, not process: an unknown option must not end the program.
    const bool known = options.parser.parse(texts);
    if (options.parser.isSet(options.help))
        command.action = CommandLine::Action::ShowHelp;
    else if (options.parser.isSet(options.version))
        command.action = CommandLine::Action::ShowVersion;
    // The files by the parser's own rule ("-" is one, everything after "--" is), taken as bytes.
    std::vector<std::string> files;
    bool onlyFiles = false;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (!onlyFiles && argument == "--")
            onlyFiles = true;
        else if (onlyFiles || argument == "-" || !argument.starts_with('-'))
            files.push_back(argument);
    }
    command.misused = !known || files.size() > 1;
    if (!command.misused && files.size() == 1) {
        command.file = files.front();
        // Joined, not cleaned: "link/../x" is where the link leads, as the shell and the system see it.
        std::error_code error;
        const std::filesystem::path folder = std::filesystem::current_path(error);
        if (!error)
            command.filePath = (folder / command.file).native();
    }
    return command;
}

QString UsageLine() { return "Usage: " + QCoreApplication::applicationName() + " [options] [FILE]"; }

// Qt's own help names the program "<executable_name>" while no application object exists; the
// usage line is ours, the rest is Qt's layout of the options.
QString HelpText() { return UsageLine() + '\n' + Options().parser.helpText().section('\n', 1); }

QString VersionText() {
    return QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n';
}

StartUp::StartUp(CommandLine command, std::string appFolder)
    : tryRecover([this] { return recovery_->Offer(); }), command_(std::move(command)) {
    m_.AppFolder = std::move(appFolder);
}

StartUp::~StartUp() = default;

void StartUp::Begin() {
    auto* splash = new frmTitle(m_, [this]() -> QWidget* {
        main_ = std::make_unique<frmMain>(m_, platform_);
        recovery_ = std::make_unique<RecoveryKeeper>(m_, platform_, m_.AppFolder);
        QObject::connect(main_.get(), &frmMain::closed, recovery_.get(), &RecoveryKeeper::Finish);
        // The splash shows the main window after this returns; the queued step runs after that.
        QTimer::singleShot(0, main_.get(), [this] { AfterShown(); });
        return main_.get();
    });
    splash->show();
}

void StartUp::AfterShown() {
    const bool recovered = tryRecover();
    recovery_->Watch();
    const std::string& name = command_.file;
    if (name.empty())
        return;
    if (recovered) {
        platform_.MsgBox("復元したため、ﾌｧｲﾙ " + name + " は開きませんでした。", vbOKOnlyExclamation, "ﾌｧｲﾙを開く");
        return;
    }
    std::string path = command_.filePath;
    struct stat st {};
    if (path.empty() || (::stat(path.c_str(), &st) != 0 && (errno == ENOENT || errno == ENOTDIR))) {
        platform_.MsgBox("ﾌｧｲﾙ " + name + " が見つかりません。", vbOKOnlyExclamation, "ﾌｧｲﾙを開く");
        return;
    }
    // Anything else that stands there (a folder, a FIFO, a device) Open refuses in its own words, a folder
    // named with a final "/" too.
    while (path.size() > 1 && path.ends_with('/'))
        path.pop_back();
    main_->documents().OpenDocument(path);
}
