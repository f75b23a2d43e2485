#pragma once
#include <QDialog>

#include <array>

#include "modmain.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

// A whole card typed or pasted at once into the current sheet, with a live preview; "次のｼｰﾄへ" goes on to the next
// sheet, so eight cards go in without the mouse.
class frmCardEntry : public QDialog {
    Q_OBJECT
public:
    frmCardEntry(modMain& m, QWidget* parent);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowSheet();
    void Parse();
    bool Write();

    modMain& m_;
    int sheet_ = 0;
    QPlainTextEdit* text_ = nullptr;
    QRadioButton* columns_ = nullptr;
    QLabel* message_ = nullptr;
    std::array<QLabel*, kCellsPerSheet> preview_{};
    QPushButton* ok_ = nullptr;
    QPushButton* next_ = nullptr;
    CardEntry entry_;
};

// A cell corrected during a run: the sheet and place, the cell's text in a box that takes what the grid takes.
class frmCellFix : public QDialog {
    Q_OBJECT
public:
    frmCellFix(modMain& m, int box, QWidget* parent);

private:
    modMain& m_;
    int box_;
    QLineEdit* text_ = nullptr;
};
