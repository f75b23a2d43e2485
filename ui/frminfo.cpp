#include "frminfo.h"

#include "dialogsupport.h"
#include "modmain.h"
#include "statistics.h"
#include "twips.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

#include <vector>

namespace {

QLabel* Label(QWidget* parent, const QString& name, QRect rect, const QString& text = {},
              Qt::Alignment align = Qt::AlignLeft | Qt::AlignTop) {
    auto* label = new QLabel(text, parent);
    label->setObjectName(name);
    label->setGeometry(rect);
    label->setAlignment(align);
    return label;
}

// A captionless frame: a container at its given place whose etched border starts
// half a text line down, where a caption would sit, so neighbouring frames that overlap
// by that much do not draw over each other.
QWidget* Frame(QWidget* parent, const QString& name, QRect rect) {
    auto* frame = new QWidget(parent);
    frame->setObjectName(name);
    frame->setGeometry(rect);
    auto* border = new QFrame(frame);
    border->setFrameStyle(QFrame::Box | QFrame::Sunken);
    const int top = QFontMetrics(parent->font()).height() / 2;
    border->setGeometry(0, top, rect.width(), rect.height() - top);
    return frame;
}
} // namespace

frmInfo::frmInfo(modMain& m, QWidget* parent) : QDialog(parent, kDialogFlags) {
    setObjectName("frmInfo");
    SetUpDialog(this, "ｼｰﾄ情報", 4590, 3195);

    auto* CmdClose = new QPushButton("閉じる", this);
    CmdClose->setObjectName("CmdClose");
    CmdClose->setGeometry(TwipsRect(3420, 120, 1035, 375));
    CmdClose->setDefault(true);
    CmdClose->setFocus();
    connect(CmdClose, &QPushButton::clicked, this, &QWidget::close);

    // The two range groups share one layout: Label1(0..2) in the settings group, Label1(5,4,3)
    // in the sheets group.
    const char* headings[] = {"ｼｽﾃﾑ設定 :", "ｼｰﾄの情報 :"};
    const char* values[2][3] = {{"LBSysMin", "LBSysMax", "LBSysKinds"}, {"LBSheetMin", "LBSheetMax", "LBSheetKinds"}};
    const char* captions[] = {"最小値 :", "最大値 :", "種類 :"};
    const int labelLeft[] = {180, 1200, 2220}, labelWidth[] = {630, 630, 450};
    const int valueLeft[] = {840, 1860, 2700}, valueWidth[] = {255, 255, 315};
    QLabel* shown[2][3];
    for (int g = 0; g < 2; ++g) {
        Label(this, QString("Label5%1").arg(g), TwipsRect(180, 60 + 840 * g, 1215, 195), QString(headings[g]));
        QWidget* frame = Frame(this, QString("Frame1%1").arg(g), TwipsRect(120, 240 + 840 * g, 3195, 555));
        for (int k = 0; k < 3; ++k) {
            const int index = g == 0 ? k : 5 - k;
            Label(frame, QString("Label1_%1").arg(index), TwipsRect(labelLeft[k], 240, labelWidth[k], 180),
                  QString(captions[k]));
            shown[g][k] = Label(frame, values[g][k], TwipsRect(valueLeft[k], 240, valueWidth[k], 195), {},
                                Qt::AlignHCenter | Qt::AlignTop);
        }
    }

    QWidget* Frame2 = Frame(this, "Frame2", TwipsRect(120, 1560, 3195, 1455));
    Label(Frame2, "Label10", TwipsRect(180, 300, 450, 180), "頻度 :");

    shown[0][0]->setText(QString::number(m.run.SysSetting.MinNumber));
    shown[0][1]->setText(QString::number(m.run.SysSetting.MaxNumber));
    shown[0][2]->setText(QString::number(m.run.SysSetting.MaxNumber - m.run.SysSetting.MinNumber + 1));

    std::vector<std::string> texts;
    texts.reserve(kBoxes);
    for (const Cell& cell : m.view.BBox)
        texts.push_back(cell.Caption);
    const SheetStatistics stats = ComputeSheetStatistics(texts);
    const bool none = stats.Highest == -1;
    shown[1][0]->setText(none ? "-" : QString::number(stats.Lowest));
    shown[1][1]->setText(none ? "-" : QString::number(stats.Highest));
    shown[1][2]->setText(none ? "-" : QString::number(stats.DistinctCount));

    for (int k = 0; k < 10; ++k) {
        const int row = k % 5;
        const int top = 180 + 240 * row;
        const bool right = k >= 5;
        const int noLeft = !right ? 720 : k == 5 ? 1980 : 1920;
        const int noWidth = !right || k == 5 ? 255 : 315;
        QLabel* no = Label(Frame2, QString("LBHindoNo%1").arg(k), TwipsRect(noLeft, top, noWidth, 195), {},
                           Qt::AlignRight | Qt::AlignTop);
        QLabel* num = Label(Frame2, QString("LBHindoNum%1").arg(k), TwipsRect(right ? 2280 : 1020, top, 315, 195), {},
                            Qt::AlignHCenter | Qt::AlignTop);
        QLabel* p = Label(Frame2, QString("LBHindoP%1").arg(k), TwipsRect(right ? 2640 : 1380, top, 375, 195), {},
                          Qt::AlignHCenter | Qt::AlignTop);
        if (k < static_cast<int>(stats.Ranking.size())) {
            const FrequencyEntry& e = stats.Ranking[static_cast<std::size_t>(k)];
            no->setText(QString("(%1)").arg(e.Rank));
            num->setText(QString::number(e.Number));
            p->setText(QString("= %1p").arg(e.Occurrences));
        } else {
            no->setText("-");
            num->setText("-");
            p->setText("----");
        }
    }
}

void frmInfo::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape)
        QDialog::keyPressEvent(event);
}
