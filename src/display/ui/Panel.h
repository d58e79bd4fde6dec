#pragma once
// A panel: background colour, a raised one-pixel bevel and its caption
// centred inside the bevel.

#include "display/ui/Control.h"

#include <QImage>
#include <QList>

class TPanel : public TControl {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

    // A panel that keeps changing between the same few looks (a blinking
    // caption) keeps its last two renderings and repaints by copying one,
    // instead of drawing its text again each time.
    void setKeepsRenderings(bool on);

protected:
    QRect textBox() const override { return contentsRect(); }
    bool centred() const override { return true; }
    void paintEvent(QPaintEvent* event) override;

private:
    void paintPanel(QPainter& painter) const;

    struct Rendering {
        QString key;
        QImage image;
    };
    bool m_keepsRenderings = false;
    QList<Rendering> m_renderings;
};
