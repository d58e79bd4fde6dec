#pragma once
// A panel: background colour, a raised one-pixel bevel and its caption
// centred inside the bevel.

#include "display/ui/Control.h"

class TPanel : public TControl {
    Q_OBJECT
public:
    explicit TPanel(QWidget* parent = nullptr);

protected:
    QRect textBox() const override { return contentsRect(); }
    bool centred() const override { return true; }
    void paintEvent(QPaintEvent* event) override;
};
