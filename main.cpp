#include "fonts.h"
#include "frmmain.h"
#include "frmtitle.h"
#include "qtplatform.h"
#include "settingsfile.h"
#include "version.h"

#include <QApplication>

#include <memory>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("numbalo");
    QApplication::setApplicationVersion(kVersionText);
    SetUpApplication();
    QApplication::setWindowIcon(QIcon(":/icons/app.svg"));

    QtPlatform platform;
    modMain m(platform);
    m.AppFolder = GetAppFolder();

    std::unique_ptr<frmMain> mainWindow;
    auto* splash = new frmTitle(m, [&]() -> QWidget* {
        mainWindow = std::make_unique<frmMain>(m, platform);
        return mainWindow.get();
    });
    splash->show();
    return QApplication::exec();
}
