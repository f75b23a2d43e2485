#include "celllabel.h"

#include <QMouseEvent>
#include <QPainter>

#include <utility>

bool OnDevicePixels(const QRect& area, qreal ratio) {
    const QRectF scaled(QPointF(area.topLeft()) * ratio, QSizeF(area.size()) * ratio);
    return scaled == QRectF(scaled.toRect());
}

CellLabel::CellLabel(QWidget* parent, bool border) : QLabel(parent), border_(border) {
    setAlignment(Qt::AlignCenter);
    setFocusPolicy(Qt::NoFocus);
}

bool CellLabel::setColours(const QColor& fore, const QColor& back) {
    if (fore == fore_ && back == back_)
        return false;
    fore_ = fore;
    back_ = back;
    painted_ = {};
    update();
    return true;
}

bool CellLabel::setTextIfChanged(const QString& text) {
    if (this->text() == text)
        return false;
    setText(text);
    return true;
}

void CellLabel::setTransparent(bool transparent) {
    transparent_ = transparent;
    painted_ = {};
}

void CellLabel::draw(QPainter& p) const {
    if (!transparent_)
        p.fillRect(rect(), back_);
    if (border_) {
        p.setPen(QColor(0, 0, 0));
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
    p.setPen(fore_);
    p.setFont(font());
    p.drawText(rect(), static_cast<int>(alignment()), text());
}

void CellLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const qreal ratio = devicePixelRatioF();
    // What lies behind a transparent label shows through; and at a fractional scale a copy would
    // land between device pixels. Either way, nothing is kept.
    if (transparent_ || !OnDevicePixels(QRect(mapTo(window(), QPoint(0, 0)), size()), ratio))
        return draw(p);
    if (painted_.isNull() || paintedText_ != text() || painted_.size() != size() * ratio ||
        painted_.devicePixelRatio() != ratio) {
        painted_ = QPixmap(size() * ratio);
        painted_.setDevicePixelRatio(ratio);
        QPainter cache(&painted_);
        draw(cache);
        paintedText_ = text();
    }
    p.drawPixmap(0, 0, painted_);
}

void CellLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange)
        painted_ = {};
    QLabel::changeEvent(event);
}

void CellLabel::mousePressEvent(QMouseEvent* event) {
    emit pressed(event->button());
    event->accept();
}

void CellLabel::mouseReleaseEvent(QMouseEvent* event) {
    // A double click is one click: its first release has clicked already.
    const bool secondRelease = std::exchange(releaseEndsDoubleClick_, false);
    if (!secondRelease && event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        emit clicked();
    event->accept();
}

void CellLabel::mouseDoubleClickEvent(QMouseEvent* event) {
    releaseEndsDoubleClick_ = true;
    mousePressEvent(event);
}
