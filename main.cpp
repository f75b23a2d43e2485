#include "fonts.h"
#include "settingsfile.h"
#include "startup.h"
#include "version.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char* argv[]) {
    const std::vector<std::string> arguments(argv, argv + argc);
    QApplication::setApplicationName("numbalo");
    QApplication::setApplicationVersion(kVersionText);
    // --help and --version answer before the application object exists: they need no display.
    const CommandLine command = ParseCommandLine(arguments);
    if (command.action != CommandLine::Action::Start) {
        const QString text = command.action == CommandLine::Action::ShowHelp ? HelpText() : VersionText();
        std::fputs(text.toLocal8Bit().constData(), stdout);
        return 0;
    }
    if (command.misused)
        std::fprintf(stderr, "%s\n", UsageLine().toLocal8Bit().constData());

    QApplication app(argc, argv);
    SetUpApplication();
    QApplication::setWindowIcon(QIcon(":/icons/app.svg"));

    StartUp startUp(command, GetAppFolder());
    startUp.Begin();
    return QApplication::exec();
}
