#pragma once
#include <QString>

// The value in fixed-point notation with `decimals` decimals, padded on the
// left with "0" up to `minWidth` characters; a longer text is kept whole.
QString FormataComZeros(double value, int minWidth, int decimals);
