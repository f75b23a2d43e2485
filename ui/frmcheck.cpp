#include "frmcheck.h"

#include "fonts.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

frmCheck::frmCheck(modMain& m, QWidget* mainWindow) : QDialog(mainWindow), m_(m), main_(mainWindow) {
    setObjectName("frmCheck");
    setWindowTitle("ｼｰﾄの入力ﾁｪｯｸ");
    setFont(GothicFont(9));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    list_ = new QListWidget(this);
    list_->setObjectName("lstFindings");
    layout->addWidget(list_);
    bands_ = new QCheckBox("列ごとの範囲もﾁｪｯｸする(&B)", this);
    bands_->setObjectName("chkBands");
    layout->addWidget(bands_);
    auto* buttons = new QHBoxLayout;
    auto* recheck = new QPushButton("再ﾁｪｯｸ(&R)", this);
    recheck->setObjectName("cmdRecheck");
    auto* close = new QPushButton("閉じる", this);
    close->setObjectName("cmdClose");
    // Enter belongs to the list: it must never press a button.
    for (QPushButton* b : {recheck, close}) {
        b->setAutoDefault(false);
        b->setDefault(false);
    }
    buttons->addStretch();
    buttons->addWidget(recheck);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(recheck, &QPushButton::clicked, this, &frmCheck::Recheck);
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    connect(bands_, &QCheckBox::toggled, this, &frmCheck::Recheck);
    connect(list_, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) { GoTo(list_->row(item)); });
    resize(460, 300);
    Recheck();
}

void frmCheck::Follow() {
    if (!m_.IsEditMode())
        return;
    if (m_.run.SysSetting != checkedRange_ || m_.CaptureDocument() != checked_)
        Recheck();
}

void frmCheck::Recheck() {
    if (!m_.IsEditMode())
        return;
    checked_ = m_.CaptureDocument();
    checkedRange_ = m_.run.SysSetting;
    bands_->setEnabled(BandsPossible(checkedRange_));
    findings_ = CheckSheets(checked_, checkedRange_, bands_->isChecked());
    const int row = list_->currentRow();
    list_->clear();
    for (const Finding& f : findings_)
        list_->addItem(QString::fromStdString(f.text));
    if (findings_.empty())
        list_->addItem("問題はありません。");
    list_->setCurrentRow(std::clamp(row, 0, list_->count() - 1));
}

void frmCheck::GoTo(int row) {
    if (!m_.IsEditMode() || row < 0 || row >= static_cast<int>(findings_.size()))
        return;
    m_.BBox_MouseDown(findings_[static_cast<std::size_t>(row)].box, kLeftButton);
    main_->raise();
    main_->activateWindow();
}
