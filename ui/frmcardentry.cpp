#include "frmcardentry.h"

#include "fonts.h"

#include <QDialogButtonBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

namespace {
QString Place(const modMain& m, int box) {
    const int cell = box % kCellsPerSheet;
    return QString("%1 %2行%3列")
        .arg(QString::fromStdString(m.view.BSheet[static_cast<std::size_t>(box / kCellsPerSheet)]))
        .arg(cell / kCellsPerSide + 1)
        .arg(cell % kCellsPerSide + 1);
}
} // namespace

frmCardEntry::frmCardEntry(modMain& m, QWidget* parent)
    : QDialog(parent), m_(m), sheet_(m.view.CurBox / kCellsPerSheet) {
    setObjectName("frmCardEntry");
    setFont(GothicFont(9));
    auto* layout = new QVBoxLayout(this);
    text_ = new QPlainTextEdit(this);
    text_->setObjectName("txtNumbers");
    text_->setTabChangesFocus(true);
    text_->installEventFilter(this);
    layout->addWidget(text_);
    auto* reading = new QHBoxLayout;
    columns_ = new QRadioButton("縦に読む(&V)", this);
    columns_->setObjectName("optColumns");
    columns_->setChecked(true);
    auto* rows = new QRadioButton("横に読む(&H)", this);
    rows->setObjectName("optRows");
    reading->addWidget(columns_);
    reading->addWidget(rows);
    reading->addStretch();
    layout->addLayout(reading);
    auto* grid = new QGridLayout;
    grid->setSpacing(0);
    for (int c = 0; c < kCellsPerSheet; ++c) {
        auto* cell = new QLabel(this);
        cell->setObjectName(QString("lblPreview%1").arg(c));
        cell->setFrameShape(QFrame::Box);
        cell->setAlignment(Qt::AlignCenter);
        cell->setMinimumSize(32, 24);
        preview_[static_cast<std::size_t>(c)] = cell;
        grid->addWidget(cell, c / kCellsPerSide, c % kCellsPerSide);
    }
    auto* previewRow = new QHBoxLayout;
    previewRow->addLayout(grid);
    previewRow->addStretch();
    layout->addLayout(previewRow);
    message_ = new QLabel(this);
    message_->setObjectName("lblMessage");
    layout->addWidget(message_);
    auto* buttons = new QDialogButtonBox(this);
    ok_ = buttons->addButton("OK", QDialogButtonBox::AcceptRole);
    ok_->setObjectName("cmdOK");
    next_ = buttons->addButton("次のｼｰﾄへ(&N)", QDialogButtonBox::ActionRole);
    next_->setObjectName("cmdNext");
    buttons->addButton("キャンセル", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    layout->addWidget(buttons);
    connect(text_, &QPlainTextEdit::textChanged, this, &frmCardEntry::Parse);
    connect(columns_, &QRadioButton::toggled, this, &frmCardEntry::Parse);
    connect(ok_, &QPushButton::clicked, this, [this] {
        if (Write())
            accept();
    });
    connect(next_, &QPushButton::clicked, this, [this] {
        if (!Write())
            return;
        if (sheet_ + 1 >= kSheets)
            return accept();
        ++sheet_;
        m_.BBox_MouseDown(sheet_ * kCellsPerSheet, kLeftButton); // the next sheet becomes the current one
        text_->clear();
        ShowSheet();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    ShowSheet();
}

void frmCardEntry::ShowSheet() {
    setWindowTitle("ｶｰﾄﾞ番号の一括入力 - " + QString::fromStdString(m_.view.BSheet[static_cast<std::size_t>(sheet_)]));
    text_->setFocus();
    Parse();
}

void frmCardEntry::Parse() {
    entry_ = ParseCardEntry(text_->toPlainText().toStdString(), columns_->isChecked());
    for (int c = 0; c < kCellsPerSheet; ++c)
        preview_[static_cast<std::size_t>(c)]->setText(QString::fromStdString(
            entry_.cells ? (*entry_.cells)[static_cast<std::size_t>(c)]
                         : m_.view.BBox[static_cast<std::size_t>(sheet_ * kCellsPerSheet + c)].Caption));
    message_->setText(QString::fromStdString(entry_.message));
    ok_->setEnabled(entry_.cells.has_value());
    next_->setEnabled(entry_.cells.has_value());
}

bool frmCardEntry::Write() { return entry_.cells && m_.SetSheetCells(sheet_, *entry_.cells); }

bool frmCardEntry::eventFilter(QObject* watched, QEvent* event) {
    // Enter never breaks a line here: it presses OK when OK may be pressed.
    if (watched == text_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (ok_->isEnabled())
                ok_->click();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

frmCellFix::frmCellFix(modMain& m, int box, QWidget* parent) : QDialog(parent), m_(m), box_(box) {
    setObjectName("frmCellFix");
    setWindowTitle("ﾏｽの修正");
    setFont(GothicFont(9));
    auto* layout = new QVBoxLayout(this);
    auto* place = new QLabel(Place(m, box), this);
    place->setObjectName("lblPlace");
    layout->addWidget(place);
    text_ = new QLineEdit(QString::fromStdString(m.view.BBox[static_cast<std::size_t>(box)].Caption), this);
    text_->setObjectName("txtCell");
    text_->setValidator(new QRegularExpressionValidator(QRegularExpression("@|[0-9]{0,2}"), text_));
    text_->selectAll();
    layout->addWidget(text_);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton("OK", QDialogButtonBox::AcceptRole)->setObjectName("cmdOK");
    buttons->addButton("キャンセル", QDialogButtonBox::RejectRole)->setObjectName("cmdCancel");
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        // A run that ended under the dialog takes no correction.
        if (const auto text = EditorCellText(text_->text().toStdString()))
            m_.CorrectCell(box_, *text);
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}
