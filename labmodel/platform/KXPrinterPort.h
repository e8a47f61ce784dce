// The printer port: the one place that talks to the system's printers (CUPS queues, through
// QPrinter and QPrinterInfo), or prints into a PDF file instead.
//
// Printers are found by name; a printer index stored with a label is only a hint for when
// the name is gone. Windows paper codes (the DMPAPER numbers stored in label files: 1 letter,
// 9 A4, 256 user-defined...) map to QPageSize. A job hands out a canvas in hundredths of a
// millimetre whose origin is the top-left corner of the printable area, as the label
// layout expects.
#pragma once

#include "platform/KXCanvas.h"

#include <QPageLayout>
#include <QPageSize>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

class QPrinter;

namespace kx {

class TKXQtCanvas;

// What the label layout needs to know of a printer with its current paper and orientation.
// Pixels are the printer's device pixels.
struct TKXPrinterMetrics {
    int32_t DpiX = 0;          // pixels per inch across
    int32_t DpiY = 0;          // pixels per inch down
    int32_t PageWidthPx = 0;   // printable area
    int32_t PageHeightPx = 0;
    int32_t PaperWidthPx = 0;  // the whole sheet
    int32_t PaperHeightPx = 0;
    int32_t OffsetXPx = 0;     // top-left of the printable area on the sheet
    int32_t OffsetYPx = 0;

    // Printable area in whole millimetres (rounded), as drivers report it.
    int32_t PageWidthMM() const;
    int32_t PageHeightMM() const;
    // Lengths in hundredths of a millimetre: pixels * 2540 / dpi, rounded halves up.
    int32_t OffsetX() const { return ToHundredths(OffsetXPx, DpiX); }
    int32_t OffsetY() const { return ToHundredths(OffsetYPx, DpiY); }
    int32_t PageWidth() const { return ToHundredths(PageWidthPx, DpiX); }
    int32_t PageHeight() const { return ToHundredths(PageHeightPx, DpiY); }
    int32_t PaperWidth() const { return ToHundredths(PaperWidthPx, DpiX); }
    int32_t PaperHeight() const { return ToHundredths(PaperHeightPx, DpiY); }

    static int32_t ToHundredths(int32_t Pixels, int32_t Dpi);
    friend bool operator==(const TKXPrinterMetrics &, const TKXPrinterMetrics &) = default;
};

class TKXPrinterPort {
public:
    // The user-defined paper code: the size is given in hundredths of a millimetre.
    static constexpr int32_t UserPaperCode = 256;

    // Starts on the system's default printer, or on none when there is no printer.
    TKXPrinterPort();
    // An unfinished job is aborted.
    ~TKXPrinterPort();
    TKXPrinterPort(const TKXPrinterPort &) = delete;
    TKXPrinterPort &operator=(const TKXPrinterPort &) = delete;

    // --- Printers ---
    static QStringList PrinterNames();
    static QString DefaultPrinterName();
    // The queue named Name (exactly, else ignoring case); when none is, the queue at
    // IndexHint of PrinterNames; else empty.
    static QString FindPrinter(const QString &Name, int32_t IndexHint = -1);

    // Selects a queue by name; false (and the selection unchanged) when there is none.
    bool SelectPrinter(const QString &Name);
    // Prints into a PDF file from now on.
    void SelectPdfFile(const QString &FileName);
    // The selected queue; empty for PDF output or no printer.
    QString PrinterName() const;
    // A queue or a PDF file is selected.
    bool Valid() const;

    // --- Paper, orientation, copies ---
    // The paper of a Windows paper code; none for unknown codes and the user-defined code.
    static std::optional<QPageSize> PaperOfCode(int32_t Code);
    // The Windows paper code of a page size; UserPaperCode when it has none.
    static int32_t CodeOfPaper(const QPageSize &Size);

    // False for an unknown code (the paper then stays as it was).
    bool SetPaperCode(int32_t Code);
    // A user-defined sheet, hundredths of a millimetre; false for sizes below 1 mm.
    bool SetPaperSize(int32_t Width, int32_t Height);
    QPageSize PaperSize() const;
    int32_t PaperCode() const { return CodeOfPaper(PaperSize()); }
    void SetOrientation(QPageLayout::Orientation Value);
    QPageLayout::Orientation Orientation() const;
    // Values below 1 count as 1.
    void SetCopies(int32_t Value);
    int32_t Copies() const;

    // Resolution, sheet, printable area and offsets for the current paper and orientation.
    TKXPrinterMetrics Metrics() const;

    // --- The job ---
    // Starts a job called JobName and returns its canvas (hundredths of a millimetre, origin
    // at the printable area's top-left), valid until EndJob or AbortJob. Throws EKxError when
    // no printer is selected, a job is already running or the printer refuses the job.
    TKXCanvas &BeginJob(const QString &JobName);
    bool Printing() const { return FCanvas != nullptr; }
    TKXCanvas *Canvas();
    // Starts the next sheet; the canvas keeps its mapping and tools. False when it fails
    // or no job runs.
    bool NewPage();
    // Finishes the job; false when the printer reports a failure or no job runs.
    bool EndJob();
    // Drops the job (nothing further is printed); nothing when no job runs.
    void AbortJob();
    // The last job's page count (sheets begun), for the caller's report.
    int32_t PagesPrinted() const { return FPages; }

private:
    std::unique_ptr<QPrinter> FPrinter;
    std::unique_ptr<TKXQtCanvas> FCanvas;
    bool FHasPrinter = false;
    int32_t FPages = 0;
};

} // namespace kx
