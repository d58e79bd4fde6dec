#pragma once
// The server's access plan for a statement, as it would run it.

#include "data/FbClient.h"

#include <QString>

// Prepares `sql` (":NAME" parameters allowed) on the connection, without
// running it, and returns the plan the server reports, trimmed. Throws
// EDatabaseError when the server refuses the statement.
QString fbStatementPlan(FbConnection& connection, const QString& sql);
