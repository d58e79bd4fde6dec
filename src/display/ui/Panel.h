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

    // A panel that keeps coming back to the same few looks (a blinking
    // caption, the calls of a pass in turn) keeps up to `looks` of them and
    // repaints one by copying the pixels its caption changed, instead of
    // drawing its text again: text that large is filled glyph outline by
    // glyph outline every time. 0 (the default) keeps none.
    void setKeptLooks(int looks);

protected:
    QRect textBox() const override { return contentsRect(); }
    bool centred() const override { return true; }
    void paintEvent(QPaintEvent* event) override;

private:
    void paintBackground(QPainter& painter) const;
    void paintPanel(QPainter& painter) const;

    // The pixels of a look that differ from its background: its caption.
    struct Look {
        QString key;
        QPoint at;
        QImage ink;
    };
    Look renderLook(const QString& key) const;

    int m_keptLooks = 0;
    QList<Look> m_looks; // most recently shown first
};
