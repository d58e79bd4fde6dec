#pragma once
// Fitting a one-line caption into a box: the largest font, no larger than the
// design font, with which the whole text (advance and ink) lies inside the
// room the control shows. Big call texts must never be cut off.

#include <QFont>
#include <QPoint>
#include <QRect>
#include <QString>

namespace textfit {

// Baseline origin of the text: centred in the box, or at its top-left corner,
// moved right or down just enough for the ink to clear the visible edges (a
// label set at the very edge of its parent would otherwise lose a pixel row).
QPoint origin(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred);

// True when the text, placed as origin() says, stays inside both rectangles:
// its advance within the box width, its ink within the visible rectangle.
bool fits(const QFont& font, const QString& text, const QRect& box, const QRect& visible, bool centred);

// The design font when the text fits, otherwise the same font at the largest
// smaller pixel size that fits (1 pixel at the least).
QFont fit(const QFont& design, const QString& text, const QRect& box, const QRect& visible, bool centred);

// The fitted font and the origin of the text in it, measuring the text once
// when the design font fits.
struct Placement {
    QFont font;
    QPoint origin;
};
Placement place(const QFont& design, const QString& text, const QRect& box, const QRect& visible, bool centred);

} // namespace textfit
