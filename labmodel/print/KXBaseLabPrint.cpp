// The label document's sheet rendering, print run and preview.
#include "document/KXBaseLab.h"
#include "print/KXPreview.h"
#include "print/KXPrintRun.h"

#include "core/KXError.h"
#include "core/KXUtils.h"
#include "data/KXDataset.h"
#include "platform/KXPrinterPort.h"
#include "platform/KXQtCanvas.h"
#include "print/KXSheetRender.h"

#include <algorithm>
#include <limits>

namespace kx {

namespace {

const QString JobPrefix = QStringLiteral("ZANTOR VCL PRINT: ");

int32_t ClampToInt32(int64_t v)
{
    return int32_t(std::clamp<int64_t>(v, 0, std::numeric_limits<int32_t>::max()));
}

// The document's own binding and counters.
class TKXDocumentRunData final : public TKXRunData {
public:
    explicit TKXDocumentRunData(TKXCustomLab &Lab) : FLab(Lab) {}

    bool ValidateData() override { return FLab.ValidateData(true, true, false); }
    TKXDataSet *Master() override { return FLab.DataSet(); }
    TKXDataSet *Detail() override { return FLab.Detail(); }
    int32_t InitCounters() override { return FLab.InitCounters(); }
    void StepCounters() override { FLab.StepCounters(); }
    void SetCountersToLabel(int32_t n) override { FLab.SetCountersToLabel(n); }
    std::vector<int64_t> CounterValues() override
    {
        std::vector<int64_t> values;
        for (int32_t i = 1; i <= FLab.CounterCount(); ++i)
            values.push_back(FLab.GetCounter(i)->Counter);
        return values;
    }
    void RestoreCounterValues(const std::vector<int64_t> &Values) override
    {
        for (int32_t i = 1; i <= FLab.CounterCount() && size_t(i) <= Values.size(); ++i) {
            TKXCounter &c = *FLab.GetCounter(i);
            c.Counter = Values[size_t(i - 1)];
            c.FormatValue();
        }
    }

private:
    TKXCustomLab &FLab;
};

// Keeps the label's modified state through a run: counting labels and forcing the
// repetition of a fixed run are no change of the user's.
class TKXKeepModified {
public:
    explicit TKXKeepModified(TKXCustomLab &Lab) : FLab(Lab), FWas(Lab.Modified()) {}
    ~TKXKeepModified() { FLab.SetModified(FWas); }
    TKXKeepModified(const TKXKeepModified &) = delete;
    TKXKeepModified &operator=(const TKXKeepModified &) = delete;

private:
    TKXCustomLab &FLab;
    bool FWas;
};

// Bound controls of a dataset off for a scope.
class TKXControlsOff {
public:
    explicit TKXControlsOff(TKXDataSet *DataSet) : FDataSet(DataSet)
    {
        if (FDataSet)
            FDataSet->DisableControls();
    }
    ~TKXControlsOff()
    {
        if (FDataSet)
            FDataSet->EnableControls();
    }
    TKXControlsOff(const TKXControlsOff &) = delete;
    TKXControlsOff &operator=(const TKXControlsOff &) = delete;

private:
    TKXDataSet *FDataSet;
};

// The walked dataset's controls, switched off by the run, back on when the run ends.
class TKXRunLock {
public:
    explicit TKXRunLock(TKXCustomLab &Lab) : FLab(Lab) {}
    ~TKXRunLock()
    {
        if (FLocked)
            FLab.LockDataControls(true);
    }
    void Lock()
    {
        if (!FLocked) {
            FLab.LockDataControls(false);
            FLocked = true;
        }
    }
    TKXRunLock(const TKXRunLock &) = delete;
    TKXRunLock &operator=(const TKXRunLock &) = delete;

private:
    TKXCustomLab &FLab;
    bool FLocked = false;
};

// Where the master stood and what the counters read; put back when the scope ends.
class TKXKeepPosition {
public:
    explicit TKXKeepPosition(TKXRunData &Data) : FData(Data), FCounters(Data.CounterValues())
    {
        if (TKXDataSet *m = Data.Master(); m && m->Active())
            FRecNo = m->RecNo();
    }
    ~TKXKeepPosition()
    {
        try {
            if (TKXDataSet *m = FData.Master(); m && m->Active() && FRecNo > 0) {
                TKXControlsOff off(m);
                m->First();
                m->MoveBy(FRecNo - 1);
            }
            FData.RestoreCounterValues(FCounters);
        } catch (const EKxError &) {
            // A dataset closed meanwhile has no position to go back to.
        }
    }
    TKXKeepPosition(const TKXKeepPosition &) = delete;
    TKXKeepPosition &operator=(const TKXKeepPosition &) = delete;

private:
    TKXRunData &FData;
    std::vector<int64_t> FCounters;
    int FRecNo = 0;
};

// The pages of a print job on the printer port.
class TKXPrinterPages final : public TKXPageTarget {
public:
    TKXPrinterPages(TKXPrinterPort &Port, TPoint Offset) : FPort(Port), FOffset(Offset) {}
    TKXDrawType DrawType() const override { return TKXDrawType::tdPrint; }
    TKXCanvas &BeginPage(int32_t PageNo) override
    {
        // The job's first sheet is begun with the job.
        if (PageNo > 1 && !FPort.NewPage())
            throw EKxError("PRINT JOB FAILED");
        TKXCanvas *canvas = FPort.Canvas();
        if (!canvas)
            throw EKxError("PRINT JOB FAILED");
        return *canvas;
    }
    void EndPage(int32_t) override {}
    TPoint Offset() const override { return FOffset; }

private:
    TKXPrinterPort &FPort;
    TPoint FOffset;
};

} // namespace

// ---------------------------------------------------------------------------------------
// Sheet rendering

void TKXCustomLab::PaintBackSurf(TKXCanvas &Canvas, int32_t x, int32_t y, TKXDrawType DrawType,
                                 const TRect &R, TColor SurfaceColor)
{
    TKXSheetRender::PaintBackSurf(*this, Canvas, x, y, DrawType, R, SurfaceColor);
}

void TKXCustomLab::PaintFrame(TKXCanvas &Canvas, int32_t x, int32_t y)
{
    TKXSheetRender::PaintFrame(*this, Canvas, x, y);
}

void TKXCustomLab::PaintTitle(TKXCanvas &Canvas) { TKXSheetRender::PaintTitle(*this, Canvas); }

void TKXCustomLab::PaintTitle(TKXCanvas &Canvas, const QString &Text)
{
    TKXSheetRender::PaintTitle(*this, Canvas, Text);
}

void TKXCustomLab::PaintAlignLines(TKXCanvas &Canvas, bool Skip)
{
    TKXSheetRender::PaintAlignLines(*this, Canvas, Skip);
}

// ---------------------------------------------------------------------------------------
// Printer and binding

TKXPrinterPort &TKXCustomLab::Printer()
{
    if (!FPrinter)
        FPrinter = std::make_unique<TKXPrinterPort>();
    return *FPrinter;
}

TKXRunData &TKXCustomLab::RunData()
{
    if (FRunData)
        return *FRunData;
    if (!FOwnRunData)
        FOwnRunData = std::make_unique<TKXDocumentRunData>(*this);
    return *FOwnRunData;
}

void TKXCustomLab::LockDataControls(bool Enable)
{
    TKXRunData &data = RunData();
    TKXDataSet *walked = FPrintInfo->FindDetail ? data.Detail() : data.Master();
    if (!walked)
        return;
    if (Enable)
        walked->EnableControls();
    else
        walked->DisableControls();
}

// ---------------------------------------------------------------------------------------
// Counting

void TKXCustomLab::GoToFirstLab()
{
    TKXDataSet *master = RunData().Master();
    if (!master)
        return;
    master->First();
    if (FPrintInfo->FirstLab() > 1)
        master->MoveBy(FPrintInfo->FirstLab() - 1);
}

namespace {

// The repetition field of the master's current record; false when it cannot be read.
bool ReadRepetition(TKXDataSet *Master, const QString &FieldName, int64_t &Value)
{
    if (!Master || FieldName.isEmpty() || !Master->Active())
        return false;
    const TKXField *field = Master->FindField(FieldName);
    return field && !field->IsNull() && field->TryAsLargeInt(Value);
}

} // namespace

void TKXCustomLab::CountLabelsToPrint()
{
    TKXPrintInfo &pi = *FPrintInfo;
    TKXDataSet *master = RunData().Master();
    const int64_t rep = pi.Repetition();
    int64_t labels = pi.LastLab() <= 0 ? rep * pi.NumLabs() : int64_t(pi.LastLab() - pi.FirstLab() + 1) * rep;
    if (master && master->Active()) {
        TKXControlsOff off(master);
        GoToFirstLab();
        int64_t value = 0;
        if (!master->Eof() && ReadRepetition(master, pi.FieldRepetition(), value)) {
            // The sum over the print range; a record whose field does not read counts
            // Repetition, one of 0 or less prints nothing.
            const int64_t last = pi.LastLab() > 0 ? pi.LastLab() : std::numeric_limits<int64_t>::max();
            int64_t sum = 0;
            for (int64_t recNo = pi.FirstLab(); recNo <= last; ++recNo) {
                int64_t v = rep;
                ReadRepetition(master, pi.FieldRepetition(), v);
                sum += std::max<int64_t>(0, v);
                master->Next();
                if (master->Eof())
                    break;
            }
            labels = sum;
            GoToFirstLab();
        }
    }
    pi.LabelsToPrint = ClampToInt32(labels);
}

int64_t TKXCustomLab::GetRecordRepetition()
{
    const TKXPrintInfo &pi = *FPrintInfo;
    const bool fromData = pi.FillType == TKXFillType::ftField || pi.FillType == TKXFillType::ftFieldCounter;
    int64_t value = pi.Repetition();
    if (fromData && !pi.FieldRepetition().isEmpty())
        ReadRepetition(RunData().Master(), pi.FieldRepetition(), value);
    return value;
}

int64_t TKXCustomLab::SeekLabel(int64_t Count)
{
    const TKXPrintInfo &pi = *FPrintInfo;
    TKXDataSet *master = RunData().Master();
    const bool fromData = pi.FillType == TKXFillType::ftField || pi.FillType == TKXFillType::ftFieldCounter;
    int64_t value = 0;
    if (fromData && master && master->Active() && ReadRepetition(master, pi.FieldRepetition(), value)) {
        TKXControlsOff off(master);
        GoToFirstLab();
        const int64_t last = pi.LastLab() > 0 ? pi.LastLab() : std::numeric_limits<int64_t>::max();
        int64_t counted = 0;
        for (int64_t recNo = pi.FirstLab(); recNo <= last && !master->Eof(); ++recNo) {
            const int64_t labels = std::max<int64_t>(0, GetRecordRepetition());
            if (Count < counted + labels)
                return counted + labels - Count;
            counted += labels;
            master->Next();
        }
        return 0; // past the run's last label
    }
    const int64_t rep = std::max(1, pi.Repetition());
    if (master && master->Active()) {
        TKXControlsOff off(master);
        GoToFirstLab();
        master->MoveBy(int(std::min<int64_t>(Count / rep, std::numeric_limits<int>::max())));
    }
    return rep - Count % rep;
}

// ---------------------------------------------------------------------------------------
// Printer set-up

namespace {

// The measure's sheet in tenths of a millimetre (halves to even), back in hundredths.
int32_t SheetLength(int32_t Hundredths) { return Round(Hundredths / 10.0L) * 10; }

QPageLayout::Orientation OrientationOf(TPrinterOrientation o)
{
    return o == TPrinterOrientation::poLandscape ? QPageLayout::Landscape : QPageLayout::Portrait;
}

} // namespace

void TKXCustomLab::ApplyPrintInfo()
{
    TKXPrinterPort &port = Printer();
    // A printer chosen for this run by its index stays; otherwise the one the label names.
    if (!FKeepPrinter) {
        const QString name = TKXPrinterPort::FindPrinter(FPrintInfo->PrinterName(), FPrintInfo->PrinterIndex());
        if (!name.isEmpty())
            port.SelectPrinter(name);
    }
    port.SetCopies(FPrintInfo->Copies());
    port.SetPaperSize(SheetLength(FMeasure->PaperWidthInternal()), SheetLength(FMeasure->PaperHeightInternal()));
    port.SetOrientation(OrientationOf(FPrintInfo->Orientation()));
}

void TKXCustomLab::SetPrinterDevMode()
{
    if (!FMakeAdjustPrint)
        return;
    TKXPrinterPort &port = Printer();
    if (!port.Valid())
        throw EKxError("CANT INITIALIZE DEVMODE STRUCT");
    if (FPrintInfo->Copies() > 0)
        port.SetCopies(FPrintInfo->Copies());
    port.SetOrientation(OrientationOf(FPrintInfo->Orientation()));
    port.SetPaperSize(SheetLength(FMeasure->PaperWidthInternal()), SheetLength(FMeasure->PaperHeightInternal()));
}

void TKXCustomLab::AdjustPrinter()
{
    if (!FPrintInfo->PrinterName().isEmpty())
        ApplyPrintInfo();
}

void TKXCustomLab::SetUpPrinter()
{
    if (FMakeAdjustPrint) {
        if (!FPrintInfo->PrinterName().isEmpty())
            ApplyPrintInfo();
        else
            SetPrinterDevMode();
    } else {
        Printer().SetCopies(FPrintInfo->Copies());
        Printer().SetOrientation(OrientationOf(FPrintInfo->Orientation()));
    }
}

// ---------------------------------------------------------------------------------------
// The run

bool TKXCustomLab::PrepareRun(bool LockControls)
{
    TKXPrintInfo &pi = *FPrintInfo;
    TKXRunData &data = RunData();
    const bool valid = data.ValidateData();
    if (valid) {
        pi.FillType = TKXFillType::ftField;
        bool table = false;
        for (int32_t i = ElementCount() - 1; i >= 0 && !table; --i)
            table = FElements[size_t(i)]->ElementType() == TKXEle::deTable;
        pi.FindDetail = data.Detail() != nullptr && table;
        if (LockControls) {
            LockDataControls(false);
            FControlsLocked = true;
        }
        CountLabelsToPrint();
        if (data.InitCounters() > 0)
            pi.FillType = TKXFillType::ftFieldCounter;
    } else {
        pi.FindDetail = false;
        const int32_t n = data.InitCounters();
        if (n <= 0) {
            pi.FillType = TKXFillType::ftNone;
            pi.SetRepetition(1);
            pi.LabelsToPrint = pi.NumLabs();
        } else {
            pi.FillType = TKXFillType::ftCounter;
            pi.LabelsToPrint = ClampToInt32(int64_t(n) * pi.Repetition());
        }
    }
    pi.PagesToPrint = TKXSheetGeometry::Of(*FMeasure, pi).PageCount(pi.LabelsToPrint);
    return valid;
}

void TKXCustomLab::PrintLabels(int32_t Index, TKXPrintKind PrintKind)
{
    TKXKeepModified keepModified(*this);
    TKXPrinterPort &port = Printer();
    struct TKeep {
        bool &Flag;
        ~TKeep() { Flag = false; }
    } keep{FKeepPrinter};
    if (Index >= 0) {
        const QStringList names = TKXPrinterPort::PrinterNames();
        FKeepPrinter = Index < names.size() && port.SelectPrinter(names.at(Index));
    }
    FDPIHPrinter = port.Metrics().DpiX;
    FFactorDotMM = FDPIHPrinter / 2540.0L;
    FCurrentPrint = PrintKind;

    // Switched back on however the run ends.
    struct TUnlock {
        TKXCustomLab &Lab;
        ~TUnlock()
        {
            if (Lab.FControlsLocked) {
                Lab.FControlsLocked = false;
                Lab.LockDataControls(true);
            }
        }
    } unlock{*this};
    PrepareRun(true);

    if (PrintKind != TKXPrintKind::pkDriver)
        return;
    SetUpPrinter();
    port.BeginJob(JobPrefix + FMeasure->LabelName()); // raises when the job does not start
    try {
        const TKXPrinterMetrics metrics = port.Metrics();
        TKXPrinterPages pages(port, {metrics.OffsetX(), metrics.OffsetY()});
        PrintPages(pages);
    } catch (...) {
        port.AbortJob();
        throw;
    }
    if (!port.EndJob())
        throw EKxError("PRINT JOB FAILED");
}

void TKXCustomLab::PrintPages(TKXPageTarget &Target)
{
    const TKXSheetGeometry g = TKXSheetGeometry::Of(*FMeasure, *FPrintInfo);
    TKXLoopStart start;
    start.Page = 1;
    start.Col = g.FirstCol;
    start.Row = g.FirstRow;
    start.Labels = FPrintInfo->LabelsToPrint;
    start.Rep = GetRecordRepetition();
    start.PageBreaks = true;
    RunLabelLoop(Target, start);
}

void TKXCustomLab::ClipCircle(TKXCanvas &Canvas, TPoint Offset)
{
    const TKXSheetGeometry g = TKXSheetGeometry::Of(*FMeasure, *FPrintInfo);
    std::vector<TRect> boxes;
    boxes.reserve(size_t(g.PerPage()));
    for (int32_t r = 1; r <= g.Rows; ++r)
        for (int32_t c = 1; c <= g.Cols; ++c) {
            const TPoint p = g.LabelPos(c, r);
            const int32_t x = p.x - Offset.x, y = p.y - Offset.y;
            boxes.push_back({x, y, x + g.Width, y + g.Height});
        }
    Canvas.SelectClipEllipses(boxes);
}

void TKXCustomLab::StartPage(TKXPageTarget &Target, TKXCanvas &Canvas)
{
    Canvas.ResetClip();
    if (FTitle->Print()) {
        // The handler gets the designed title for every page; what it answers is drawn on
        // this page only and never becomes the label's title.
        QString text = FTitle->Text();
        if (OnPrintTitle) {
            WideString asked = text.toStdU16String();
            OnPrintTitle(this, FCurPage, asked);
            text = QString::fromStdU16String(asked);
        }
        if (!text.isEmpty())
            PaintTitle(Canvas, text);
    }
    // Printed sheets clip to every label circle at once; a preview page clips to the
    // circle of the label being drawn.
    if (FMeasure->LabelType() == TZantorType::ltCircle && Target.DrawType() == TKXDrawType::tdPrint)
        ClipCircle(Canvas, Target.Offset());
}

void TKXCustomLab::AdvanceData()
{
    TKXRunData &data = RunData();
    switch (FPrintInfo->FillType) {
    case TKXFillType::ftField:
        if (TKXDataSet *m = data.Master())
            m->Next();
        break;
    case TKXFillType::ftCounter:
        data.StepCounters();
        break;
    case TKXFillType::ftFieldCounter:
        if (TKXDataSet *m = data.Master())
            m->Next();
        data.StepCounters();
        break;
    case TKXFillType::ftNone:
        break;
    }
}

// Passes the records whose repetition is 0 or less (they print nothing); false when the
// data ends first.
bool TKXCustomLab::SkipEmptyRecords(int64_t &Rep)
{
    TKXDataSet *master = RunData().Master();
    while (Rep <= 0) {
        if (!master || master->Eof())
            return false;
        master->Next();
        if (master->Eof())
            return false;
        Rep = GetRecordRepetition();
    }
    return true;
}

void TKXCustomLab::RunLabelLoop(TKXPageTarget &Target, const TKXLoopStart &Start)
{
    const TKXSheetGeometry g = TKXSheetGeometry::Of(*FMeasure, *FPrintInfo);
    const TKXDrawType drawType = Target.DrawType();
    const bool clipEach = FMeasure->LabelType() == TZantorType::ltCircle && drawType == TKXDrawType::tdPreview;
    const TPoint off = Target.Offset();
    const TRect pageRect = Target.PageRect();
    const bool records = FPrintInfo->FillType == TKXFillType::ftField ||
                         FPrintInfo->FillType == TKXFillType::ftFieldCounter;

    FCurPage = Start.Page;
    int32_t c = Start.Col, r = Start.Row;
    int64_t left = Start.Labels;
    int64_t rep = Start.Rep;
    if (records && !SkipEmptyRecords(rep))
        left = 0;
    if (records) {
        // A dataset without records prints nothing, whatever the range still says.
        if (TKXDataSet *m = RunData().Master(); m && m->Active() && m->RecNo() == 0)
            left = 0;
    }
    if (rep <= 0)
        rep = 1; // a fixed run never has fewer than one label per record

    TKXCanvas *canvas = &Target.BeginPage(FCurPage);
    StartPage(Target, *canvas);
    while (left > 0) {
        if (c > g.Cols) {
            ++r;
            c = 1;
        } else if (r > g.Rows) {
            if (!Start.PageBreaks)
                break;
            Target.EndPage(FCurPage);
            r = 1;
            c = 1;
            ++FCurPage;
            canvas = &Target.BeginPage(FCurPage);
            StartPage(Target, *canvas);
        } else {
            const TPoint p = g.LabelPos(c, r);
            const int32_t x = p.x - off.x, y = p.y - off.y;
            if (clipEach) {
                canvas->ResetClip();
                canvas->IntersectClipEllipse({x, y, x + g.Width, y + g.Height});
            }
            PaintBackSurf(*canvas, x, y, drawType, pageRect);
            DrawElements(*canvas, {x, y}, drawType, FPrintInfo->FillType);
            PaintFrame(*canvas, x, y);
            --left;
            ++c;
            if (--rep <= 0 && left > 0) {
                AdvanceData();
                if (records && RunData().Master() && RunData().Master()->Eof())
                    break; // the data ran out before the count: no record is printed twice
                rep = GetRecordRepetition();
                if (records && !SkipEmptyRecords(rep))
                    break;
                if (rep <= 0)
                    rep = 1;
            }
        }
    }
    Target.EndPage(FCurPage);
}

// ---------------------------------------------------------------------------------------
// Preview

void TKXCustomLab::BuildOnDemandPreview()
{
    TKXBusyScope busy(UIServices());
    TKXKeepModified keepModified(*this);
    ClearPages();
    // The preview sets the printer up as a print would; without any printer it still shows
    // the pages, which depend on the measure alone.
    if (Printer().Valid() || !FPrintInfo->PrinterName().isEmpty() || !FMakeAdjustPrint)
        SetUpPrinter();
    TKXKeepPosition keep(RunData());
    PrepareRun(false);
    TKXPrintInfo &pi = *FPrintInfo;
    if (pi.PagesToPrint > 10) {
        const int32_t total = pi.PagesToPrint;
        for (int32_t page : {1, 2, 3, 4, total - 3, total - 2, total - 1, total})
            FPages.push_back({page, BuildPreviewPage(page)});
        FGetPrevData = false;
    } else {
        TKXRunLock lock(*this);
        if (pi.FillType != TKXFillType::ftNone)
            lock.Lock();
        BuildPreviewPages();
    }
}

void TKXCustomLab::BuildPreviewPages()
{
    TKXKeepPosition keep(RunData());
    TKXMetafilePages pages(FMeasure->PaperWidthInternal(), FMeasure->PaperHeightInternal(),
                           FPrintInfo->Orientation() == TPrinterOrientation::poLandscape);
    pages.OnPage = [this](int32_t PageNo, std::unique_ptr<TKXMetafile> Page) {
        FPages.push_back({PageNo, std::move(Page)});
    };
    if (FPrintInfo->FillType == TKXFillType::ftField || FPrintInfo->FillType == TKXFillType::ftFieldCounter)
        GoToFirstLab();
    if (FPrintInfo->FillType == TKXFillType::ftCounter || FPrintInfo->FillType == TKXFillType::ftFieldCounter)
        RunData().SetCountersToLabel(1);
    PrintPages(pages);
}

void TKXCustomLab::RenderPreviewPage(int32_t PageNo, TKXPageTarget &Target)
{
    TKXPrintInfo &pi = *FPrintInfo;
    TKXRunData &data = RunData();
    TKXRunLock lock(*this);
    lock.Lock();
    TKXKeepPosition keep(data);
    FCurPage = PageNo;
    const TKXSheetGeometry g = TKXSheetGeometry::Of(*FMeasure, pi);
    const int64_t before = g.LabelsBefore(PageNo);
    const bool records = pi.FillType == TKXFillType::ftField || pi.FillType == TKXFillType::ftFieldCounter;
    const bool counters = pi.FillType == TKXFillType::ftCounter || pi.FillType == TKXFillType::ftFieldCounter;
    const int64_t rep = std::max(1, pi.Repetition());
    TKXLoopStart start;
    start.Page = PageNo;
    start.PageBreaks = false;
    if (PageNo <= 1) {
        start.Col = g.FirstCol;
        start.Row = g.FirstRow;
        start.Labels = std::min<int64_t>(g.OnFirstPage(), pi.LabelsToPrint);
        if (records)
            GoToFirstLab();
        if (counters)
            data.SetCountersToLabel(1);
        start.Rep = GetRecordRepetition();
    } else {
        start.Col = 1;
        start.Row = 1;
        start.Labels = std::min<int64_t>(g.PerPage(), pi.LabelsToPrint - before);
        start.Rep = 1;
        if (records)
            start.Rep = SeekLabel(before);
        else if (counters)
            start.Rep = rep - before % rep;
        if (counters)
            data.SetCountersToLabel(ClampToInt32(before / rep + 1));
    }
    RunLabelLoop(Target, start);
}

std::unique_ptr<TKXMetafile> TKXCustomLab::BuildPreviewPage(int32_t PageNo)
{
    TKXMetafilePages pages(FMeasure->PaperWidthInternal(), FMeasure->PaperHeightInternal(),
                           FPrintInfo->Orientation() == TPrinterOrientation::poLandscape);
    std::unique_ptr<TKXMetafile> result;
    pages.OnPage = [&result](int32_t, std::unique_ptr<TKXMetafile> Page) { result = std::move(Page); };
    RenderPreviewPage(PageNo, pages);
    return result;
}

std::shared_ptr<const TKXMetafile> TKXCustomLab::GetPage(int32_t PageNo)
{
    TKXPrintInfo &pi = *FPrintInfo;
    if (pi.PagesToPrint <= 10) {
        for (const TKXPagePreview &p : FPages)
            if (p.PageNo == PageNo)
                return p.EMF;
        return nullptr;
    }
    std::shared_ptr<const TKXMetafile> found;
    for (const TKXPagePreview &p : FPages)
        if (p.PageNo == PageNo) {
            found = p.EMF;
            break;
        }
    pi.RequestPage = PageNo;
    if (PageNo > 2 && PageNo < pi.PagesToPrint - 2 && !FGetPrevData)
        FillPageCache();
    return found;
}

void TKXCustomLab::FillPageCache()
{
    struct TFilling {
        bool &Flag;
        explicit TFilling(bool &f) : Flag(f) { Flag = true; }
        ~TFilling() { Flag = false; }
    } filling(FGetPrevData);
    // One page leaves per call once more than 30 are kept: the 12th in order of rendering,
    // so pages 1 to 4, the last four and the first three filled in always stay. The page
    // being asked for never leaves: the next entry goes instead.
    if (FPages.size() > 30) {
        auto victim = FPages.begin() + 11;
        while (victim != FPages.end() && victim->PageNo == FPrintInfo->RequestPage)
            ++victim;
        if (victim != FPages.end())
            FPages.erase(victim);
    }
    const int32_t R = FPrintInfo->RequestPage, total = FPrintInfo->PagesToPrint;
    auto cached = [this](int32_t page) {
        return std::any_of(FPages.begin(), FPages.end(), [page](const TKXPagePreview &p) { return p.PageNo == page; });
    };
    auto fill = [&](bool wanted, int32_t page) {
        if (wanted && !cached(page))
            FPages.push_back({page, BuildPreviewPage(page)});
    };
    fill(R > 2, R - 1);
    fill(R > 3, R - 2);
    fill(R > 4, R - 3);
    fill(R < total, R + 1);
    fill(R < total - 1, R + 2);
    fill(R < total - 2, R + 3);
}

std::unique_ptr<TKXMetafile> TKXCustomLab::GetMetafile()
{
    // The measure keeps both sides at least 5 mm; one unit is the floor in any case.
    const int32_t w = std::max(1, FMeasure->WidthInternal()), h = std::max(1, FMeasure->HeightInternal());
    // 260 units wide, the height in proportion (truncated, at least one unit).
    const int32_t mfHeight = int32_t(std::max<int64_t>(1, int64_t(h) * 260 / w));
    auto mf = std::make_unique<TKXMetafile>(w, h, 260, mfHeight);
    std::unique_ptr<TKXQtCanvas> canvas = mf->OpenCanvas();
    // The background in the metafile's own units, then everything else in label units.
    canvas->SetMapping(TKXMapping{});
    PaintBackSurf(*canvas, 0, 0, TKXDrawType::tdOpenDialog, {0, 0, 260, mfHeight});
    canvas->SetMapping(TKXMapping::FromExtents(w, h, 260, mfHeight));
    PaintFrame(*canvas, 0, 0);
    DrawElements(*canvas, {0, 0}, TKXDrawType::tdOpenDialog, TKXFillType::ftNone);
    canvas.reset();
    return mf;
}

void TKXCustomLab::ClearPages()
{
    FPages.clear();
}

} // namespace kx
