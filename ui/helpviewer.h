#pragma once
#include <QWidget>

class QLineEdit;
class QListWidget;
class QTextBrowser;

// The help file beside the program.
inline constexpr char kHelpFileName[] = "numbalo.hlp";

// The help window: the help file (UTF-8 HTML with a keyword index) beside a searchable
// keyword list. A missing or unreadable file shows a message in the window.
class HelpViewer : public QWidget {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget* parent = nullptr);
    // (Re)reads the file, so an edited help file shows without restarting.
    void load(const QString& path);
    void showContents();
    void showSearch();
    bool hasDocument() const { return loaded_; }

protected:
    // Escape closes the window, as in other help viewers.
    void keyPressEvent(QKeyEvent* event) override;

private:
    void filterKeywords(const QString& text);
    void bringToFront();
    QTextBrowser* browser_;
    QLineEdit* search_;
    QListWidget* keywords_;
    bool loaded_ = false;
};
