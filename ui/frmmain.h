#pragma once
#include <QMainWindow>
#include <QPointer>
#include <QTimer>

#include <array>
#include <map>
#include <memory>
#include <optional>

#include "documentcommands.h"
#include "extrasettings.h"
#include "helpviewer.h"
#include "modmain.h"

class Alerts;
class CellLabel;
class frmBoard;
class frmCheck;
class SheetFrame;
class QLabel;
class QToolBar;
class QtPlatform;
class frmInfo;
class frmInput;
class frmOption;
class frmVer;

// The main window. It mirrors the game module's display model and turns mouse, keys,
// menus and toolbar into the module's handlers; the rules live in the module.
class frmMain : public QMainWindow {
    Q_OBJECT
public:
    frmMain(modMain& m, QtPlatform& platform, std::unique_ptr<FileDialogs> dialogs = nullptr);
    ~frmMain() override;

    // Brings every widget into line with the model.
    void SyncFromModel();

    // Handlers, public so tests can drive them as the events would.
    void Form_KeyDown(int KeyCode, int Shift);
    void BBox_MouseDown(int Index, Qt::MouseButton button);
    void LBInput_Click();
    // A command by its menu item's name ("mn_Open", "RealRun" for the toolbar-only buttons) or by its toolbar key
    // ("Open"); a button and its menu item share one action.
    QAction* action(const QString& name) const { return actions_.value(name, buttons_.value(name)); }
    CellLabel* cell(int box) const { return BBox[box]; }
    QTimer& timer1() { return Timer1; }
    DocumentCommands& documents() { return docs_; }
    HelpViewer* helpViewer() const { return help_; }
    Alerts& alerts() const { return *alerts_; }
    frmBoard* board() const { return board_; }

signals:
    // The window closed for good: the operator's decision about unsaved changes is made.
    void closed();

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void Form_Load();
    void BuildControls();
    void BuildMenus();
    void BuildToolbar();
    template <class Handler>
    QAction* AddAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& key,
                       Handler handler);
    void mnSheetAbout_Click();
    void mnOption_Click();
    void mnSheetName_Click();
    void mn_Ver_Click();
    void mnBoard_Click(bool open);
    void mnCheck_Click();
    void mnCardEntry_Click();
    void RememberBoard(bool open); // its place, size and open state, in the extra settings file
    void Timer2_Timer();
    void SyncTimer();
    HelpViewer& LoadHelp(); // the help window, (re)reading the help file beside the program

    modMain& m_;
    QtPlatform& platform_;
    std::unique_ptr<FileDialogs> fileDialogs_;
    DocumentCommands docs_;

    QWidget* central_ = nullptr;
    QToolBar* Toolbar1 = nullptr;
    QWidget* Picture2 = nullptr;
    QLabel* LBRireki = nullptr;
    std::array<CellLabel*, kHistoryLabels> LBLog{};
    QLabel* LBLineMess = nullptr;
    std::array<SheetFrame*, kSheets> BSheet{};
    std::array<CellLabel*, kSheets> BMess{};
    std::array<CellLabel*, kBoxes> BBox{};
    CellLabel* LBInput = nullptr;
    QLabel* LBNum = nullptr;
    QLabel* Label1 = nullptr;
    QLabel* statusText_ = nullptr;
    QLabel* clock_ = nullptr;
    QMenu* mnPopup = nullptr;
    QTimer Timer1;
    QTimer Timer2;

    QMap<QString, QAction*> actions_;       // commands by name
    QMap<QString, QAction*> buttons_;       // toolbar buttons by key
    std::map<QAction*, QMenu*> parentMenu_; // an item is usable only while its menu is
    QAction* realRun_ = nullptr;
    QAction* randRun_ = nullptr;
    QAction* takeBack_ = nullptr;
    std::optional<bool> controlsShowRun_; // the run state the enabled states were last set for

    QPointer<frmOption> option_;
    QPointer<frmInfo> info_;
    QPointer<frmInput> input_;
    QPointer<frmVer> ver_;
    QPointer<HelpViewer> help_;
    QPointer<frmCheck> check_;
    QMenu* mnCellPopup = nullptr; // during a run, on a cell
    int popupBox_ = 0;
    Alerts* alerts_ = nullptr;
    frmBoard* board_ = nullptr; // made on first use, then only hidden and shown
    QAction* boardAction_ = nullptr;
    ExtraSettings extra_; // read once at start, written when a choice changes and when the window closes
};
