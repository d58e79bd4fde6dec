#include "base/FormataComZeros.h"

QString FormataComZeros(double value, int minWidth, int decimals)
{
    QString text = QString::number(value, 'f', qMax(0, decimals)).trimmed();
    if (text.size() < minWidth)
        text.prepend(QString(minWidth - text.size(), QLatin1Char('0')));
    return text;
}
