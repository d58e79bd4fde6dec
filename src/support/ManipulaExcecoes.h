#pragma once
#include "support/Errors.h"

// True when the failure means the database connection is gone: one of the two
// classic message fragments, or a client error code for a lost network link
// or attachment (which the newer client reports with other texts).
bool isCommunicationFailure(const QString& message, const QList<long>& codes);

// The application-wide handler for failures that escape an event: a lost
// database connection ends the process; anything else is shown and the
// program goes on.
void ManipulaExcecoes(const Exception& e);
void ManipulaExcecoes(const std::exception& e);
