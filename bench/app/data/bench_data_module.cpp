// Loading the catalogue at the program's start: a database of 50 tables of 20 fields each
// (a text, a number, a date-time and a decimal field in turn), 100 records per table, read
// into 50 open table datasets and 50 dataset items of a label (CargaDatos). The goal is a
// load under 50 ms. A second run adds a linked table with 5 fields to every main table.
#include "data/KXDataModule.h"
#include "document/KXBaseLab.h"

#include <QGuiApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdlib>
#include <memory>

using namespace kx;

namespace {

QTemporaryDir &WorkDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A database of Tables main tables of 20 fields, each with 100 records; with Linked, every
// main table gets a linked table of 5 fields and 2 records per main record.
QString Database(int Tables, bool Linked)
{
    const QString file = WorkDir().filePath(QStringLiteral("catalogue_%1_%2.db").arg(Tables).arg(Linked));
    if (QFile::exists(file))
        return file;
    TDM dm(file);
    if (!dm.ConectaDatosSqlite())
        std::abort();
    for (int t = 0; t < Tables; ++t) {
        const int32_t id = dm.CreateTableSqlite(QStringLiteral("Table %1").arg(t));
        for (int f = 0; f < 20; ++f)
            dm.AddFieldSqlite(id, QStringLiteral("Field %1").arg(f), f % 4 == 0 ? 0 : f % 4 == 1 ? 1 : f % 4 == 2 ? 2 : 4, 40);
        if (Linked) {
            const int32_t detail = dm.CreateTableSqlite(QStringLiteral("Lines %1").arg(t), id);
            for (int f = 0; f < 5; ++f)
                dm.AddFieldSqlite(detail, QStringLiteral("Line field %1").arg(f), f % 2, 20);
        }
    }
    sqlite3 *db = dm.Handle();
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int t = 0; t < Tables; ++t) {
        for (int r = 0; r < 100; ++r) {
            const QString sql = QStringLiteral("INSERT INTO TABLE%1(FIELD0, FIELD1, FIELD2, FIELD3) VALUES ('record %2', %2, 45352.5, 1.5)")
                                    .arg(t)
                                    .arg(r);
            sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
            if (Linked)
                for (int k = 0; k < 2; ++k) {
                    const QString line = QStringLiteral("INSERT INTO LINES%1(ID_PARENT, LINEFIELD0) VALUES (%2, 'line')")
                                             .arg(t)
                                             .arg(r + 1);
                    sqlite3_exec(db, line.toUtf8().constData(), nullptr, nullptr, nullptr);
                }
        }
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    return file;
}

void BM_CargaDatos(benchmark::State &State)
{
    const int tables = int(State.range(0));
    const bool linked = State.range(1) != 0;
    TDM dm(Database(tables, linked));
    if (!dm.ConectaDatosSqlite())
        std::abort();
    TKXCustomLab lab;
    lab.SetDataMod(&dm);
    for (auto _ : State) {
        dm.CargaDatos(lab);
        benchmark::DoNotOptimize(lab.Datasets().Count());
    }
    if (lab.Datasets().Count() != tables || int(dm.Tables().size()) != tables * (linked ? 2 : 1))
        State.SkipWithError("the catalogue did not load");
    State.counters["tables"] = double(dm.Tables().size());
}

} // namespace

BENCHMARK(BM_CargaDatos)->Args({50, 0})->Args({50, 1})->Unit(benchmark::kMillisecond);

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
