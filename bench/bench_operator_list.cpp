// Saves and loads the largest operator list the format holds (32766 rows)
// and prints the time of each step in milliseconds.

#include "operators/OperatorStorage.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QTextStream>

namespace {

QList<OperatorEntry> MakeOperators()
{
    const QStringList firstNames{"Jürgen", "Anna",  "Björn",   "Zoë",   "Max",   "Éloïse",
                                 "Käthe",  "Özgür", "François", "Maëlle", "Sören", "Ines"};
    const QStringList surnames{"Weiß",   "Müller", "Groß-Schäfer", "Öztürk", "Lindström",
                               "Muster", "Jäger", "Fußmann",      "Nuñez",  "O'Brien"};
    QList<OperatorEntry> operators;
    operators.reserve(kMaxOperatorCount);
    for (int i = 0; i < kMaxOperatorCount; ++i) {
        const QString& first = firstNames.at(i % firstNames.size());
        const QString& surname = surnames.at((i / firstNames.size()) % surnames.size());
        const QString code = (first.left(1) + surname.left(1)).toUpper() + QString::number(i);
        operators.append({i == 4711 ? OperatorEntry::CheckedMarker : QString(), first, surname, code});
    }
    return operators;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTemporaryDir dir;
    if (!dir.isValid())
        return 1;
    const QString ini = dir.filePath(QStringLiteral("Settings.ini"));
    const QList<OperatorEntry> operators = MakeOperators();

    QElapsedTimer timer;
    const auto step = [&](const char* what, auto&& run) {
        timer.start();
        const bool ok = run();
        out << what << ": " << timer.elapsed() << " ms" << (ok ? "" : " (FAILED)") << Qt::endl;
        return ok;
    };

    bool ok = step("save 32766 operators to a new Settings.ini", [&] { return WriteOperatorEntries(ini, operators); });
    ok = step("save 32766 operators over the same list", [&] { return WriteOperatorEntries(ini, operators); }) && ok;
    QList<OperatorEntry> loaded;
    ok = step("load 32766 operators", [&] {
        loaded = ReadOperatorEntries(ini, ReadOperatorCount(ini));
        return loaded == operators;
    }) && ok;
    out << "file size: " << QFileInfo(ini).size() << " bytes" << Qt::endl;
    return ok ? 0 : 1;
}
