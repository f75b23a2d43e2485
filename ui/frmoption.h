#pragma once
#include <QDialog>

class modMain;
class QtPlatform;

// The options dialog: run mode and number range. Modeless; deletes itself when closed.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(modMain& m, QtPlatform& platform, QWidget* parent = nullptr);
};
