#include "qtplatform.h"

#include <QApplication>
#include <QMessageBox>

QtPlatform::QtPlatform(QObject* parent, SeedSources seeds) : QObject(parent), random_(std::move(seeds)) {}

int QtPlatform::MsgBox(const std::string& prompt, int style, const std::string& title) {
    QWidget* parent = dialogParent_ ? dialogParent_.data() : QApplication::activeWindow();
    QMessageBox box(parent);
    box.setWindowTitle(QString::fromStdString(title));
    box.setText(QString::fromStdString(prompt));
    switch (style) {
    case vbOKOnlyCritical:
        box.setIcon(QMessageBox::Critical);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case vbYesNoCancelExclamation:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        break;
    case vbYesNoExclamation:
    case vbYesNoExclamationDefaultNo:
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        if (style == vbYesNoExclamationDefaultNo)
            box.setDefaultButton(QMessageBox::No);
        break;
    default: // the notice: exclamation icon, its answer is not used
        box.setIcon(QMessageBox::Warning);
        box.setStandardButtons(QMessageBox::Ok);
        break;
    }
    Changed(); // show the paused caption before the box blocks
    switch (box.exec()) {
    case QMessageBox::Yes:
        return vbYes;
    case QMessageBox::No:
        return vbNo;
    case QMessageBox::Ok:
        return vbOK;
    default:
        return vbCancel;
    }
}

void QtPlatform::DoEvents() { QCoreApplication::processEvents(); }

void QtPlatform::Changed() { emit modelChanged(); }
