#include "sheetframe.h"

#include "celllabel.h"

#include <QBackingStore>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QStyleOptionGroupBox>

QImage* SheetFrame::windowPixels(const QPainter& p, QRect* area) const {
    QBackingStore* store = backingStore();
    QPaintDevice* device = p.paintEngine() ? p.paintEngine()->paintDevice() : nullptr;
    // Only a paint into the window's own raster pixels; a grab or print draws afresh.
    if (!store || !device || device != store->paintDevice() || device->devType() != QInternal::Image)
        return nullptr;
    auto* image = static_cast<QImage*>(device);
    const qreal ratio = image->devicePixelRatio();
    const QRect inWindow(mapTo(window(), QPoint(0, 0)), size());
    if (!OnDevicePixels(inWindow, ratio))
        return nullptr;
    *area = QRect((inWindow.topLeft().toPointF() * ratio).toPoint(), (inWindow.size().toSizeF() * ratio).toSize());
    return image->rect().contains(*area) ? image : nullptr;
}

void SheetFrame::setAlarm(bool on) {
    if (alarm_ == on)
        return;
    alarm_ = on;
    // A palette change drops the kept pixels, so neither look is ever copied over the other.
    if (on) {
        QPalette red = palette();
        red.setColor(QPalette::WindowText, Qt::red);
        setPalette(red);
    } else {
        setPalette(QPalette());
    }
    update();
}

void SheetFrame::PaintAlarm() {
    // The style draws the frame from a picture that ignores the palette: the red border goes over it, leaving the
    // title's gap open.
    QStyleOptionGroupBox option;
    initStyleOption(&option);
    const QRect frame = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxFrame, this);
    const QRect label = style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, this);
    QPainter p(this);
    p.setClipRegion(QRegion(rect()) - label.adjusted(-2, 0, 2, 0));
    p.setPen(QPen(Qt::red, 2));
    p.drawRect(QRectF(frame).adjusted(1, 1, -1, -1));
}

void SheetFrame::paintEvent(QPaintEvent* event) {
    QRect area;
    QImage* pixels = nullptr;
    {
        QPainter p(this);
        pixels = windowPixels(p, &area);
        if (pixels && !kept_.isNull() && keptTitle_ == title() && kept_.size() == area.size()) {
            p.setCompositionMode(QPainter::CompositionMode_Source);
            p.drawImage(0, 0, kept_);
            return;
        }
    }
    QGroupBox::paintEvent(event);
    if (alarm_)
        PaintAlarm();
    if (!pixels)
        return;
    kept_ = {};
    // Keep only a whole painting: elsewhere the window still holds what the children drew.
    if ((QRegion(rect()) - event->region()).isEmpty()) {
        kept_ = pixels->copy(area);
        kept_.setDevicePixelRatio(pixels->devicePixelRatio());
        keptTitle_ = title();
    }
}

void SheetFrame::changeEvent(QEvent* event) {
    kept_ = {}; // palette, font, style, activation or enabled state may all change the look
    QGroupBox::changeEvent(event);
}

void SheetFrame::resizeEvent(QResizeEvent* event) {
    kept_ = {};
    QGroupBox::resizeEvent(event);
}

void SheetFrame::moveEvent(QMoveEvent* event) {
    kept_ = {};
    QGroupBox::moveEvent(event);
}
