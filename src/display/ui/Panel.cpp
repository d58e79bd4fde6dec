#include "display/ui/Panel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : TControl(parent)
{
    setContentsMargins(1, 1, 1, 1);
}

void TPanel::setKeepsRenderings(bool on)
{
    m_keepsRenderings = on;
    m_renderings.clear();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!m_keepsRenderings) {
        paintPanel(painter);
        return;
    }
    // Everything the look depends on.
    const QString key = caption() + QLatin1Char('\n') + displayFont().toString() + QLatin1Char('\n')
        + fontColor().name(QColor::HexArgb) + color().name(QColor::HexArgb)
        + QString::number(palette().cacheKey()) + QLatin1Char(' ') + QString::number(width())
        + QLatin1Char('x') + QString::number(height()) + QLatin1Char('@') + QString::number(devicePixelRatio());
    for (const Rendering& r : std::as_const(m_renderings)) {
        if (r.key == key) {
            painter.drawImage(0, 0, r.image);
            return;
        }
    }
    const qreal ratio = devicePixelRatio();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    {
        QPainter offscreen(&image);
        paintPanel(offscreen);
    }
    m_renderings.prepend({key, image});
    while (m_renderings.size() > 2)
        m_renderings.removeLast();
    painter.drawImage(0, 0, image);
}

void TPanel::paintPanel(QPainter& painter) const
{
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
