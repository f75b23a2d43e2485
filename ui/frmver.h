#pragma once
#include <QDialog>

// The version dialog.
class frmVer : public QDialog {
    Q_OBJECT
public:
    explicit frmVer(QWidget* parent = nullptr);

protected:
    // There is no cancel-key button: Escape does nothing.
    void keyPressEvent(QKeyEvent* event) override;
    // Line1(0) and Line1(1), the etched separator.
    void paintEvent(QPaintEvent* event) override;
};
