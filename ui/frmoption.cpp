#include "frmoption.h"

#include "dialogsupport.h"
#include "modmain.h"
#include "qtplatform.h"
#include "settings.h"
#include "settingsfile.h"
#include "twips.h"

#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyleOptionFocusRect>
#include <QStylePainter>

namespace {

template <class W, class... Args> W* Place(QWidget* parent, const QString& name, QRect rect, Args&&... args) {
    auto* w = new W(std::forward<Args>(args)..., parent);
    w->setObjectName(name);
    w->setGeometry(rect);
    return w;
}

// The range bars take part in the tab order. The style in use draws no focus on a scroll
// bar, so the bar asks the style for its focus frame itself, also after a mouse click.
class FocusScrollBar : public QScrollBar {
public:
    FocusScrollBar(Qt::Orientation orientation, QWidget* parent) : QScrollBar(orientation, parent) {
        setFocusPolicy(Qt::StrongFocus);
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QScrollBar::paintEvent(event);
        if (!hasFocus())
            return;
        QStylePainter painter(this);
        QStyleOptionFocusRect frame;
        frame.initFrom(this);
        frame.state |= QStyle::State_KeyboardFocusChange;
        frame.backgroundColor = palette().color(QPalette::Window);
        painter.drawPrimitive(QStyle::PE_FrameFocusRect, frame);
    }
    // Qt's scroll bar turns the horizontal arrows round (Left adds); here Left and Up
    // take a small step and Right and Down add one. Page Up/Down and Home/End are Qt's.
    void keyPressEvent(QKeyEvent* event) override {
        switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            triggerAction(SliderSingleStepSub);
            break;
        case Qt::Key_Right:
        case Qt::Key_Down:
            triggerAction(SliderSingleStepAdd);
            break;
        default:
            QScrollBar::keyPressEvent(event);
        }
    }
};
} // namespace

frmOption::frmOption(modMain& m, QtPlatform& platform, QWidget* parent) : QDialog(parent, kDialogFlags), m_(m) {
    setObjectName("frmOption");
    SetUpDialog(this, "ｵﾌﾟｼｮﾝ", 4785, 2895);

    auto* Frame1 = Place<QGroupBox>(this, "Frame1", TwipsRect(120, 120, 4515, 555), QString("実行モード"));
    optReal = Place<QRadioButton>(Frame1, "optReal", TwipsRect(600, 180, 1275, 315), QString("実戦形式(&A)"));
    optRand = Place<QRadioButton>(Frame1, "optRand", TwipsRect(2460, 180, 1275, 315), QString("乱数形式(&R)"));
    optReal->setChecked(true);

    auto* Frame2 = Place<QGroupBox>(this, "Frame2", TwipsRect(120, 780, 4515, 1395), QString("番号の範囲"));
    Place<QLabel>(Frame2, "Label1", TwipsRect(300, 360, 675, 195), QString("最小値 :"));
    Place<QLabel>(Frame2, "Label2", TwipsRect(300, 660, 675, 195), QString("最大値 :"));
    Place<QLabel>(Frame2, "Label3", TwipsRect(300, 960, 675, 195), QString("   種類 :"));
    for (int i = 0; i < 2; ++i) {
        const int top = 360 + 300 * i;
        QLabel* label = Place<QLabel>(Frame2, QString("LBMinMax%1").arg(i), TwipsRect(1020, top, 435, 255));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setAlignment(Qt::AlignCenter);
        label->setAutoFillBackground(true);
        label->setBackgroundRole(QPalette::Base);
        LBMinMax[i] = label;

        QScrollBar* bar = Place<FocusScrollBar>(Frame2, QString("HSMinMax%1").arg(i), TwipsRect(1500, top, 2655, 255),
                                                Qt::Horizontal);
        bar->setRange(i == 0 ? kLowestMin : kHighestMin, i == 0 ? kLowestMax : kHighestMax);
        bar->setSingleStep(1);
        bar->setPageStep(10);
        HSMinMax[i] = bar;
    }
    LBKinds = Place<QLabel>(Frame2, "LBKinds", TwipsRect(1020, 960, 435, 255));
    LBKinds->setAlignment(Qt::AlignCenter);

    CmdOK = Place<QPushButton>(this, "CmdOK", TwipsRect(360, 2340, 1275, 315), QString("OK"));
    CmdDefault = Place<QPushButton>(this, "CmdDefault", TwipsRect(1740, 2340, 1275, 315), QString("デフォルト"));
    CmdCancel = Place<QPushButton>(this, "CmdCancel", TwipsRect(3120, 2340, 1275, 315), QString("キャンセル"));
    CmdOK->setDefault(true);

    QWidget* order[] = {optReal, optRand, HSMinMax[0], HSMinMax[1], CmdOK, CmdDefault, CmdCancel};
    for (std::size_t i = 1; i < std::size(order); ++i)
        setTabOrder(order[i - 1], order[i]);
    optReal->setFocus();

    // The change handlers run for every value change, also those the program makes, so
    // the spacing rule holds however a bar moved.
    for (int i = 0; i < 2; ++i) {
        connect(HSMinMax[i], &QScrollBar::valueChanged, this, [this, i] { HSMinMax_Change(i); });
        connect(HSMinMax[i], &QScrollBar::sliderMoved, this, [this, i] { HSMinMax_Scroll(i); });
    }
    connect(CmdOK, &QPushButton::clicked, this, &frmOption::CmdOK_Click);
    connect(CmdDefault, &QPushButton::clicked, this, &frmOption::CmdDefault_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);
    // Settings must not change under a run: OK follows the mode while the dialog is open.
    connect(&platform, &QtPlatform::modelChanged, this, &frmOption::FollowMode);

    Form_Load();
}

void frmOption::FollowMode() { CmdOK->setEnabled(m_.IsEditMode()); }

// The labels show the settings, not the bar positions, until a bar moves: a stored pair
// closer than the spacing opens with the lowest bar already pushed down.
void frmOption::Form_Load() {
    (m_.run.SysSetting.RunMode != 0 ? optRand : optReal)->setChecked(true);
    HSMinMax[0]->setValue(m_.run.SysSetting.MinNumber);
    HSMinMax[1]->setValue(m_.run.SysSetting.MaxNumber);
    LBMinMax[0]->setText(QString::number(m_.run.SysSetting.MinNumber));
    LBMinMax[1]->setText(QString::number(m_.run.SysSetting.MaxNumber));
    LBKinds->setText(QString::number(HSMinMax[1]->value() - HSMinMax[0]->value() + 1));
    FollowMode();
}

void frmOption::HSMinMax_Change(int Index) {
    LBMinMax[Index]->setText(QString::number(HSMinMax[Index]->value()));
    const int lo = HSMinMax[0]->value();
    const int hi = HSMinMax[1]->value();
    if (Index == 0 && lo + kRangeSpacing > hi)
        HSMinMax[1]->setValue(lo + kRangeSpacing);
    else if (Index == 1 && hi - kRangeSpacing < lo)
        HSMinMax[0]->setValue(hi - kRangeSpacing);
    LBKinds->setText(QString::number(HSMinMax[1]->value() - HSMinMax[0]->value() + 1));
}

void frmOption::CmdDefault_Click() {
    (kDefaultSettings.RunMode == 0 ? optReal : optRand)->setChecked(true);
    HSMinMax[0]->setValue(kDefaultSettings.MinNumber);
    HSMinMax[1]->setValue(kDefaultSettings.MaxNumber);
    for (int i = 0; i < 2; ++i)
        LBMinMax[i]->setText(QString::number(HSMinMax[i]->value()));
    LBKinds->setText(QString::number(kDefaultSettings.RangeSize()));
}

void frmOption::CmdOK_Click() {
    if (!m_.IsEditMode())
        return;
    m_.ApplySettings({static_cast<std::int16_t>(optReal->isChecked() ? 0 : 1),
                      static_cast<std::int16_t>(HSMinMax[0]->value()),
                      static_cast<std::int16_t>(HSMinMax[1]->value())});
    SaveSettings(m_);
    close();
}

void frmOption::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        CmdDefault->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
