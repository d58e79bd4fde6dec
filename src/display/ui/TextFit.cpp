#include "display/ui/TextFit.h"

#include <QFontInfo>
#include <QFontMetrics>

namespace textfit {

QPoint origin(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    const QFontMetrics fm(font);
    if (!centred) {
        QPoint at(box.left(), box.top() + fm.ascent());
        const QRect ink = fm.tightBoundingRect(text).translated(at);
        if (!ink.isEmpty())
            at += QPoint(qMax(0, visible.left() - ink.left()), qMax(0, visible.top() - ink.top()));
        return at;
    }
    const int x = box.left() + (box.width() - fm.horizontalAdvance(text)) / 2;
    const int y = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    return QPoint(x, y);
}

bool fits(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    const QFontMetrics fm(font);
    if (fm.horizontalAdvance(text) > box.width())
        return false;
    const QRect ink = fm.tightBoundingRect(text);
    if (ink.isEmpty())
        return true;
    return visible.contains(ink.translated(origin(font, text, box, visible, centred)));
}

static int pixelSizeOf(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

QFont fit(const QFont& design, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    if (text.trimmed().isEmpty() || fits(design, text, box, visible, centred))
        return design;
    // Binary search for the largest pixel size that fits.
    QFont font = design;
    int low = 1;
    int high = pixelSizeOf(design) - 1;
    int best = 1;
    while (low <= high) {
        const int mid = (low + high) / 2;
        font.setPixelSize(mid);
        if (fits(font, text, box, visible, centred)) {
            best = mid;
            low = mid + 1;
        } else {
            high = mid - 1;
        }
    }
    font.setPixelSize(best);
    return font;
}

}
