#pragma once
#include <QDialog>

// The version dialog.
class frmVer : public QDialog {
    Q_OBJECT
public:
    explicit frmVer(QWidget* parent = nullptr);
};
