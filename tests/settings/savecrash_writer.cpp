// Child process of tst_savecrash: saves SaveCrash::List(1), List(2), ... to
// the Settings.ini given as its argument until it is killed. It prints one
// line after the first save is complete, so that the test's kills land among
// the saves rather than in the program's start-up.

#include "operators/OperatorStorage.h"
#include "tests/settings/SaveCrashList.h"

#include <QElapsedTimer>
#include <QString>
#include <cstdio>

namespace {

// Bounds in case nobody kills the writer.
constexpr int MaxRuns = 100000;
constexpr qint64 MaxMilliseconds = 60000;

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: savecrash_writer <Settings.ini>\n");
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    QElapsedTimer clock;
    clock.start();
    for (int run = 1; run <= MaxRuns && clock.elapsed() < MaxMilliseconds; ++run) {
        if (!WriteOperatorEntries(path, SaveCrash::List(run))) {
            std::fprintf(stderr, "save %d failed\n", run);
            return 1;
        }
        if (run == 1) {
            std::puts("saving");
            std::fflush(stdout);
        }
    }
    return 0;
}
