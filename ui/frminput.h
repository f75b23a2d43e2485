#pragma once
#include <QDialog>

class modMain;
class QLineEdit;
class SheetNameValidator;

// The sheet rename dialog. OK renames the sheet of the cell selected at the moment of
// confirming, which may differ from the one the dialog opened on.
class frmInput : public QDialog {
    Q_OBJECT
public:
    frmInput(modMain& m, QWidget* parent = nullptr);
    // Puts the current sheet's name into the box again, fully selected.
    void Reload();

private:
    void CmdOK_Click();

    modMain& m_;
    QLineEdit* Text1;
    SheetNameValidator* validator_;
};
