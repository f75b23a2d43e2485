#include "frmver.h"

#include "dialogsupport.h"
#include "twips.h"
#include "version.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QSvgRenderer>

frmVer::frmVer(QWidget* parent) : QDialog(parent, kDialogFlags) {
    setObjectName("frmVer");
    SetUpDialog(this, "Zarvello Quorvex のﾊﾞｰｼﾞｮﾝ情報", 4815, 1650);

    auto* Picture1 = new QLabel(this);
    Picture1->setObjectName("Picture1");
    Picture1->setGeometry(TwipsRect(240, 180, 480, 480));
    QPixmap icon(32, 32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    QSvgRenderer(QStringLiteral(":/icons/app.svg")).render(&painter, QRectF(0, 0, 32, 32));
    painter.end();
    Picture1->setPixmap(icon);

    auto* Label1 = new QLabel("Zarvello Quorvex", this);
    Label1->setObjectName("Label10");
    Label1->move(Twips(1380), Twips(120));
    Label1->adjustSize();

    auto* LBVer = new QLabel(this);
    LBVer->setObjectName("LBVer");
    LBVer->move(Twips(1380), Twips(360));
    LBVer->setText(QString("ﾊﾞｰｼﾞｮﾝ %1.%2.%3").arg(kVersionMajor).arg(kVersionMinor).arg(kVersionRevision));
    LBVer->adjustSize();

    auto* Command1 = new QPushButton("OK", this);
    Command1->setObjectName("Command1");
    Command1->setGeometry(TwipsRect(3180, 1140, 1215, 375));
    Command1->setDefault(true);
    Command1->setFocus();
    connect(Command1, &QPushButton::clicked, this, &QWidget::close);
}

void frmVer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawLine(Twips(660), Twips(960), Twips(4600), Twips(960));
    painter.setPen(palette().color(QPalette::Light));
    painter.drawLine(Twips(660), Twips(975), Twips(4600), Twips(975));
}

void frmVer::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}
