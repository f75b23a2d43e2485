#include "helpviewer.h"

#include "modmain.h"

#include <QFile>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRegularExpression>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace {
constexpr int kSearchFormRole = Qt::UserRole + 1; // a keyword as the search compares it

// Half- and full-width forms (ｼｰﾄ, シート; ＢＮＧ, bng) and letter case compare equal.
QString SearchForm(const QString& text) { return text.normalized(QString::NormalizationForm_KC).toCaseFolded(); }
} // namespace

HelpViewer::HelpViewer(QWidget* parent)
    : QWidget(parent, Qt::Window), browser_(new QTextBrowser(this)), search_(new QLineEdit(this)),
      keywords_(new QListWidget(this)) {
    setWindowTitle(QString(kProductName) + " ヘルプ");
    setObjectName("HelpViewer");
    search_->setObjectName("HelpSearch");
    keywords_->setObjectName("HelpKeywords");
    browser_->setObjectName("HelpBrowser");
    search_->setPlaceholderText("キーワードを入力");
    search_->setClearButtonEnabled(true);

    auto* side = new QVBoxLayout;
    auto* label = new QLabel("キーワード(&K):", this);
    label->setBuddy(search_);
    side->addWidget(label);
    side->addWidget(search_);
    side->addWidget(keywords_);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(side, 1);
    layout->addWidget(browser_, 3);
    resize(820, 560);

    connect(search_, &QLineEdit::textChanged, this, &HelpViewer::filterKeywords);
    connect(search_, &QLineEdit::returnPressed, this, [this] {
        for (int i = 0; i < keywords_->count(); ++i)
            if (!keywords_->item(i)->isHidden()) {
                keywords_->setCurrentRow(i);
                browser_->scrollToAnchor(keywords_->item(i)->data(Qt::UserRole).toString());
                return;
            }
    });
    connect(keywords_, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { browser_->scrollToAnchor(item->data(Qt::UserRole).toString()); });
    connect(keywords_, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { browser_->scrollToAnchor(item->data(Qt::UserRole).toString()); });
}

void HelpViewer::load(const QString& path) {
    keywords_->clear();
    QFile file(path);
    // Only a regular file: opening a FIFO at that name would block the window.
    loaded_ = QFileInfo(path).isFile() && file.open(QIODevice::ReadOnly);
    if (!loaded_) {
        browser_->setHtml(QString("<h2>ヘルプを表示できません</h2><p>ヘルプ ファイル <b>%1</b> が見つからないか、"
                                  "読み込めません。</p><p>プログラムと同じフォルダーに numbalo.hlp "
                                  "があることを確かめてください。</p>")
                              .arg(path.toHtmlEscaped()));
        return;
    }
    const QString html = QString::fromUtf8(file.readAll());
    browser_->setHtml(html);
    static const QRegularExpression keyword(R"re(<a class="keyword" href="#([^"]+)">([^<]+)</a>)re");
    for (auto it = keyword.globalMatch(html); it.hasNext();) {
        const auto match = it.next();
        auto* item = new QListWidgetItem(match.captured(2), keywords_);
        item->setData(Qt::UserRole, match.captured(1));
        item->setData(kSearchFormRole, SearchForm(item->text()));
    }
}

void HelpViewer::filterKeywords(const QString& text) {
    const QString wanted = SearchForm(text);
    for (int i = 0; i < keywords_->count(); ++i)
        keywords_->item(i)->setHidden(!keywords_->item(i)->data(kSearchFormRole).toString().contains(wanted));
}

void HelpViewer::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier)
        close();
    else
        QWidget::keyPressEvent(event);
}

void HelpViewer::showContents() {
    browser_->scrollToAnchor("contents");
    bringToFront();
}

void HelpViewer::showSearch() {
    search_->clear();
    bringToFront();
    search_->setFocus();
}

void HelpViewer::bringToFront() {
    show();
    raise();
    activateWindow();
}
