#include "display/ui/TextFit.h"

#include <QFontInfo>
#include <QFontMetrics>

namespace textfit {

namespace {

// What placing and fitting need of a text in one font; each of the two
// measures shapes the text once.
struct Medida {
    int avanco = 0;
    QRect tinta;
};

Medida mede(const QFontMetrics& fm, const QString& text)
{
    return {fm.horizontalAdvance(text), fm.tightBoundingRect(text)};
}

QPoint origemDe(const QFontMetrics& fm, const Medida& m, const QRect& box, const QRect& visible, bool centred)
{
    if (!centred) {
        QPoint at(box.left(), box.top() + fm.ascent());
        const QRect ink = m.tinta.translated(at);
        if (!ink.isEmpty())
            at += QPoint(qMax(0, visible.left() - ink.left()), qMax(0, visible.top() - ink.top()));
        return at;
    }
    const int x = box.left() + (box.width() - m.avanco) / 2;
    const int y = box.top() + (box.height() - fm.height()) / 2 + fm.ascent();
    return QPoint(x, y);
}

bool cabe(const QFontMetrics& fm, const Medida& m, const QRect& box, const QRect& visible, bool centred)
{
    if (m.avanco > box.width())
        return false;
    if (m.tinta.isEmpty())
        return true;
    return visible.contains(m.tinta.translated(origemDe(fm, m, box, visible, centred)));
}

int pixelSizeOf(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
}

} // namespace

QPoint origin(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    const QFontMetrics fm(font);
    return origemDe(fm, mede(fm, text), box, visible, centred);
}

bool fits(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    const QFontMetrics fm(font);
    return cabe(fm, mede(fm, text), box, visible, centred);
}

Placement place(const QFont& design, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    const QFontMetrics designMetrics(design);
    const Medida designMedida = mede(designMetrics, text);
    if (text.trimmed().isEmpty() || cabe(designMetrics, designMedida, box, visible, centred))
        return {design, origemDe(designMetrics, designMedida, box, visible, centred)};
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
    return {font, origin(font, text, box, visible, centred)};
}

QFont fit(const QFont& design, const QString& text, const QRect& box, const QRect& visible, bool centred)
{
    return place(design, text, box, visible, centred).font;
}

} // namespace textfit
