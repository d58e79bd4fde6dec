#include "display/ui/Panel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : TControl(parent)
{
    setContentsMargins(1, 1, 1, 1);
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect all = rect();
    painter.fillRect(all, color());
    const QColor light = palette().color(QPalette::Light);
    const QColor shadow = palette().color(QPalette::Dark);
    painter.setPen(light);
    painter.drawLine(all.topLeft(), all.topRight());
    painter.drawLine(all.topLeft(), all.bottomLeft());
    painter.setPen(shadow);
    painter.drawLine(all.bottomLeft(), all.bottomRight());
    painter.drawLine(all.topRight(), all.bottomRight());
    painter.setClipRect(contentsRect());
    paintCaption(painter);
}
