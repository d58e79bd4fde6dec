#pragma once
// Soak run of the whole program: the display program runs with its window,
// walker, spoken calls and sound (as its settings beside it say) while an
// attendant makes a new call every few seconds, each replacing the oldest of
// five called tickets. Its anonymous memory (RssAnon), open files and
// threads are sampled from /proc, printed at the start, after the warm-up
// and every 1,000 calls, and summed up with the growth per 1,000 calls, the
// medians of the first and last half hour after the warm-up, and the growth
// per hour of a stretch of passes without calls at the end.

#include <QString>
#include <QStringList>

struct SoakProgramOptions {
    QString database;
    QString program; // the executable, its settings in its folder
    QStringList wrapper; // e.g. heaptrack -o <file>; the program is then killed at the end
    QString log; // its standard output and error
    QString data; // every sample, tab-separated (none when empty)
    int calls = 2000;
    double interval = 1; // seconds between calls
    int warmup = 100; // calls
    int quietMinutes = 0; // passes without calls after the last call
    int sampleSeconds = 30;
};

int runSoakProgram(const SoakProgramOptions& options);
