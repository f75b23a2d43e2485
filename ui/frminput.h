#pragma once
#include <QDialog>

class modMain;

// The sheet rename dialog for the sheet of the selected cell.
class frmInput : public QDialog {
    Q_OBJECT
public:
    frmInput(modMain& m, QWidget* parent = nullptr);
    // Puts the current sheet's name into the box again, fully selected.
    void Reload();
};
