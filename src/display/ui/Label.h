#pragma once
// A label: its caption at the top-left corner, on a transparent or opaque
// background. With autoSize on, a new caption or font resizes the label to the
// text, at most to the right edge of its parent; a text wider than that, or
// than a fixed-size label, is drawn with a smaller font.

#include "display/ui/Control.h"

class TLabel : public TControl {
    Q_OBJECT
public:
    explicit TLabel(QWidget* parent = nullptr);

    bool autoSize() const { return m_autoSize; }
    void setAutoSize(bool on);
    bool transparent() const { return m_transparent; }
    void setTransparent(bool on);
    // A sibling to the right whose left edge bounds an auto-sized label, as
    // the parent's right edge does.
    void setVizinhoADireita(QWidget* vizinho);

protected:
    QRect textBox() const override { return rect(); }
    QRect visibleBox() const override;
    bool centred() const override { return false; }
    void captionChanged() override;
    void paintEvent(QPaintEvent* event) override;

private:
    void adjustBounds();

    int direitaLivre() const;

    bool m_autoSize = true;
    QWidget* m_vizinho = nullptr;
    bool m_transparent = false;
};
