#include "frminput.h"

#include "cp932.h"
#include "dialogsupport.h"
#include "fonts.h"
#include "modmain.h"
#include "twips.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QValidator>

#include <algorithm>

namespace {
constexpr int kMaxNameLength = 16;
} // namespace

// The sheet document is CP932 text with comma-separated fields on CR LF lines, so a name
// must come back unchanged from CP932 and hold no control character. Typing is limited
// to 16 characters; a longer loaded name may be shortened but never grows again.
class SheetNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    int limit = kMaxNameLength; // 16, or what is left of a longer loaded name

    bool Allows(const QString& name) const {
        if (name.size() > limit)
            return false;
        for (const QChar c : name)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return false;
        return IsStorableAsCp932(name.toStdString());
    }

    State validate(QString& input, int&) const override {
        // Twins that do come back from CP932, so the box shows what will be stored.
        input.replace(QChar(0x00A5), QChar(0xFFE5)).replace(QChar(0x301C), QChar(0xFF5E));
        return Allows(input) ? Acceptable : Invalid;
    }
};

frmInput::frmInput(modMain& m, QWidget* parent) : QDialog(parent, kDialogFlags), m_(m) {
    setObjectName("frmInput");
    SetUpDialog(this, "ｼｰﾄ名の変更", 3720, 1275);

    auto* Label1 = new QLabel("ｼｰﾄ名を16文字以内で入力して下さい。", this);
    Label1->setObjectName("Label1");
    Label1->setGeometry(TwipsRect(180, 120, 3255, 195));

    Text1 = new QLineEdit(this);
    Text1->setObjectName("Text1");
    Text1->setGeometry(TwipsRect(420, 420, 2775, 315));
    Text1->setFont(GothicFont(11.25));
    validator_ = new SheetNameValidator(Text1);
    Text1->setValidator(validator_);
    connect(Text1, &QLineEdit::textChanged, this, [this](const QString& text) {
        validator_->limit = std::min(validator_->limit, std::max(kMaxNameLength, static_cast<int>(text.size())));
    });

    auto* CmdOK = new QPushButton("OK", this);
    CmdOK->setObjectName("CmdOK");
    CmdOK->setGeometry(TwipsRect(480, 840, 1275, 315));
    CmdOK->setDefault(true);
    auto* CmdCancel = new QPushButton("キャンセル", this);
    CmdCancel->setObjectName("CmdCancel");
    CmdCancel->setGeometry(TwipsRect(1860, 840, 1275, 315));
    setTabOrder(Text1, CmdOK);
    setTabOrder(CmdOK, CmdCancel);

    // Enter in the box reaches the default button through the dialog; Escape closes it
    // through reject().
    connect(CmdOK, &QPushButton::clicked, this, &frmInput::CmdOK_Click);
    connect(CmdCancel, &QPushButton::clicked, this, &QWidget::close);

    Reload();
}

void frmInput::Reload() {
    const QString name =
        QString::fromStdString(m_.view.BSheet[static_cast<std::size_t>(m_.view.CurBox / kCellsPerSheet)]);
    // The length limit would cut a longer loaded name, so it starts at the name's length.
    validator_->limit = std::max(kMaxNameLength, static_cast<int>(name.size()));
    Text1->setMaxLength(validator_->limit);
    Text1->setText(name);
    Text1->setFocus();
    Text1->selectAll();
}

// Qt rolls an edit back only from a valid text, so a starting name that already fails
// (a TAB from a hand-made file) lets any paste through: check the whole name again here.
void frmInput::CmdOK_Click() {
    if (!validator_->Allows(Text1->text())) {
        m_.platform().MsgBox("ｼｰﾄ名に使えない文字が含まれています。", vbOKOnlyExclamation, "ｼｰﾄ名の変更");
        Text1->setFocus();
        return;
    }
    m_.RenameCurrentSheet(Text1->text().toStdString());
    close();
}
