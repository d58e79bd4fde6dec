#pragma once
#include "base/Errors.h"

// True when the failure means the database connection is gone: one of the two
// classic message fragments, or a client error code for a lost network link
// or attachment (which the newer client reports with other texts).
bool isCommunicationFailure(const QString& message, const QList<long>& codes);
// The same test for any failure: its message, and its codes when the database client raised it.
bool isCommunicationFailure(const std::exception& failure);

// The text of the fatal exit that ends the process for a lost connection.
QString mensagemFalhaDeComunicacao();

// The application-wide handler for failures that escape an event: a lost
// database connection ends the process; anything else is shown and the
// program goes on.
void ManipulaExcecoes(const Exception& e);
void ManipulaExcecoes(const std::exception& e);
