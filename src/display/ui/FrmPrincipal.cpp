#include "display/ui/FrmPrincipal.h"

TFrmPrincipal::TFrmPrincipal(QWidget* parent) : QWidget(parent) {}
