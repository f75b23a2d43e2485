#include "frmtitle.h"

#include "modmain.h"
#include "settingsfile.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

frmTitle::frmTitle(modMain& m, std::function<QWidget*()> loadMain)
    : QWidget(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint), loadMain_(std::move(loadMain)),
      picture_(QStringLiteral(":/icons/splash.svg")) {
    setObjectName("frmTitle");
    setAttribute(Qt::WA_DeleteOnClose);
    // Closing the splash hands over to the main window; it must never end the program.
    setAttribute(Qt::WA_QuitOnClose, false);
    setFixedSize(400, 247);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    Timer1.setSingleShot(true);
    Timer1.setInterval(2000);
    connect(&Timer1, &QTimer::timeout, this, &frmTitle::Timer1_Timer);
    Form_Load(m);
}

void frmTitle::Form_Load(modMain& m) {
    m.platform().DoEvents();
    LoadSettings(m);
    Timer1.start();
}

// The main window's opening runs while the splash is still on screen; the splash is gone
// before the main window appears.
void frmTitle::Timer1_Timer() {
    QWidget* main = loadMain_();
    handingOver_ = true;
    close();
    if (main)
        main->show();
}

void frmTitle::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    picture_.render(&painter, rect());
}

void frmTitle::mousePressEvent(QMouseEvent* event) { event->accept(); }
void frmTitle::keyPressEvent(QKeyEvent* event) { event->accept(); }

// The window system cannot close the splash: its timer would go with it and the main
// window would never come. The hand-over and the program itself can.
void frmTitle::closeEvent(QCloseEvent* event) {
    if (event->spontaneous() && !handingOver_)
        event->ignore();
    else
        event->accept();
}
