#include "platform/KXPrinterPort.h"

#include "core/KXError.h"
#include "core/KXUtils.h"
#include "platform/KXQtCanvas.h"

#include <QFile>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

#include <cmath>

namespace kx {

// ---------------------------------------------------------------------------------------
// Metrics

int32_t TKXPrinterMetrics::ToHundredths(int32_t Pixels, int32_t Dpi)
{
    if (Dpi <= 0)
        return 0;
    return RoundHalfUp(static_cast<long double>(Pixels) * 2540 / Dpi);
}

int32_t TKXPrinterMetrics::PageWidthMM() const
{
    return DpiX > 0 ? static_cast<int32_t>(std::lround(PageWidthPx * 25.4 / DpiX)) : 0;
}

int32_t TKXPrinterMetrics::PageHeightMM() const
{
    return DpiY > 0 ? static_cast<int32_t>(std::lround(PageHeightPx * 25.4 / DpiY)) : 0;
}

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXPrinterPort::TKXPrinterPort() : FPrinter(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
    const QPrinterInfo def = QPrinterInfo::defaultPrinter();
    if (!def.isNull()) {
        FPrinter->setPrinterName(def.printerName());
        FHasPrinter = true;
    }
}

TKXPrinterPort::~TKXPrinterPort()
{
    if (Printing())
        AbortJob();
}

// ---------------------------------------------------------------------------------------
// Printers

QStringList TKXPrinterPort::PrinterNames() { return QPrinterInfo::availablePrinterNames(); }

QString TKXPrinterPort::DefaultPrinterName() { return QPrinterInfo::defaultPrinterName(); }

QString TKXPrinterPort::FindPrinter(const QString &Name, int32_t IndexHint)
{
    const QStringList names = PrinterNames();
    if (!Name.isEmpty()) {
        if (names.contains(Name))
            return Name;
        for (const QString &n : names)
            if (n.compare(Name, Qt::CaseInsensitive) == 0)
                return n;
    }
    if (IndexHint >= 0 && IndexHint < names.size())
        return names.at(IndexHint);
    return {};
}

bool TKXPrinterPort::SelectPrinter(const QString &Name)
{
    if (Printing() || Name.isEmpty() || QPrinterInfo::printerInfo(Name).isNull())
        return false;
    FPrinter->setOutputFileName(QString());
    FPrinter->setOutputFormat(QPrinter::NativeFormat);
    FPrinter->setPrinterName(Name);
    FHasPrinter = true;
    return true;
}

void TKXPrinterPort::SelectPdfFile(const QString &FileName)
{
    if (Printing())
        return;
    FPrinter->setOutputFormat(QPrinter::PdfFormat);
    FPrinter->setOutputFileName(FileName);
    FHasPrinter = !FileName.isEmpty();
}

QString TKXPrinterPort::PrinterName() const
{
    if (!FHasPrinter || FPrinter->outputFormat() == QPrinter::PdfFormat)
        return {};
    return FPrinter->printerName();
}

bool TKXPrinterPort::Valid() const { return FHasPrinter; }

// ---------------------------------------------------------------------------------------
// Paper

// Windows paper codes are the DMPAPER numbers of the Windows device mode; Qt's QPageSize
// knows most of them. Folio (14, 8.5 x 13 in) it lacks: the same sheet is its German legal
// fan-fold (whose own code is 41).
std::optional<QPageSize> TKXPrinterPort::PaperOfCode(int32_t Code)
{
    if (Code == 14)
        return QPageSize(QPageSize::FanFoldGermanLegal);
    if (Code <= 0 || Code == UserPaperCode)
        return std::nullopt;
    const QPageSize::PageSizeId id = QPageSize::id(Code);
    if (id == QPageSize::Custom)
        return std::nullopt;
    return QPageSize(id);
}

int32_t TKXPrinterPort::CodeOfPaper(const QPageSize &Size)
{
    const int code = Size.isValid() ? Size.windowsId() : 0;
    return code > 0 ? code : UserPaperCode;
}

bool TKXPrinterPort::SetPaperCode(int32_t Code)
{
    const std::optional<QPageSize> size = PaperOfCode(Code);
    return size && FPrinter->setPageSize(*size);
}

bool TKXPrinterPort::SetPaperSize(int32_t Width, int32_t Height)
{
    if (Width < 100 || Height < 100)
        return false;
    const QPageSize size(QSizeF(Width / 100.0, Height / 100.0), QPageSize::Millimeter, QString(),
                         QPageSize::ExactMatch);
    return FPrinter->setPageSize(size);
}

QPageSize TKXPrinterPort::PaperSize() const { return FPrinter->pageLayout().pageSize(); }

void TKXPrinterPort::SetOrientation(QPageLayout::Orientation Value) { FPrinter->setPageOrientation(Value); }

QPageLayout::Orientation TKXPrinterPort::Orientation() const { return FPrinter->pageLayout().orientation(); }

void TKXPrinterPort::SetCopies(int32_t Value) { FPrinter->setCopyCount(Value < 1 ? 1 : Value); }

int32_t TKXPrinterPort::Copies() const { return FPrinter->copyCount(); }

TKXPrinterMetrics TKXPrinterPort::Metrics() const
{
    TKXPrinterMetrics m;
    if (!FHasPrinter)
        return m;
    m.DpiX = FPrinter->logicalDpiX();
    m.DpiY = FPrinter->logicalDpiY();
    const QRectF paper = FPrinter->paperRect(QPrinter::DevicePixel);
    const QRectF page = FPrinter->pageRect(QPrinter::DevicePixel);
    m.PaperWidthPx = static_cast<int32_t>(std::lround(paper.width()));
    m.PaperHeightPx = static_cast<int32_t>(std::lround(paper.height()));
    m.PageWidthPx = static_cast<int32_t>(std::lround(page.width()));
    m.PageHeightPx = static_cast<int32_t>(std::lround(page.height()));
    m.OffsetXPx = static_cast<int32_t>(std::lround(page.left() - paper.left()));
    m.OffsetYPx = static_cast<int32_t>(std::lround(page.top() - paper.top()));
    return m;
}

// ---------------------------------------------------------------------------------------
// The job

TKXCanvas &TKXPrinterPort::BeginJob(const QString &JobName)
{
    if (Printing())
        throw EKxError("PRINT JOB ALREADY RUNNING");
    if (!FHasPrinter)
        throw EKxError("NO PRINTER SELECTED");
    FPrinter->setDocName(JobName);
    FPages = 0;
    auto painter = std::make_unique<QPainter>();
    if (!painter->begin(FPrinter.get()))
        throw EKxError("PRINT JOB NOT STARTED");
    FCanvas = std::make_unique<TKXQtCanvas>(
        std::move(painter), TKXMapping::ForResolution(FPrinter->logicalDpiX(), FPrinter->logicalDpiY()));
    FPages = 1;
    return *FCanvas;
}

TKXCanvas *TKXPrinterPort::Canvas() { return FCanvas.get(); }

bool TKXPrinterPort::NewPage()
{
    if (!Printing() || !FPrinter->newPage())
        return false;
    ++FPages;
    return true;
}

bool TKXPrinterPort::EndJob()
{
    if (!Printing())
        return false;
    const bool ended = FCanvas->Painter().end();
    FCanvas.reset();
    return ended && FPrinter->printerState() != QPrinter::Error;
}

void TKXPrinterPort::AbortJob()
{
    if (!Printing())
        return;
    FPrinter->abort();
    FCanvas->Painter().end();
    FCanvas.reset();
    // A half-written file is no print: remove it.
    if (FPrinter->outputFormat() == QPrinter::PdfFormat && !FPrinter->outputFileName().isEmpty())
        QFile::remove(FPrinter->outputFileName());
}

} // namespace kx
