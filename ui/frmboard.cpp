#include "frmboard.h"

#include "fonts.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QGridLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QTableWidget>

#include <algorithm>
#include <numeric>

namespace {
const QColor kReachBlue(0, 0, 255);

QString Joined(const std::vector<int>& numbers) {
    QStringList parts;
    for (int n : numbers)
        parts << QString::number(n);
    return parts.join("、");
}

// Nothing on the board takes the keyboard: it stays with the main window and the call being typed.
void NoFocus(QWidget* w) { w->setFocusPolicy(Qt::NoFocus); }
} // namespace

NumberCell::NumberCell(QWidget* parent) : QWidget(parent) {
    NoFocus(this);
    setMinimumSize(24, 18);
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

bool NumberCell::setState(int number, bool called, bool latest, bool waiting) {
    if (number == number_ && called == called_ && latest == latest_ && waiting == waiting_)
        return false;
    number_ = number;
    called_ = called;
    latest_ = latest;
    waiting_ = waiting;
    QString name;
    if (number >= 0) {
        name = QString::number(number);
        if (called)
            name += "、呼び出し済み";
        if (latest)
            name += "、最新";
        if (waiting)
            name += "、待ち";
    }
    setAccessibleName(name);
    update();
    return true;
}

void NumberCell::paintEvent(QPaintEvent*) {
    if (number_ < 0)
        return;
    QPainter p(this);
    const QRect r = rect().adjusted(1, 1, -1, -1);
    const QColor text = waiting_ ? kReachBlue : palette().color(QPalette::WindowText);
    p.fillRect(r, called_ ? text : palette().color(QPalette::Base));
    p.setPen(latest_ ? QPen(Qt::red, 2) : QPen(palette().color(QPalette::Mid)));
    p.drawRect(latest_ ? QRectF(r).adjusted(0.5, 0.5, -0.5, -0.5) : QRectF(r));
    p.setPen(called_ ? palette().color(QPalette::Base) : text);
    p.drawText(r, Qt::AlignCenter, QString::number(number_));
}

frmBoard::frmBoard(modMain& m, QWidget* mainWindow) : QWidget(mainWindow, Qt::Window), m_(m), main_(mainWindow) {
    setObjectName("frmBoard");
    setWindowTitle("番号ﾎﾞｰﾄﾞ");
    setFont(GothicFont(9));
    // Opening or clicking the board leaves the keyboard where the call is typed.
    setWindowFlag(Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    NoFocus(this);
    // The main window's shortcuts (F5, F6, F7, Ctrl+Z ...) work here too.
    addActions(mainWindow->actions());

    auto* layout = new QVBoxLayout(this);
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    for (int n = 0; n < 100; ++n) {
        numbers_[static_cast<std::size_t>(n)] = new NumberCell(this);
        grid->addWidget(numbers_[static_cast<std::size_t>(n)], n / 10, n % 10);
    }
    layout->addLayout(grid, 3);
    outsideGrid_ = new QGridLayout;
    outsideGrid_->setSpacing(0);
    layout->addLayout(outsideGrid_);

    sortByNearest_ = new QCheckBox("近い順に並べる(&S)", this);
    sortByNearest_->setObjectName("chkSort");
    NoFocus(sortByNearest_);
    connect(sortByNearest_, &QCheckBox::toggled, this, [this] {
        first_ = true;
        Follow();
    });
    layout->addWidget(sortByNearest_);
    cards_ = new QTableWidget(kSheets, 6, this);
    cards_->setObjectName("tblCards");
    cards_->setHorizontalHeaderLabels({"ｼｰﾄ", "状態", "待ち番号", "残り", "次の1回", "5回以内"});
    cards_->verticalHeader()->hide();
    cards_->verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 6);
    cards_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cards_->setMinimumHeight(cards_->horizontalHeader()->sizeHint().height() +
                             kSheets * cards_->verticalHeader()->defaultSectionSize() + 4);
    cards_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    cards_->setSelectionMode(QAbstractItemView::NoSelection);
    // Widths fixed once: fitting columns to their contents at every call would cost more than the rest together.
    const int digit = fontMetrics().horizontalAdvance("0");
    const int widths[] = {10 * digit, 12 * digit, 0, 4 * digit, 7 * digit, 7 * digit};
    for (int c = 0; c < 6; ++c) {
        cards_->horizontalHeader()->setSectionResizeMode(c, c == 2 ? QHeaderView::Stretch : QHeaderView::Fixed);
        if (widths[c])
            cards_->setColumnWidth(c, widths[c]);
    }
    NoFocus(cards_);
    for (int r = 0; r < kSheets; ++r)
        for (int c = 0; c < 6; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(c >= 3 ? Qt::AlignRight | Qt::AlignVCenter : Qt::AlignLeft | Qt::AlignVCenter);
            cards_->setItem(r, c, item);
        }
    layout->addWidget(cards_);
    oddsNote_ = new QLabel(this);
    oddsNote_->setObjectName("lblOddsNote");
    layout->addWidget(oddsNote_);

    callCount_ = new QLabel(this);
    callCount_->setObjectName("lblCallCount");
    layout->addWidget(callCount_);
    calls_ = new QListWidget(this);
    calls_->setObjectName("lstCalls");
    calls_->setSelectionMode(QAbstractItemView::NoSelection);
    NoFocus(calls_);
    layout->addWidget(calls_, 1);
    resize(420, 640);
    Follow();
}

frmBoard::Shown frmBoard::Current() const {
    Shown now{m_.IsRunning(), m_.CallRecord(), m_.run.SysSetting, m_.view.BSheet, {}, m_.view.StatusText, {}};
    for (int s = 0; s < kSheets; ++s)
        now.statuses[static_cast<std::size_t>(s)] = m_.view.BMess[static_cast<std::size_t>(s)].Caption;
    for (int b = 0; b < kBoxes; ++b)
        now.cells[static_cast<std::size_t>(b)] = m_.view.BBox[static_cast<std::size_t>(b)].Caption;
    return now;
}

void frmBoard::Follow() {
    Shown now = Current();
    if (!first_ && now == shown_)
        return;
    first_ = false;
    shown_ = std::move(now);

    std::array<bool, 100> called{};
    for (std::int16_t n : shown_.calls)
        if (n >= 0 && n < 100)
            called[static_cast<std::size_t>(n)] = true;
    const int latest = shown_.calls.empty() ? -1 : shown_.calls.back();
    std::array<SheetOutlook, kSheets> outlooks;
    std::array<bool, 100> waiting{};
    for (int s = 0; s < kSheets; ++s) {
        outlooks[static_cast<std::size_t>(s)] = m_.Outlook(s);
        for (int n : outlooks[static_cast<std::size_t>(s)].waiting)
            waiting[static_cast<std::size_t>(n)] = true;
    }
    ShowNumbers(called, latest, waiting);
    ShowCards(outlooks);
    ShowCalls();
}

void frmBoard::ShowNumbers(const std::array<bool, 100>& called, int latest, const std::array<bool, 100>& waiting) {
    const SettingRecord& r = shown_.range;
    for (int n = 0; n < 100; ++n) {
        const auto i = static_cast<std::size_t>(n);
        const bool inRange = n >= r.MinNumber && n <= r.MaxNumber;
        numbers_[i]->setState(inRange ? n : -1, called[i], n == latest, waiting[i]);
    }
    // Called numbers the range leaves out, ascending after the grid: a typed game may call them.
    std::vector<int> outside;
    for (int n = 0; n < 100; ++n)
        if (called[static_cast<std::size_t>(n)] && (n < r.MinNumber || n > r.MaxNumber))
            outside.push_back(n);
    while (outside_.size() < outside.size()) {
        auto* cell = new NumberCell(this);
        outsideGrid_->addWidget(cell, static_cast<int>(outside_.size()) / 10, static_cast<int>(outside_.size()) % 10);
        outside_.push_back(cell);
    }
    for (std::size_t i = 0; i < outside_.size(); ++i) {
        const bool used = i < outside.size();
        outside_[i]->setVisible(used);
        if (used)
            outside_[i]->setState(outside[i], true, outside[i] == latest, false);
    }
}

void frmBoard::ShowCards(const std::array<SheetOutlook, kSheets>& outlooks) {
    std::array<int, kSheets> order{};
    std::iota(order.begin(), order.end(), 0);
    if (sortByNearest_->isChecked() && shown_.running)
        std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
            const SheetOutlook& x = outlooks[static_cast<std::size_t>(a)];
            const SheetOutlook& y = outlooks[static_cast<std::size_t>(b)];
            if (x.cellsToGo != y.cellsToGo)
                return x.cellsToGo < y.cellsToGo;
            return x.next.value_or(-1) > y.next.value_or(-1);
        });
    for (int row = 0; row < kSheets; ++row) {
        const auto s = static_cast<std::size_t>(order[static_cast<std::size_t>(row)]);
        const SheetOutlook& o = outlooks[s];
        const bool run = shown_.running;
        const QString texts[6] = {
            QString::fromStdString(shown_.names[s]),
            run ? QString::fromStdString(shown_.statuses[s]) : QString(),
            run ? Joined(o.waiting) : QString(),
            run ? QString::number(o.cellsToGo) : QString(),
            run ? QString::fromStdString(ChanceText(o.next)) : QString(),
            run ? QString::fromStdString(ChanceText(o.soon)) : QString(),
        };
        for (int c = 0; c < 6; ++c) {
            QTableWidgetItem* item = cards_->item(row, c);
            if (item->text() != texts[c])
                item->setText(texts[c]);
        }
    }
    const SettingRecord& r = shown_.range;
    oddsNote_->setText(shown_.running && r.RunMode == 0
                           ? QString("範囲 %1〜%2 から引くとして計算").arg(r.MinNumber).arg(r.MaxNumber)
                           : QString());
}

void frmBoard::ShowCalls() {
    const auto& calls = shown_.calls;
    const auto line = [&](std::size_t i) { return QString("%1: %2").arg(i + 1).arg(calls[i]); };
    // A call adds one line at the top; anything else is written afresh.
    const auto listed = static_cast<std::size_t>(calls_->count());
    if (listed + 1 == calls.size() && (listed == 0 || calls_->item(0)->text() == line(listed - 1))) {
        calls_->insertItem(0, line(listed));
    } else if (listed != calls.size() || (listed > 0 && calls_->item(0)->text() != line(listed - 1))) {
        calls_->clear();
        for (std::size_t i = calls.size(); i-- > 0;)
            calls_->addItem(line(i));
    }
    callCount_->setText(QString("呼び出した番号: %1 回").arg(calls.size()));
}

bool frmBoard::event(QEvent* e) {
    // Keys that reach the board anyway belong to the call being typed.
    if (e->type() == QEvent::KeyPress || e->type() == QEvent::KeyRelease || e->type() == QEvent::ShortcutOverride) {
        if (e->type() != QEvent::ShortcutOverride)
            QApplication::sendEvent(main_, e);
        return e->type() != QEvent::ShortcutOverride;
    }
    return QWidget::event(e);
}

void frmBoard::closeEvent(QCloseEvent* e) {
    e->accept();
    emit closed();
}
