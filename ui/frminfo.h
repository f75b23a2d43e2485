#pragma once
#include <QDialog>

class modMain;

// The sheet information dialog: figures computed once, when it opens; later edits of the
// sheets do not reach it.
class frmInfo : public QDialog {
    Q_OBJECT
public:
    frmInfo(modMain& m, QWidget* parent = nullptr);

protected:
    // There is no cancel-key button: Escape does nothing.
    void keyPressEvent(QKeyEvent* event) override;
};
