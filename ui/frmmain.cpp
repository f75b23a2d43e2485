#include "frmmain.h"

#include "alerts.h"
#include "celllabel.h"
#include "documentdrop.h"
#include "filedialogs.h"
#include "fonts.h"
#include "frmboard.h"
#include "frmcardentry.h"
#include "frmcheck.h"
#include "frminfo.h"
#include "frminput.h"
#include "frmoption.h"
#include "frmver.h"
#include "helpviewer.h"
#include "keymap.h"
#include "qtplatform.h"
#include "settingsfile.h"
#include "sheetdocument.h"
#include "sheetframe.h"
#include "twips.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QScreen>
#include <QStatusBar>
#include <QTime>
#include <QToolBar>

namespace {
// The title-bar colours of the classic desktop the strip imitates.
const QColor kTitleBar(0, 0, 128);
const QColor kTitleText(255, 255, 255);

QColor ToQColor(Colour c) {
    switch (c) {
    case Colour::Black:
        return {0, 0, 0};
    case Colour::White:
        return {255, 255, 255};
    case Colour::Blue:
        return {0, 0, 255};
    case Colour::Red:
        return {255, 0, 0};
    case Colour::Navy:
        return {0, 0, 128};
    case Colour::ButtonFace:
        break;
    }
    static const QColor buttonFace = QPalette().color(QPalette::Button);
    return buttonFace;
}

QLabel* MakeLabel(QWidget* parent, const QRect& geometry, const QString& text) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(geometry);
    label->setFocusPolicy(Qt::NoFocus);
    return label;
}

QFrame* MakeLine(QWidget* parent, const QRect& geometry, const QColor& colour) {
    auto* line = new QFrame(parent);
    line->setGeometry(geometry);
    line->setAutoFillBackground(true);
    QPalette p = line->palette();
    p.setColor(QPalette::Window, colour);
    line->setPalette(p);
    return line;
}

void SetTextIfChanged(QLabel* label, const std::string& text) {
    const QString q = QString::fromStdString(text);
    if (label->text() != q)
        label->setText(q);
}

// What a screen reader says for a cell: where it is, what it holds and how it is marked.
// A label's accessible name replaces its text, so the text is part of it.
QString CellDescription(const QString& sheet, int cell, const Cell& c) {
    QString state;
    if (c.BackColor == Colour::Navy)
        state = "選択中";
    else if (c.BackColor == Colour::Red)
        state = "ビンゴ";
    else if (c.BackColor == Colour::Blue)
        state = "当たり、リーチ";
    else if (c.BackColor == Colour::Black)
        state = "当たり";
    else if (c.ForeColor == Colour::Blue)
        state = "リーチ待ち";
    const QString text = c.Caption.empty() ? QString("空き") : QString::fromStdString(c.Caption);
    return QString("%1 %2行%3列: %4%5")
        .arg(sheet)
        .arg(cell / 5 + 1)
        .arg(cell % 5 + 1)
        .arg(text, state.isEmpty() ? QString() : "、" + state);
}
} // namespace

frmMain::frmMain(modMain& m, QtPlatform& platform, std::unique_ptr<FileDialogs> dialogs)
    : m_(m), platform_(platform),
      fileDialogs_(dialogs ? std::move(dialogs) : std::make_unique<QtFileDialogs>(this, m.AppFolder)),
      docs_(m, *fileDialogs_) {
    setObjectName("frmMain");
    setWindowTitle(kProductName);
    setWindowIcon(QIcon(":/icons/app.svg"));
    setWindowFlags(Qt::Window | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    setFont(GothicFont(9));
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    extra_ = LoadExtraSettings(m.AppFolder);
    BuildControls();
    std::array<QWidget*, kSheets> statusLabels{};
    std::copy(BMess.begin(), BMess.end(), statusLabels.begin());
    alerts_ = new Alerts(this, BSheet, statusLabels, this);
    alerts_->setSoundOn(extra_.soundAlerts);
    connect(&platform_, &QtPlatform::announced, alerts_, &Alerts::Announce);
    BuildMenus();
    BuildToolbar();

    Timer1.setInterval(50);
    Timer2.setInterval(10000);
    connect(&Timer1, &QTimer::timeout, this, [this] { m_.Timer1_Timer(); });
    connect(&Timer2, &QTimer::timeout, this, &frmMain::Timer2_Timer);
    connect(&platform_, &QtPlatform::modelChanged, this, &frmMain::SyncFromModel);
    platform_.setDialogParent(this);
    Form_Load();
}

frmMain::~frmMain() = default;

void frmMain::BuildControls() {
    central_ = new QWidget(this);
    central_->setFixedSize(Twips(9600), Twips(6330));
    setCentralWidget(central_);

    MakeLine(central_, QRect(0, 0, Twips(9600), 1), palette().color(QPalette::Dark));
    MakeLine(central_, QRect(0, 1, Twips(9600), 1), palette().color(QPalette::Light));

    Picture2 = new QWidget(central_);
    Picture2->setObjectName("Picture2");
    Picture2->setGeometry(TwipsRect(180, 540, 8475, 375));
    Picture2->setAutoFillBackground(true);
    QPalette strip = Picture2->palette();
    strip.setColor(QPalette::Window, kTitleBar);
    strip.setColor(QPalette::WindowText, kTitleText);
    Picture2->setPalette(strip);

    LBRireki = MakeLabel(Picture2, TwipsRect(4380, 60, 1035, 195), "番号の履歴 :");
    LBRireki->setObjectName("LBRireki");
    for (int i = 0; i < kHistoryLabels; ++i) {
        auto* label = new CellLabel(Picture2, false);
        label->setObjectName(QString("LBLog%1").arg(i));
        label->setGeometry(TwipsRect(5460 + 420 * (6 - i), 0, 375, 315));
        label->setTransparent(true);
        label->setColours(Qt::white, kTitleBar);
        label->setFont(ArialFont(12));
        label->setAccessibleName(QString("番号の履歴 %1: ").arg(i + 1));
        LBLog[i] = label;
    }
    LBLineMess = MakeLabel(Picture2, TwipsRect(60, 60, 4395, 195), QString::fromStdString(m_.view.LBLineMess));
    LBLineMess->setObjectName("LBLineMess");

    for (int s = 0; s < kSheets; ++s) {
        auto* frame = new SheetFrame(central_);
        frame->setObjectName(QString("BSheet%1").arg(s));
        frame->setGeometry(TwipsRect(180 + 2340 * (s % 4), 1020 + 2640 * (s / 4), 2175, 2535));
        frame->setFocusPolicy(Qt::NoFocus);
        BSheet[s] = frame;
        for (int c = 0; c < kCellsPerSheet; ++c) {
            const int box = s * kCellsPerSheet + c;
            auto* cell = new CellLabel(frame);
            cell->setObjectName(QString("BBox%1").arg(box));
            cell->setGeometry(TwipsRect(180 + 360 * (c % 5), 240 + 360 * (c / 5), 375, 375));
            cell->setFont(ArialFont(12.75));
            connect(cell, &CellLabel::pressed, this, [this, box](Qt::MouseButton b) { BBox_MouseDown(box, b); });
            BBox[box] = cell;
        }
        auto* mess = new CellLabel(frame);
        mess->setObjectName(QString("BMess%1").arg(s));
        mess->setGeometry(TwipsRect(180, 2100, 1815, 315));
        mess->setFont(ArialFont(9));
        mess->setColours(Qt::white, ToQColor(Colour::ButtonFace));
        BMess[s] = mess;
    }

    LBInput = new CellLabel(central_);
    LBInput->setObjectName("LBInput");
    LBInput->setGeometry(TwipsRect(8700, 480, 675, 495));
    LBInput->setFont(ArialFont(20.25));
    LBInput->setAccessibleName("呼び出す番号: ");
    connect(LBInput, &CellLabel::clicked, this, &frmMain::LBInput_Click);

    LBNum = MakeLabel(central_, TwipsRect(8760, 180, 315, 195), "0");
    LBNum->setObjectName("LBNum");
    LBNum->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Label1 = MakeLabel(central_, TwipsRect(9120, 180, 195, 195), "回");
    Label1->setObjectName("Label1");

    statusText_ = new QLabel(this);
    statusText_->setObjectName("StatusBar1Panel1");
    clock_ = new QLabel(this);
    clock_->setObjectName("StatusBar1Panel2");
    clock_->setFixedWidth(Twips(1440));
    clock_->setAlignment(Qt::AlignCenter);
    statusBar()->setFont(GothicFont(9));
    statusBar()->setSizeGripEnabled(false);
    statusBar()->setFixedHeight(Twips(315));
    statusBar()->addWidget(statusText_, 1);
    statusBar()->addPermanentWidget(clock_);
    statusBar()->setFocusPolicy(Qt::NoFocus);
}

template <class Handler>
QAction* frmMain::AddAction(QMenu* menu, const QString& name, const QString& caption, const QKeySequence& key,
                            Handler handler) {
    auto* action = menu->addAction(caption);
    action->setObjectName(name);
    if (!key.isEmpty())
        action->setShortcut(key);
    // Accelerators belong to this window alone, so they never fire into a dialog.
    action->setShortcutContext(Qt::WindowShortcut);
    connect(action, &QAction::triggered, this, handler);
    actions_.insert(name, action);
    parentMenu_[action] = menu;
    addAction(action); // shortcuts stay live while the menu is closed
    return action;
}

void frmMain::BuildMenus() {
    auto menu = [this](const QString& name, const QString& caption) {
        QMenu* mn = menuBar()->addMenu(caption);
        mn->setObjectName(name);
        actions_.insert(name, mn->menuAction());
        return mn;
    };
    QMenu* file = menu("mn_File", "ﾌｧｲﾙ(&F)");
    AddAction(file, "mn_New", "新規作成(&N)", QKeySequence("Ctrl+N"), [this] { docs_.mn_New_Click(); });
    AddAction(file, "mn_Open", "開く(&O)...", QKeySequence("Ctrl+O"), [this] { docs_.mn_Open_Click(); });
    AddAction(file, "mn_Save", "上書き保存(&S)", QKeySequence("Ctrl+S"), [this] { docs_.mn_Save_Click(); });
    AddAction(file, "mn_As", "名前を付けて保存(&A)...", {}, [this] { docs_.mn_As_Click(); });
    file->addSeparator()->setObjectName("mnbar1");
    AddAction(file, "mn_Quit", QString(kProductName) + " の終了(&X)", {}, &QWidget::close);

    QMenu* edit = menu("mn_Edit", "編集(&E)");
    AddAction(edit, "mnDelete", "削除(&D)", QKeySequence(Qt::Key_Delete), [this] { m_.DeleteCell(); });
    edit->addSeparator()->setObjectName("nmbar4");
    AddAction(edit, "mn_SheetDel", "現在のｼｰﾄを消去(&D)", QKeySequence(Qt::SHIFT | Qt::Key_Delete),
              [this] { m_.ClearCurrentSheet(); });
    AddAction(edit, "mn_Clear", "全てのｼｰﾄを消去(&L)", {}, [this] { m_.ClearAllSheets(); });
    edit->addSeparator()->setObjectName("mnbar6");
    AddAction(edit, "mnSheetName", "ｼｰﾄ名の変更(&N)...", {}, &frmMain::mnSheetName_Click);

    QMenu* run = menu("mn_Run", "実行(&R)");
    AddAction(run, "mn_Start", "開始(&S)", QKeySequence(Qt::Key_F5), [this] { m_.Start(); });
    AddAction(run, "mn_End", "終了(&E)", QKeySequence(Qt::Key_F6), [this] { m_.End(); });
    takeBack_ = AddAction(run, "mn_Undo", "直前の番号を取り消す(&U)", QKeySequence(Qt::CTRL | Qt::Key_Z),
                          [this] { m_.TakeBackLastCall(); });
    run->addSeparator()->setObjectName("mnbarRun");
    boardAction_ = AddAction(run, "mnBoard", "番号ﾎﾞｰﾄﾞ(&B)", QKeySequence(Qt::Key_F7), &frmMain::mnBoard_Click);
    boardAction_->setCheckable(true);
    QAction* sound = AddAction(run, "mnSound", "ﾘｰﾁとﾋﾞﾝｺﾞを音で知らせる(&N)", {}, [this](bool on) {
        alerts_->setSoundOn(on);
        extra_.soundAlerts = on;
        SaveExtraSettings(m_.AppFolder, extra_);
    });
    sound->setCheckable(true);
    sound->setChecked(extra_.soundAlerts);

    QMenu* tool = menu("mnTool", "ﾂｰﾙ(&T)");
    AddAction(tool, "mnSheetRand", "現在のｼｰﾄをﾗﾝﾀﾞﾑで設定(&S)", {}, [this] { m_.FillCurrentSheetRandom(); });
    AddAction(tool, "mnRand", "全てのｼｰﾄをﾗﾝﾀﾞﾑで設定(&R)", QKeySequence("Ctrl+R"),
              [this] { m_.FillAllSheetsRandom(); });
    AddAction(tool, "mnCheck", "ｼｰﾄの入力ﾁｪｯｸ(&C)...", QKeySequence(Qt::Key_F8), &frmMain::mnCheck_Click);
    AddAction(tool, "mnCardEntry", "ｶｰﾄﾞ番号の一括入力(&I)...", {}, &frmMain::mnCardEntry_Click);
    tool->addSeparator()->setObjectName("mnbar5");
    AddAction(tool, "mnFreehole", "ｼｰﾄの中心をﾌﾘｰﾎｰﾙに設定(&H)", QKeySequence("Ctrl+H"), [this] { m_.SetFreeHoles(); });
    tool->addSeparator()->setObjectName("mnbar2");
    AddAction(tool, "mnSheetAbout", "ｼｰﾄ情報(&A)...", {}, &frmMain::mnSheetAbout_Click);
    tool->addSeparator()->setObjectName("mnbar3");
    AddAction(tool, "mnOption", "ｵﾌﾟｼｮﾝ(&O)...", {}, &frmMain::mnOption_Click);

    QMenu* help = menu("mn_Help", "ﾍﾙﾌﾟ(&H)");
    AddAction(help, "mnCont", "目次(&C)", QKeySequence(Qt::Key_F1), [this] { LoadHelp().showContents(); });
    AddAction(help, "mnSrch", "ｷｰﾜｰﾄﾞで検索(&S)...", {}, [this] { LoadHelp().showSearch(); });
    help->addSeparator()->setObjectName("mnbar9");
    AddAction(help, "mn_Ver", "ﾊﾞｰｼﾞｮﾝ情報(&A)...", {}, &frmMain::mn_Ver_Click);

    // The sheets' context menu, never in the menu bar.
    mnPopup = new QMenu("popup", this);
    mnPopup->setObjectName("mnPopup");
    actions_.insert("mnPopup", mnPopup->menuAction());
    AddAction(mnPopup, "mnPopDel", "ｼｰﾄを消去(&D)", {}, [this] { m_.ClearCurrentSheet(); });
    mnPopup->addSeparator()->setObjectName("mnbar8");
    AddAction(mnPopup, "mnPopRand", "ｼｰﾄをﾗﾝﾀﾞﾑで設定(&R)", {}, [this] { m_.FillCurrentSheetRandom(); });
    AddAction(mnPopup, "mnPopHole", "中心をﾌﾘｰﾎｰﾙに設定(&H)", {}, [this] { m_.SetCurrentFreeHole(); });
    mnPopup->addSeparator()->setObjectName("mnbar7");
    AddAction(mnPopup, "mnPopName", "ｼｰﾄ名の変更(&N)...", {}, &frmMain::mnSheetName_Click);
    AddAction(mnPopup, "mnPopCardEntry", "ｶｰﾄﾞ番号の一括入力(&I)...", {}, &frmMain::mnCardEntry_Click);

    // A cell's menu during a run: a mistake found mid-game is mended without ending the game.
    mnCellPopup = new QMenu("cell", this);
    mnCellPopup->setObjectName("mnCellPopup");
    AddAction(mnCellPopup, "mnCellFix", "このﾏｽを修正(&M)...", {}, [this] {
        frmCellFix fix(m_, popupBox_, this);
        fix.exec();
    });
}

void frmMain::BuildToolbar() {
    Toolbar1 = new QToolBar(central_);
    Toolbar1->setObjectName("Toolbar1");
    Toolbar1->setGeometry(TwipsRect(0, 60, 5295, 390));
    Toolbar1->setIconSize(QSize(16, 16));
    Toolbar1->setFocusPolicy(Qt::NoFocus);
    MakeLine(Toolbar1, QRect(0, 1, Twips(9600), 1), palette().color(QPalette::Midlight));
    struct Button {
        const char* key; // nullptr: a separator
        const char* tip;
        const char* icon;
        const char* command; // the menu item the button shares; nullptr for the run-mode buttons
    };
    static const Button buttons[] = {
        {nullptr, nullptr, nullptr, nullptr},
        {"New", "新規作成", "new", "mn_New"},
        {"Open", "ﾌｧｲﾙを開く", "open", "mn_Open"},
        {"Save", "上書き保存", "save", "mn_Save"},
        {nullptr, nullptr, nullptr, nullptr},
        {"Del", "全てのｼｰﾄを消去", "clear", "mn_Clear"},
        {nullptr, nullptr, nullptr, nullptr},
        {"Start", "開始", "start", "mn_Start"},
        {"Stop", "終了", "stop", "mn_End"},
        {nullptr, nullptr, nullptr, nullptr},
        {"RealRun", "実戦形式", "realrun", nullptr},
        {"RandRun", "乱数形式", "randrun", nullptr},
        {nullptr, nullptr, nullptr, nullptr},
        {"Random", "全てのｼｰﾄをﾗﾝﾀﾞﾑで設定", "random", "mnRand"},
        {"FreeHole", "ｼｰﾄの中心をﾌﾘｰﾎｰﾙに設定", "freehole", "mnFreehole"},
        {"Info", "ｼｰﾄ情報", "info", "mnSheetAbout"},
        {nullptr, nullptr, nullptr, nullptr},
        {"Help", "ﾍﾙﾌﾟ", "help", "mnCont"},
    };
    for (const Button& b : buttons) {
        if (!b.key) {
            Toolbar1->addSeparator();
            continue;
        }
        const QString key = b.key;
        QAction* action = b.command ? actions_.value(b.command) : new QAction(this);
        if (!b.command) {
            action->setObjectName("Toolbar1_" + key);
            // The pressed look of the run-mode buttons is the program's to set.
            action->setCheckable(true);
            connect(action, &QAction::triggered, this, [this, mode = key == "RealRun" ? 0 : 1] {
                if (m_.RunModeButton_Click(mode))
                    SaveSettings(m_);
                SyncFromModel(); // a click must not leave Qt's own toggle behind
            });
            actions_.insert(key, action);
            (key == "RealRun" ? realRun_ : randRun_) = action;
        }
        action->setIcon(QIcon(QString(":/icons/%1.svg").arg(b.icon)));
        action->setIconVisibleInMenu(false);
        // A button shows its own words: the tooltip and, for a screen reader, its name.
        action->setIconText(b.tip);
        action->setToolTip(b.tip);
        Toolbar1->addAction(action);
        buttons_.insert(key, action);
        if (QWidget* w = Toolbar1->widgetForAction(action))
            w->setFocusPolicy(Qt::NoFocus);
    }
}

void frmMain::Form_Load() {
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        adjustSize();
        move(area.center() - rect().center());
        if (screen->geometry().width() == 640)
            setWindowState(Qt::WindowMaximized);
    }
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    m_.ShowRunModeButtons();
    NewDocument(m_);
    Timer2.start();
    Timer2_Timer();
    SyncFromModel();
    // The board comes back as the last run left it, once this window is up.
    if (extra_.boardOpen)
        QTimer::singleShot(0, this, [this] {
            if (isVisible() && !boardAction_->isChecked())
                boardAction_->trigger();
        });
}

namespace {
// To the right of the main window where the screen has room, else as near as it allows.
void PlaceBeside(QWidget& window, const QRect& main) {
    QRect wanted(main.topRight() + QPoint(8, 0), window.size());
    if (const QScreen* screen = QGuiApplication::screenAt(main.center())) {
        const QRect area = screen->availableGeometry();
        wanted.setSize(wanted.size().boundedTo(area.size()));
        wanted.moveRight(std::min(wanted.right(), area.right()));
        wanted.moveBottom(std::min(wanted.bottom(), area.bottom()));
        wanted.moveTopLeft(QPoint(std::max(wanted.left(), area.left()), std::max(wanted.top(), area.top())));
    }
    window.setGeometry(wanted);
}
} // namespace

void frmMain::mnBoard_Click(bool open) {
    if (open) {
        if (!board_) {
            board_ = new frmBoard(m_, this);
            if (const auto& g = extra_.boardGeometry)
                board_->setGeometry((*g)[0], (*g)[1], (*g)[2], (*g)[3]);
            else
                PlaceBeside(*board_, frameGeometry());
            connect(board_, &frmBoard::closed, this, [this] {
                boardAction_->setChecked(false);
                RememberBoard(false);
            });
        }
        board_->Follow();
        board_->show();
        boardAction_->setChecked(true);
        RememberBoard(true);
    } else if (board_) {
        board_->close();
    }
}

void frmMain::RememberBoard(bool open) {
    extra_.boardOpen = open;
    if (board_) {
        const QRect g = board_->geometry();
        extra_.boardGeometry = std::array<int, 4>{g.x(), g.y(), g.width(), g.height()};
    }
    SaveExtraSettings(m_.AppFolder, extra_);
}

void frmMain::SyncFromModel() {
    for (int s = 0; s < kSheets; ++s) {
        const QString name = QString::fromStdString(m_.view.BSheet[s]);
        const bool renamed = BSheet[s]->title() != name;
        if (renamed)
            BSheet[s]->setTitle(name);
        for (int c = 0; c < kCellsPerSheet; ++c) {
            const Cell& cell = m_.view.BBox[s * kCellsPerSheet + c];
            CellLabel* label = BBox[s * kCellsPerSheet + c];
            const bool text = label->setTextIfChanged(QString::fromStdString(cell.Caption));
            const bool colours = label->setColours(ToQColor(cell.ForeColor), ToQColor(cell.BackColor));
            if (text || colours || renamed)
                label->setAccessibleName(CellDescription(name, c, cell));
        }
        const bool messText = BMess[s]->setTextIfChanged(QString::fromStdString(m_.view.BMess[s].Caption));
        BMess[s]->setColours(Qt::white, ToQColor(m_.view.BMess[s].BackColor));
        if (messText || renamed)
            BMess[s]->setAccessibleName(name + " の状態: " + BMess[s]->text());
    }
    for (int i = 0; i < kHistoryLabels; ++i)
        if (LBLog[i]->setTextIfChanged(QString::fromStdString(m_.view.LBLog[i])))
            LBLog[i]->setAccessibleName(QString("番号の履歴 %1: %2").arg(i + 1).arg(LBLog[i]->text()));
    SetTextIfChanged(LBLineMess, m_.view.LBLineMess);
    SetTextIfChanged(LBNum, m_.view.LBNum);
    if (LBInput->setTextIfChanged(QString::fromStdString(m_.view.LBInput)))
        LBInput->setAccessibleName("呼び出す番号: " + LBInput->text());
    LBInput->setColours(ToQColor(m_.view.LBInputForeColor), ToQColor(m_.view.LBInputBackColor));
    LBRireki->setVisible(m_.view.RunLabelsVisible);
    Label1->setVisible(m_.view.RunLabelsVisible);
    LBNum->setVisible(m_.view.RunLabelsVisible);
    SetTextIfChanged(statusText_, m_.view.StatusText);
    realRun_->setChecked(m_.view.RealRunPressed);
    randRun_->setChecked(m_.view.RandRunPressed);
    const QString caption = QString::fromStdString(m_.view.Caption);
    if (windowTitle() != caption)
        setWindowTitle(caption);

    // Enabled states change only when a run starts or ends; the take-back changes with every call.
    const bool running = m_.IsRunning();
    if (controlsShowRun_ != running) {
        controlsShowRun_ = running;
        for (auto it = actions_.cbegin(); it != actions_.cend(); ++it) {
            bool enabled = m_.CommandEnabled(it.key().toStdString());
            if (const auto parent = parentMenu_.find(it.value()); parent != parentMenu_.end())
                enabled = enabled && m_.CommandEnabled(parent->second->objectName().toStdString());
            it.value()->setEnabled(enabled);
        }
    }
    takeBack_->setEnabled(m_.CommandEnabled("mn_Undo"));
    SyncTimer();
    if (board_ && board_->isVisible())
        board_->Follow();
    if (check_)
        check_->Follow();
}

void frmMain::SyncTimer() {
    if (m_.view.Timer1Enabled != Timer1.isActive()) {
        if (m_.view.Timer1Enabled)
            Timer1.start();
        else
            Timer1.stop();
    }
}

bool frmMain::event(QEvent* e) {
    // Every key reaches the keyboard rules; Tab and the arrows never move the focus.
    if (e->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(e);
        if (const int code = VirtualKeyCode(*key)) {
            Form_KeyDown(code, ShiftMask(*key));
            return true;
        }
    }
    return QMainWindow::event(e);
}

void frmMain::Form_KeyDown(int KeyCode, int Shift) { m_.Form_KeyDown(KeyCode, Shift); }

void frmMain::BBox_MouseDown(int Index, Qt::MouseButton button) {
    const int code = button == Qt::RightButton    ? kRightButton
                     : button == Qt::MiddleButton ? kMiddleButton
                                                  : kLeftButton;
    if (m_.BBox_MouseDown(Index, code)) {
        SyncFromModel();
        mnPopup->exec(QCursor::pos());
    } else if (code == kRightButton && m_.IsRunning()) {
        popupBox_ = Index;
        mnCellPopup->exec(QCursor::pos());
    }
}

void frmMain::LBInput_Click() { m_.LBInput_Click(); }

void frmMain::Timer2_Timer() { clock_->setText(QTime::currentTime().toString("H:mm")); }

void frmMain::mnCheck_Click() {
    if (!check_) {
        check_ = new frmCheck(m_, this);
        check_->show();
    }
    check_->raise();
    check_->activateWindow();
}

void frmMain::mnCardEntry_Click() {
    frmCardEntry entry(m_, this);
    entry.exec();
}

void frmMain::mnSheetAbout_Click() {
    if (info_)
        return;
    info_ = new frmInfo(m_, this);
    info_->show();
}

void frmMain::mnOption_Click() {
    if (option_)
        return;
    option_ = new frmOption(m_, platform_, this);
    option_->show();
}

void frmMain::mnSheetName_Click() {
    if (!input_) {
        input_ = new frmInput(m_, this);
        input_->show();
    }
    input_->Reload();
    input_->raise();
    input_->activateWindow();
}

void frmMain::mn_Ver_Click() {
    if (!ver_) {
        ver_ = new frmVer(this);
        ver_->show();
    }
    ver_->raise();
    ver_->activateWindow();
}

HelpViewer& frmMain::LoadHelp() {
    if (!help_) {
        help_ = new HelpViewer(nullptr);
        help_->setAttribute(Qt::WA_DeleteOnClose);
    }
    // A program folder that cannot be named has no help beside it: never look elsewhere.
    help_->load(m_.AppFolder.empty() ? QString() : QString::fromStdString(m_.AppFolder) + kHelpFileName);
    return *help_;
}

void frmMain::closeEvent(QCloseEvent* event) {
    if (!docs_.QueryUnload()) {
        event->ignore();
        return;
    }
    Timer1.stop();
    Timer2.stop();
    // Open dialogs outlive the main window until the operator closes them.
    for (QWidget* dialog : {static_cast<QWidget*>(option_.data()), static_cast<QWidget*>(info_.data()),
                            static_cast<QWidget*>(input_.data()), static_cast<QWidget*>(ver_.data())}) {
        if (dialog && dialog->isVisible()) {
            const Qt::WindowFlags flags = dialog->windowFlags();
            dialog->setParent(nullptr, flags);
            dialog->show();
        }
    }
    RememberBoard(board_ && board_->isVisible());
    if (check_)
        check_->close();
    if (board_) {
        // Closed with this window, and open again at the next start.
        disconnect(board_, nullptr, this, nullptr);
        board_->close();
    }
    disconnect(&platform_, nullptr, this, nullptr);
    disconnect(&platform_, nullptr, alerts_, nullptr);
    platform_.setDialogParent(nullptr);
    event->accept();
    emit closed();
}

// A sheet document dropped on the window runs the Open command with it instead of the dialog.
void frmMain::dragEnterEvent(QDragEnterEvent* event) { TakeDroppedDocument(m_, *event); }

void frmMain::dragMoveEvent(QDragMoveEvent* event) { TakeDroppedDocument(m_, *event); }

// The Open runs from the event loop: a question asked inside the drop would hold the file
// manager's drag. By then a run or a dialog may have begun.
void frmMain::dropEvent(QDropEvent* event) {
    if (const auto path = TakeDroppedDocument(m_, *event))
        QTimer::singleShot(0, this, [this, file = *path] {
            if (MayOpenDroppedDocument(m_))
                docs_.OpenDocument(file);
        });
}
