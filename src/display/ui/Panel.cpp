#include "display/ui/Panel.h"

#include <QPainter>

TPanel::TPanel(QWidget* parent) : TControl(parent)
{
    setContentsMargins(1, 1, 1, 1);
    // Every paint covers the whole panel: what lies beneath it is never
    // repainted when only the panel changes (the clock, every second).
    setAttribute(Qt::WA_OpaquePaintEvent);
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
    // The bevel's one-pixel lines as filled rectangles: the same pixels as
    // drawn lines, at a fraction of the cost.
    painter.fillRect(QRect(all.left(), all.top(), all.width(), 1), light);
    painter.fillRect(QRect(all.left(), all.top(), 1, all.height()), light);
    painter.fillRect(QRect(all.left(), all.bottom(), all.width(), 1), shadow);
    painter.fillRect(QRect(all.right(), all.top(), 1, all.height()), shadow);
    painter.setClipRect(contentsRect());
    paintCaption(painter);
}
