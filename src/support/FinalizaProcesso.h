#pragma once
#include <QString>

// Ends at once every running process whose executable matches: by full path
// when the argument has a directory part, else by file name; ASCII letter case
// ignored. Processes are visited in list order; when this program itself
// matches, its own end stops the walk.
void FinalizaProcesso(const QString& executable);
