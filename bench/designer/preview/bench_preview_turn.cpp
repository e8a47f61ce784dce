// Turning pages in the print preview: a label of three texts bound to an SQLite table of
// 10,000 records, 5 x 5 labels on an A4 sheet (400 pages). One turn is the step to the next
// page, fetching the page (from the label's page cache, rendering what is missing) and
// painting it at fit-one-page in a 600 x 800 window.
//
// BM_Turn turns forward from page 5 or page 385 through ten pages, after the preview has
// been built afresh (not timed), and reports the pages rendered per turn (the label's and the
// window's). BM_RenderPage renders one page alone; BM_PaintCachedPage paints the page on show
// again. Goals: a turn near page 400 within 1.5x of a turn near page 5, at most two renders
// a turn, painting a held page at most a quarter of a render, a turn well under 50 ms.
#include "component/KXLab.h"
#include "data/KXSqliteDataset.h"
#include "elements/KXText.h"
#include "platform/KXMetafile.h"
#include "print/KXPreview.h"
#include "preview/KXPreviewWindow.h"

#include <QApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>
#include <string>

namespace {

using namespace kx;
using namespace kx::designer;

constexpr int Records = 10000;

// A database file with a table "items" of Records rows: a name, a code and a price.
QString Database()
{
    static QTemporaryDir dir;
    static const QString file = [] {
        const QString f = dir.filePath(QStringLiteral("items.db"));
        sqlite3 *db = nullptr;
        sqlite3_open(f.toUtf8().constData(), &db);
        sqlite3_exec(db, "CREATE TABLE items (name VARCHAR(40), code VARCHAR(20), price REAL)", nullptr, nullptr,
                     nullptr);
        sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
        sqlite3_stmt *insert = nullptr;
        sqlite3_prepare_v2(db, "INSERT INTO items VALUES (?, ?, ?)", -1, &insert, nullptr);
        for (int i = 1; i <= Records; ++i) {
            const std::string name = "Article number " + std::to_string(i);
            const std::string code = "A-" + std::to_string(100000 + i);
            sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_text(insert, 2, code.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_double(insert, 3, i * 0.25);
            sqlite3_step(insert);
            sqlite3_reset(insert);
        }
        sqlite3_finalize(insert);
        sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
        sqlite3_close(db);
        return f;
    }();
    return file;
}

// The bound label and its preview window, built once.
struct TPreview {
    QObject Module;
    TKXLab Lab;
    std::unique_ptr<TKxPrw> Window;

    TPreview()
    {
        auto *items = new TKXSqliteDataSet(QStringLiteral("Items"), &Module);
        items->SetDatabaseName(Database());
        items->SetTableName(QStringLiteral("items"));
        Lab.SetDataMod(&Module);
        Lab.SetLinkData(true);
        Lab.SetOpenCloseData(true);
        Lab.SetDatasetName(QStringLiteral("Items"));
        TKXMeasure &m = *Lab.Measure();
        m.SetLabelSizeMM(42, 59.4f); // 5 x 5 on A4, no margins or gaps
        m.SetNuVer(5);
        m.SetNuHor(5);
        m.SetMarLeft(0);
        m.SetMarTop(0);
        m.SetDiHor(0);
        m.SetDiVer(0);
        const char *fields[] = {"name", "code", "price"};
        for (int i = 0; i < 3; ++i) {
            auto *t = Lab.NewElement<TKXText>();
            t->SetData(true);
            t->SetFieldName(QString::fromLatin1(fields[i]));
            t->SetP1(200, 300 + i * 800);
        }
        Lab.Printer().SelectPdfFile({});
        Window = std::make_unique<TKxPrw>();
        Window->resize(600, 830);
        Rebuild();
        Window->show();
        QApplication::processEvents();
    }

    // A fresh preview (an empty cache but for pages 1 to 4 and the last four) on page 1.
    void Rebuild()
    {
        Lab.BuildOnDemandPreview();
        Window->Ini(Lab);
    }

    std::set<int32_t> Cached() const
    {
        std::set<int32_t> pages;
        for (const TKXPagePreview &p : Lab.PreviewPages())
            pages.insert(p.PageNo);
        return pages;
    }
};

TPreview &Preview()
{
    static TPreview preview;
    return preview;
}

void BM_Turn(benchmark::State &state)
{
    TPreview &p = Preview();
    const int32_t start = int32_t(state.range(0));
    constexpr int32_t Turns = 10;
    int64_t renders = 0, turns = 0;
    int32_t left = 0;
    for (auto _ : state) {
        if (left == 0) {
            state.PauseTiming();
            p.Rebuild();
            p.Window->GoToPage(start);
            p.Window->pnPaper->repaint();
            left = Turns;
            state.ResumeTiming();
        }
        state.PauseTiming();
        const std::set<int32_t> before = p.Cached();
        const int32_t own = p.Window->PagesRendered();
        state.ResumeTiming();

        p.Window->TbPageNextClick();
        p.Window->pnPaper->repaint();

        state.PauseTiming();
        const std::set<int32_t> after = p.Cached();
        renders += std::count_if(after.begin(), after.end(), [&](int32_t n) { return !before.count(n); });
        renders += p.Window->PagesRendered() - own;
        ++turns;
        --left;
        state.ResumeTiming();
    }
    state.counters["renders/turn"] = double(renders) / double(std::max<int64_t>(1, turns));
    state.counters["pages"] = p.Lab.TotalPages();
}

void BM_RenderPage(benchmark::State &state)
{
    TPreview &p = Preview();
    const int32_t page = int32_t(state.range(0));
    for (auto _ : state) {
        auto mf = p.Lab.BuildPreviewPage(page);
        benchmark::DoNotOptimize(mf.get());
    }
}

void BM_PaintCachedPage(benchmark::State &state)
{
    TPreview &p = Preview();
    p.Rebuild();
    p.Window->GoToPage(int32_t(state.range(0)));
    for (auto _ : state)
        p.Window->pnPaper->repaint();
}

BENCHMARK(BM_Turn)->Arg(5)->Arg(385)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderPage)->Arg(5)->Arg(395)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PaintCachedPage)->Arg(5)->Arg(395)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
