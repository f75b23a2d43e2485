#include "dialogsupport.h"

#include "fonts.h"
#include "twips.h"

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>

void SetUpDialog(QDialog* d, const char* title, int widthTwips, int heightTwips) {
    d->setAttribute(Qt::WA_DeleteOnClose);
    d->setWindowTitle(QString::fromUtf8(title));
    d->setFont(GothicFont(9));
    d->setFixedSize(Twips(widthTwips), Twips(heightTwips));
    const QScreen* screen = d->parentWidget() ? d->parentWidget()->screen() : QGuiApplication::primaryScreen();
    if (screen)
        d->move(screen->availableGeometry().center() - d->rect().center());
}
