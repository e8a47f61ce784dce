// The print preview window: the pages of a print run, one or two side by side, fitted to
// the window, to its width or at a chosen zoom; it moves between pages, prints the run and
// saves the current page as a picture.
//
// Pages come from the label's preview (GetPage). A page a long run's cache does not hold is
// rendered here (the label has by then filled its cache around it), so a page shown is never
// a blank sheet. The pages on show are held by the window; painting replays them and never
// fetches or renders.
//
// Lengths are pixels of the window. The scroll box's width and height (SW, SH) are its
// viewport's size without scroll bars.
#pragma once

#include "core/KXTypes.h"
#include "preview/KXPageWriters.h"

#include <QDialog>
#include <QImage>
#include <QRect>

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QScrollArea;
class QToolBar;
class QToolButton;

namespace kx {
class TKXMetafile;
struct TKXFileFilter;
}

namespace kx::designer {

class TKXLab;
class TKxAlignEdit;

// What the window shows: nothing (a run without pages), one page fitted, the page width
// fitted, two pages fitted, or a zoom of the last fit.
enum class TKXVisualState : uint8_t { vsNone, vsOnePage, vsWidth, vsTwoPage, vsZoom };

class TKxPrw : public QDialog {
public:
    // --- Lifecycle -------------------------------------------------------------------------
    explicit TKxPrw(QWidget *Parent = nullptr);
    ~TKxPrw() override;
    // Binds the window to Lab (not owned): the texts, the first page (none when the run has
    // no pages) fitted to the window once the scroll box has its size.
    void Ini(TKXLab &Lab);

    // --- State -----------------------------------------------------------------------------
    // 1-based; 0 when the run has no pages.
    int32_t PageIdx() const { return FPageIdx; }
    int32_t Zoom() const { return FZoom; }
    TKXVisualState VisualState() const { return FVisualState; }
    // Stores a changed state and lays the paper out.
    void SetVisualState(TKXVisualState Value);
    // Paper size at zoom 100, the size of the last fit.
    int32_t PageW() const { return FPageW; }
    int32_t PageH() const { return FPageH; }
    // The paper's rectangle inside the scrolled area.
    QRect PaperRect() const;
    // SW x SH: the scroll box's viewport without scroll bars.
    QSize ScrollSize() const;
    // The pages on show (the second only in two-page mode when there is one); null when none.
    const TKXMetafile *ShownPage(int Index) const;
    // Shows page Page (held within 1 .. TotalPages); nothing for a run without pages.
    void GoToPage(int32_t Page);
    // Pages the window rendered itself because the label's cache did not hold them.
    int32_t PagesRendered() const { return FPagesRendered; }

    // --- Controls --------------------------------------------------------------------------
    QToolBar *ToolBarPreview = nullptr;
    QToolButton *TbPageFirst = nullptr, *TbPagePrior = nullptr;
    TKxAlignEdit *AlignEdPages = nullptr;
    QToolButton *TbPageNext = nullptr, *TbPageLast = nullptr;
    QToolButton *TbShowAll = nullptr, *TbShowWidth = nullptr, *TbShowTwo = nullptr;
    QToolButton *TbZoomMinus = nullptr, *TbZoomPlus = nullptr;
    QToolButton *TbPrint = nullptr, *TbSave = nullptr, *TbExit = nullptr;
    QScrollArea *BackScroll = nullptr;
    QWidget *pnPaper = nullptr;

    // --- Button handlers ---------------------------------------------------------------
    void TbPageFirstClick();
    void TbPagePriorClick();
    void TbPageNextClick();
    void TbPageLastClick();
    void TbShowAllClick() { SetVisualState(TKXVisualState::vsOnePage); }
    void TbShowWidthClick() { SetVisualState(TKXVisualState::vsWidth); }
    void TbShowTwoClick() { SetVisualState(TKXVisualState::vsTwoPage); }
    void TbZoomMinusClick() { ZoomBy(-20); }
    void TbZoomPlusClick() { ZoomBy(20); }
    // Chooses the printer and prints the whole run (the prompted texts asked again); the
    // preview is then built again, so what is shown is what was printed.
    void TbPrintClick();
    // Saves the current page as a picture file.
    void TbSaveClick();
    // The save dialog's entries: 1 metafile (WMF for a name ending in ".wmf", else EMF),
    // 2 bitmap, 3 JPEG, 4 GIF, 5 PNG.
    static std::vector<TKXFileFilter> SaveFilters();
    // The file written for a name chosen under entry FilterIndex, and its Format: a name
    // ending in the extension of one of the formats is saved in that format; any other
    // name gets the entry's extension appended.
    static QString SaveTarget(const QString &FileName, int FilterIndex, TKXPageFormat &Format);
    // The preview built again after a print (the answers to the prompted texts, and the run
    // with them, may have changed): the page held within the new run, shown again.
    void Rebuild();
    void TbExitClick() { close(); }

    // Paints the paper into Painter (the paper's own coordinates); pnPaper's paint event.
    void PaintPaper(class QPainter &Painter);

private:
    class TKXBackScroll;
    class TKXPaper;
    QToolButton *AddButton(const char *Name, const char *Icon, void (TKxPrw::*Handler)());
    void Translate();
    void ZoomBy(int32_t Step);
    void FetchPages();
    std::shared_ptr<const TKXMetafile> FetchPage(int32_t Page);
    void PaperLayout();
    void ApplyZoom();
    void SetPaper(const QRect &R);
    void UpdatePageControls();
    void UpdateZoomButtons();
    int32_t TotalPages() const;

    TKXLab *FKxLab = nullptr;
    int32_t FPageIdx = 0;       // 0 .. TotalPages
    int32_t FZoom = 100;        // percent of the fitted size, 20 .. 520 in steps of 20
    bool CheckPaper = true;     // layout and painting suspended
    TKXVisualState FVisualState = TKXVisualState::vsNone;
    int32_t FPageW = 0, FPageH = 0;
    QRect FPaper;               // the paper inside the scrolled area
    int32_t FPagesRendered = 0;
    int FSaveFilter = 2;        // the bitmap entry is offered first
    QString FSaveFileName;
    // Pages PageIdx and PageIdx + 1 (two-page mode), held while they are shown.
    std::array<std::shared_ptr<const TKXMetafile>, 2> FShown;
    // Each shown page drawn at its sheet's size: a repaint of an unchanged sheet is a copy.
    struct TSheetImage {
        const TKXMetafile *Page = nullptr;
        QImage Image;
    };
    std::array<TSheetImage, 2> FSheets;
    const QImage &SheetImage(int Index, QSize Size);
};

} // namespace kx::designer
