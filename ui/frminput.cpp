#include "frminput.h"

#include "cp932.h"
#include "fonts.h"
#include "dialogsupport.h"
#include "modmain.h"

#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QValidator>

namespace {
constexpr int kMaxNameLength = 16;

// The sheet document is CP932 text with comma-separated fields on CR LF lines, so a name
// must be storable in CP932 and hold no control character; the box refuses anything else
// the way it refuses a 17th character.
class SheetNameValidator : public QValidator {
public:
    using QValidator::QValidator;
    State validate(QString& input, int&) const override {
        if (input.size() > kMaxNameLength)
            return Invalid;
        for (const QChar c : input)
            if (c.unicode() < 0x20 || c.unicode() == 0x7F)
                return Invalid;
        return Utf8ToCp932(input.toStdString()) ? Acceptable : Invalid;
    }
};
} // namespace

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
    Text1->setMaxLength(kMaxNameLength);
    Text1->setValidator(new SheetNameValidator(Text1));

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
    Text1->setText(QString::fromStdString(m_.BSheet[static_cast<std::size_t>(m_.CurBox / kCellsPerSheet)]));
    Text1->setFocus();
    Text1->selectAll();
}

void frmInput::CmdOK_Click() {
    m_.RenameCurrentSheet(Text1->text().toStdString());
    close();
}
