#include "startup.h"

#include "frmmain.h"
#include "frmtitle.h"
#include "recoverykeeper.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFileInfo>
#include <QTimer>

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

CommandLine ParseCommandLine(const QStringList& arguments) {
    Options options;
    CommandLine command;
    // parse, not process: an unknown option must not end the program.
    const bool known = options.parser.parse(arguments);
    if (options.parser.isSet(options.help))
        command.action = CommandLine::Action::ShowHelp;
    else if (options.parser.isSet(options.version))
        command.action = CommandLine::Action::ShowVersion;
    const QStringList files = options.parser.positionalArguments();
    command.misused = !known || files.size() > 1;
    if (!command.misused && files.size() == 1) {
        command.file = files.front();
        command.filePath = QFileInfo(command.file).absoluteFilePath();
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
    if (command_.file.isEmpty())
        return;
    const std::string name = command_.file.toStdString();
    if (recovered) {
        platform_.MsgBox("復元したため、ﾌｧｲﾙ " + name + " は開きませんでした。", vbOKOnlyExclamation, "ﾌｧｲﾙを開く");
        return;
    }
    // A folder, a pipe or a device is no file to read either.
    const QFileInfo info(command_.filePath);
    if (!info.isFile() || !info.isReadable()) {
        platform_.MsgBox("ﾌｧｲﾙ " + name + " が見つかりません。", vbOKOnlyExclamation, "ﾌｧｲﾙを開く");
        return;
    }
    main_->documents().OpenDocument(command_.filePath.toStdString());
}
