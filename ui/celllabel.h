#pragma once
#include <QColor>
#include <QLabel>

// A label painted in exactly the colours the game module gives it, with an optional
// one-pixel border. It stays a QLabel so screen readers read its text.
class CellLabel : public QLabel {
    Q_OBJECT
public:
    explicit CellLabel(QWidget* parent = nullptr, bool border = true);
    // Both return whether anything changed, so callers redo dependent work only then.
    bool setColours(const QColor& fore, const QColor& back);
    bool setTextIfChanged(const QString& text);
    void setTransparent(bool transparent) { transparent_ = transparent; }

signals:
    void pressed(Qt::MouseButton button);
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QColor fore_{Qt::black};
    QColor back_{Qt::white};
    bool border_;
    bool transparent_ = false;
    bool releaseEndsDoubleClick_ = false;
};
