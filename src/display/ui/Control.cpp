#include "display/ui/Control.h"

#include "display/ui/TextFit.h"

#include <QContextMenuEvent>
#include <QFontMetricsF>
#include <QMenu>
#include <QPainter>
#include <QtMath>

TControl::TControl(QWidget* parent) : QWidget(parent)
{
    m_color = palette().color(QPalette::Button);
    m_fontColor = palette().color(QPalette::WindowText);
}

// A caption that keeps its font and place (the clock, second after second)
// repaints only from its first changed character on.
void TControl::setCaption(const QString& text)
{
    if (text == m_caption)
        return;
    if (!isVisible()) {
        // Nothing on screen to spare: the caption is fitted when first painted.
        m_caption = text;
        captionChanged();
        update();
        return;
    }
    const QString before = m_caption;
    refit();
    const QFont fontBefore = m_fitFont;
    const QPoint originBefore = m_fitOrigin;
    m_caption = text;
    captionChanged();
    refit();
    if (!before.isEmpty() && !text.isEmpty() && m_fitFont == fontBefore && m_fitOrigin == originBefore)
        update(changedPart(before));
    else
        update();
}

// The room the old and the new caption take from the character before the
// first one that differs, with a margin for kerning and antialiasing.
QRect TControl::changedPart(const QString& before) const
{
    qsizetype same = 0;
    while (same < before.size() && same < m_caption.size() && before[same] == m_caption[same])
        ++same;
    same = qMax<qsizetype>(0, same - 1);
    const QFontMetricsF metrics(m_fitFont);
    const qreal x = m_fitOrigin.x() + metrics.horizontalAdvance(m_caption.left(same));
    const QRectF ink = (metrics.boundingRect(before.mid(same)) | metrics.boundingRect(m_caption.mid(same)))
                           .translated(x, m_fitOrigin.y());
    const int margin = qCeil(metrics.averageCharWidth() / 2) + 2;
    return ink.toAlignedRect().adjusted(-margin, -margin, margin, margin) & rect();
}

void TControl::setAlign(TAlign align)
{
    m_align = align;
    if (parentWidget())
        alignChildren(parentWidget());
}

QColor TControl::color() const
{
    if (!m_parentColor)
        return m_color;
    if (const auto* owner = qobject_cast<const TControl*>(parentWidget()))
        return owner->color();
    return parentWidget() ? parentWidget()->palette().color(QPalette::Window) : m_color;
}

void TControl::setColor(const QColor& color)
{
    m_color = color;
    m_parentColor = false;
    update();
}

void TControl::setParentColor(bool follow)
{
    m_parentColor = follow;
    update();
}

void TControl::setFontColor(const QColor& color)
{
    m_fontColor = color;
    update();
}

QFont TControl::displayFont() const
{
    refit();
    return m_fitFont;
}

// Fits and places the caption again only when the text, the font or the room
// changed.
void TControl::refit() const
{
    const QRect box = textBox();
    const QRect visible = visibleBox();
    const QFont design = font();
    if (m_fitValid && m_fitCaption == m_caption && m_fitBox == box && m_fitVisible == visible && m_fitDesign == design
        && m_fitDesign.resolveMask() == design.resolveMask())
        return;
    const textfit::Placement placed = textfit::place(design, m_caption, box, visible, centred());
    m_fitFont = placed.font;
    m_fitOrigin = placed.origin;
    m_fitCaption = m_caption;
    m_fitDesign = design;
    m_fitBox = box;
    m_fitVisible = visible;
    m_fitValid = true;
}

void TControl::paintCaption(QPainter& painter) const
{
    if (m_caption.isEmpty())
        return;
    refit();
    painter.setFont(m_fitFont);
    painter.setPen(m_fontColor);
    painter.drawText(m_fitOrigin, m_caption);
}

void TControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    alignChildren(this);
}

void TControl::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_popupMenu) {
        event->ignore();
        return;
    }
    m_popupMenu->popup(event->globalPos());
    event->accept();
}

void TControl::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        captionChanged();
        update();
    }
}

void TControl::realignTree(QWidget* container)
{
    alignChildren(container);
    for (QObject* child : container->children()) {
        if (auto* widget = qobject_cast<TControl*>(child))
            realignTree(widget);
    }
}

// Aligned children take their place in this order: top, bottom, left, right,
// then client; within one kind, in creation order. Top and bottom span the
// remaining width, left and right the remaining height, client what is left.
void TControl::alignChildren(QWidget* container)
{
    QRect area = container->contentsRect();
    const TAlign order[] = {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient};
    for (TAlign kind : order) {
        for (QObject* object : container->children()) {
            auto* child = qobject_cast<TControl*>(object);
            if (!child || child->isHidden() || child->align() != kind)
                continue;
            QRect r = child->geometry();
            switch (kind) {
            case TAlign::alTop:
                r = QRect(area.left(), area.top(), area.width(), r.height());
                area.setTop(area.top() + r.height());
                break;
            case TAlign::alBottom:
                r = QRect(area.left(), area.bottom() + 1 - r.height(), area.width(), r.height());
                area.setBottom(area.bottom() - r.height());
                break;
            case TAlign::alLeft:
                r = QRect(area.left(), area.top(), r.width(), area.height());
                area.setLeft(area.left() + r.width());
                break;
            case TAlign::alRight:
                r = QRect(area.right() + 1 - r.width(), area.top(), r.width(), area.height());
                area.setRight(area.right() - r.width());
                break;
            case TAlign::alClient:
                r = area;
                break;
            case TAlign::alNone:
                break;
            }
            if (r.width() < 0)
                r.setWidth(0);
            if (r.height() < 0)
                r.setHeight(0);
            child->setGeometry(r);
        }
    }
}
