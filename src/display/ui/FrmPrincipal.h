#pragma once
#include <QWidget>

// The big display window of the waiting room.
class TFrmPrincipal : public QWidget {
    Q_OBJECT
public:
    explicit TFrmPrincipal(QWidget* parent = nullptr);
};
