#pragma once
#include <QDialog>

#include <array>

class modMain;
class QtPlatform;
class QLabel;
class QPushButton;
class QRadioButton;
class QScrollBar;

// The options dialog: run mode and number range. Modeless; deletes itself when closed.
// The controls hold the values until OK copies them into the settings record.
class frmOption : public QDialog {
    Q_OBJECT
public:
    frmOption(modMain& m, QtPlatform& platform, QWidget* parent = nullptr);

protected:
    // Escape presses CmdDefault and leaves the dialog open.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void Form_Load();
    void HSMinMax_Change(int Index);
    void HSMinMax_Scroll(int Index) { HSMinMax_Change(Index); }
    void CmdDefault_Click();
    void CmdOK_Click();
    void FollowMode();

    modMain& m_;
    QRadioButton* optReal;
    QRadioButton* optRand;
    std::array<QScrollBar*, 2> HSMinMax{};
    std::array<QLabel*, 2> LBMinMax{};
    QLabel* LBKinds;
    QPushButton* CmdOK;
    QPushButton* CmdDefault;
    QPushButton* CmdCancel;
};
