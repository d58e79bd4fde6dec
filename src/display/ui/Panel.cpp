#include "display/ui/Panel.h"

#include <QPainter>

#include <algorithm>

TPanel::TPanel(QWidget* parent) : TControl(parent)
{
    setContentsMargins(1, 1, 1, 1);
    // Every paint covers the whole panel: what lies beneath it is never
    // repainted when only the panel changes (the clock, every second).
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPanel::setKeptLooks(int looks)
{
    m_keptLooks = qMax(0, looks);
    m_looks.clear();
}

void TPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (m_keptLooks == 0) {
        paintPanel(painter);
        return;
    }
    // Everything the look depends on.
    const QString key = caption() + QLatin1Char('\n') + displayFont().toString() + QLatin1Char('\n')
        + fontColor().name(QColor::HexArgb) + color().name(QColor::HexArgb) + QString::number(palette().cacheKey())
        + QLatin1Char(' ') + QString::number(width()) + QLatin1Char('x') + QString::number(height()) + QLatin1Char('@')
        + QString::number(devicePixelRatio());
    const auto kept = std::find_if(m_looks.begin(), m_looks.end(), [&](const Look& l) { return l.key == key; });
    if (kept == m_looks.end()) {
        m_looks.prepend(renderLook(key));
        while (m_looks.size() > m_keptLooks)
            m_looks.removeLast();
    } else {
        m_looks.move(kept - m_looks.begin(), 0);
    }
    const Look& look = m_looks.first();
    paintBackground(painter);
    if (!look.ink.isNull())
        painter.drawImage(look.at, look.ink);
}

// Paints the whole panel off screen and keeps the part inside the bevel
// where the caption changed the background: the same pixels, for a fraction
// of the memory of the whole panel.
TPanel::Look TPanel::renderLook(const QString& key) const
{
    const qreal ratio = devicePixelRatio();
    QImage image(size() * ratio, QImage::Format_RGB32);
    image.setDevicePixelRatio(ratio);
    {
        QPainter offscreen(&image);
        paintPanel(offscreen);
    }
    if (ratio != 1.0)
        return {key, QPoint(), image};
    const QRect inside = contentsRect();
    const QRgb background = color().rgb();
    QRect ink;
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int left = inside.left();
        while (left <= inside.right() && line[left] == background)
            ++left;
        if (left > inside.right())
            continue;
        int right = inside.right();
        while (line[right] == background)
            --right;
        ink |= QRect(left, y, right - left + 1, 1);
    }
    if (ink.isEmpty())
        return {key, QPoint(), QImage()};
    return {key, ink.topLeft(), image.copy(ink)};
}

void TPanel::paintBackground(QPainter& painter) const
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
}

void TPanel::paintPanel(QPainter& painter) const
{
    paintBackground(painter);
    painter.setClipRect(contentsRect());
    paintCaption(painter);
}
