#pragma once
#include <QColor>
#include <QLabel>
#include <QPixmap>

// Whether an area of the window, given in its own pixels, starts and ends on whole device pixels
// at the given scale, so that a kept copy of its painting lands exactly where the painting would.
bool OnDevicePixels(const QRect& area, qreal ratio);

// A label painted in exactly the colours the game module gives it, with an optional
// one-pixel border. It stays a QLabel so screen readers read its text.
class CellLabel : public QLabel {
    Q_OBJECT
public:
    explicit CellLabel(QWidget* parent = nullptr, bool border = true);
    // Both return whether anything changed, so callers redo dependent work only then.
    bool setColours(const QColor& fore, const QColor& back);
    bool setTextIfChanged(const QString& text);
    void setTransparent(bool transparent);

signals:
    void pressed(Qt::MouseButton button);
    void clicked();

protected:
    void paintEvent(QPaintEvent*) override;
    void changeEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void draw(QPainter& p) const;

    QColor fore_{Qt::black};
    QColor back_{Qt::white};
    bool border_;
    bool transparent_ = false;
    bool releaseEndsDoubleClick_ = false;
    // An opaque label's last painting: most paints of the window change no cell, and laying
    // out the text costs far more than copying the pixels.
    QPixmap painted_;
    QString paintedText_;
};
