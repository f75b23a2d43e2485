#pragma once
#include <QGroupBox>
#include <QImage>

// A sheet's frame that keeps the pixels of its last whole painting. The style draws a group box
// from a stretched, half-transparent picture, which costs more than everything else in the window
// together; the frame looks the same from one paint to the next, so a copy serves.
class SheetFrame : public QGroupBox {
    Q_OBJECT
public:
    using QGroupBox::QGroupBox;

    // Whether the next paint copies the kept pixels instead of drawing.
    bool hasKeptPainting() const { return !kept_.isNull(); }
    // Title and border in red while on; off gives back the inherited palette and the usual look.
    void setAlarm(bool on);
    bool alarm() const { return alarm_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;

private:
    // The window's own pixels under this frame, or null when this paint does not go there.
    QImage* windowPixels(const QPainter& p, QRect* area) const;
    void PaintAlarm();

    // What the window held here once the frame was drawn on its background, taken from the
    // window's own pixels so that a copy is the same to the last bit.
    QImage kept_;
    QString keptTitle_;
    bool alarm_ = false;
};
