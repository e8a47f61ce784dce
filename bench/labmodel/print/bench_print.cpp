// Print-run speed and memory: labels bound to an SQLite table, 3 x 10 labels on an A4 sheet,
// printed into a PDF file through the printer port. Two labels: three texts (name, code and
// price), and the mixed label people print most (the name as a text, the code as a Code 128
// barcode and a URL as a QR Code). Run with 1,000, 10,000 and 100,000 records; the counters
// give labels per second and the peak resident memory of the run (the process's high-water
// mark is reset before each run), which must not grow with the number of records: the
// dataset streams its records and the PDF is written page by page.
// ZANTOR_BENCH_KEEP=<file> keeps a copy of the last PDF printed, to look at.
#include "data/KXSqliteDataset.h"
#include "document/KXBaseLab.h"
#include "elements/KXBarCode.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXText.h"
#include "platform/KXPrinterPort.h"

#include <QFile>
#include <QGuiApplication>
#include <QObject>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <string>

namespace {

QTemporaryDir &WorkDir()
{
    static QTemporaryDir dir;
    return dir;
}

// A database file with a table "items" of Records rows: a name, a code, a price and a URL.
QString Database(int Records)
{
    static std::map<int, QString> made;
    if (auto it = made.find(Records); it != made.end())
        return it->second;
    const QString file = WorkDir().filePath(QStringLiteral("items%1.db").arg(Records));
    sqlite3 *db = nullptr;
    sqlite3_open(file.toUtf8().constData(), &db);
    sqlite3_exec(db, "CREATE TABLE items (name VARCHAR(40), code VARCHAR(20), price REAL, url VARCHAR(60))",
                 nullptr, nullptr, nullptr);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?, ?, ?, ?)", -1, &insert, nullptr);
    for (int i = 1; i <= Records; ++i) {
        const std::string name = "Article number " + std::to_string(i);
        const std::string code = "A-" + std::to_string(100000 + i);
        sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(insert, 2, code.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_double(insert, 3, i * 0.25);
        const std::string url = "https://shop.example/item/" + std::to_string(100000 + i);
        sqlite3_bind_text(insert, 4, url.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_step(insert);
        sqlite3_reset(insert);
    }
    sqlite3_finalize(insert);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    made[Records] = file;
    return file;
}

// Linux: forget the resident-memory high-water mark, and read it (kB).
void ResetPeakMemory()
{
    std::ofstream("/proc/self/clear_refs") << "5";
}

long PeakMemoryKB()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    long value = 0;
    while (status >> key) {
        if (key == "VmHWM:") {
            status >> value;
            return value;
        }
        status.ignore(1 << 12, '\n');
    }
    return 0;
}

enum class TLabel { ThreeTexts, Mixed };

void PrintRun(int Records, const QString &Pdf, TLabel Kind)
{
    QObject module;
    auto *items = new kx::TKXSqliteDataSet(QStringLiteral("Items"), &module);
    items->SetDatabaseName(Database(Records));
    items->SetTableName(QStringLiteral("items"));

    kx::TKXCustomLab lab;
    lab.SetDataMod(&module);
    lab.SetLinkData(true);
    lab.SetOpenCloseData(true);
    lab.SetDatasetName(QStringLiteral("Items"));
    kx::TKXMeasure &m = *lab.Measure();
    m.SetLabelSizeMM(70, 29.7f); // 3 x 10 on A4, no margins or gaps
    m.SetNuVer(3);
    m.SetNuHor(10);
    m.SetMarLeft(0);
    m.SetMarTop(0);
    m.SetDiHor(0);
    m.SetDiVer(0);
    if (Kind == TLabel::ThreeTexts) {
        const char *fields[] = {"name", "code", "price"};
        for (int i = 0; i < 3; ++i) {
            auto *t = lab.NewElement<kx::TKXText>();
            t->SetData(true);
            t->SetFieldName(QString::fromLatin1(fields[i]));
            t->SetP1(300, 300 + i * 800);
        }
    } else {
        auto *t = lab.NewElement<kx::TKXText>();
        t->SetData(true);
        t->SetFieldName(QStringLiteral("name"));
        t->SetP1(300, 200);
        auto *bar = lab.NewElement<kx::TKXBarCode>();
        bar->SetCodeType(kx::TKXBar::CODE128B);
        bar->SetBarWidth(0.25f);
        bar->SetBHeight(10);
        bar->SetData(true);
        bar->SetFieldName(QStringLiteral("code"));
        bar->SetP1(300, 900);
        auto *qr = lab.NewElement<kx::TKXQRCode>();
        qr->SetLeftMargin(1);
        qr->SetData(true);
        qr->SetFieldName(QStringLiteral("url"));
        qr->SetP1(4600, 200);
    }
    lab.Printer().SelectPdfFile(Pdf);
    lab.PrintLabels(-1, kx::TKXPrintKind::pkDriver);
    if (std::getenv("ZANTOR_BENCH_KEEP"))
        QFile::copy(Pdf, QString::fromLocal8Bit(std::getenv("ZANTOR_BENCH_KEEP")));
}

void Run(benchmark::State &state, TLabel Kind)
{
    const int records = int(state.range(0));
    Database(records); // made before the clock runs
    const QString pdf = WorkDir().filePath(QStringLiteral("run%1.pdf").arg(records));
    long peak = 0;
    for (auto _ : state) {
        ResetPeakMemory();
        PrintRun(records, pdf, Kind);
        peak = std::max(peak, PeakMemoryKB());
    }
    state.counters["labels/s"] =
        benchmark::Counter(double(records) * double(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["peak_MB"] = double(peak) / 1024.0;
    state.counters["pages"] = double((records + 29) / 30);
}

void BM_PrintSqliteToPdf(benchmark::State &state)
{
    Run(state, TLabel::ThreeTexts);
}

void BM_PrintMixedLabelToPdf(benchmark::State &state)
{
    Run(state, TLabel::Mixed);
}

BENCHMARK(BM_PrintSqliteToPdf)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);
BENCHMARK(BM_PrintMixedLabelToPdf)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
