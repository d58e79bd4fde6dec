#pragma once
#include <QString>

// The inactivity limit in minutes for the company's TEMPOLIMITELOGOUT text:
// a whole number n of 0 or more means n minutes; anything else (empty, negative,
// not a number) means the one-hour default.
int limiteInatividadeMinutos(const QString& tempoLimiteLogout);
