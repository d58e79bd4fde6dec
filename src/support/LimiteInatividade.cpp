#include "support/LimiteInatividade.h"

int limiteInatividadeMinutos(const QString& tempoLimiteLogout)
{
    const QString text = tempoLimiteLogout.trimmed();
    bool ok = false;
    const int minutes = text.toInt(&ok);
    if (!ok || minutes < 0 || text.startsWith(QLatin1Char('+')))
        return 60;
    return minutes;
}
