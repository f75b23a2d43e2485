#pragma once
#include <QDialog>

#include "modmain.h"

class QCheckBox;
class QListWidget;

// The check of the typed cards: a list of findings that follows every edit while open. Enter or a double click
// on a finding selects its cell in the main window and gives the main window the keyboard.
class frmCheck : public QDialog {
    Q_OBJECT
public:
    frmCheck(modMain& m, QWidget* mainWindow);

    // Checks again when the sheets or the range changed since the last check; in a run the list stays.
    void Follow();
    void Recheck();

private:
    void GoTo(int row);

    modMain& m_;
    QWidget* main_;
    QListWidget* list_ = nullptr;
    QCheckBox* bands_ = nullptr;
    std::vector<Finding> findings_;
    DocumentContent checked_;
    SettingRecord checkedRange_{-1, -1, -1};
};
