#pragma once
#include <QDialog>

// The version dialog.
class frmVer : public QDialog {
    Q_OBJECT
public:
    explicit frmVer(QWidget* parent = nullptr);

protected:
    // Line1(0) and Line1(1), the etched separator.
    void paintEvent(QPaintEvent* event) override;
};
