#pragma once
// The name=value parameters of a database connection, in file order.

#include <QList>
#include <QPair>
#include <QString>

using ConnectionParams = QList<QPair<QString, QString>>;

// Value of a parameter: names match without regard to case and the first
// occurrence wins. Empty when absent; `found` tells the two apart.
QString paramValue(const ConnectionParams& params, const QString& name, bool* found = nullptr);
