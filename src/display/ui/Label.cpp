#include "display/ui/Label.h"

#include <QFontMetrics>
#include <QPainter>

TLabel::TLabel(QWidget* parent) : TControl(parent)
{
    setParentColor(true);
    setAttribute(Qt::WA_OpaquePaintEvent, !m_transparent);
}

void TLabel::setAutoSize(bool on)
{
    m_autoSize = on;
    adjustBounds();
}

void TLabel::setTransparent(bool on)
{
    m_transparent = on;
    // An opaque label covers itself whole; a transparent one shows its parent.
    setAttribute(Qt::WA_OpaquePaintEvent, !on);
    update();
}

// The part of the label its parent shows: the text must lie inside it.
QRect TLabel::visibleBox() const
{
    if (!parentWidget())
        return rect();
    const QRect parentRoom = parentWidget()->contentsRect().translated(-pos());
    return rect().intersected(parentRoom);
}

void TLabel::captionChanged()
{
    adjustBounds();
}

void TLabel::adjustBounds()
{
    if (!m_autoSize)
        return;
    const QFontMetrics fm(font());
    // An empty caption keeps the height of a line, as a blank would.
    const QString measured = caption().isEmpty() ? QStringLiteral(" ") : caption();
    int width = fm.horizontalAdvance(measured);
    if (parentWidget()) {
        const int room = parentWidget()->contentsRect().right() + 1 - x();
        if (room > 0 && width > room)
            width = room;
    }
    resize(width, fm.height());
}

void TLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_transparent)
        painter.fillRect(rect(), color());
    paintCaption(painter);
}
