// Preview pages: one metafile per page of a run, numbered from 1. The document keeps them in
// its page list (all pages of a short run; for a long one the first and last four and a
// cache around the page being looked at).
#pragma once

#include "platform/KXMetafile.h"
#include "print/KXPrintRun.h"

#include <functional>
#include <memory>

namespace kx {

class TKXQtCanvas;

// A page of the list. The metafile is shared so that a page handed to the preview window
// stays whole when the cache lets it go while the window still shows it.
struct TKXPagePreview {
    int32_t PageNo = 0;
    std::shared_ptr<TKXMetafile> EMF;
};

// Pages drawn into page metafiles: a sheet PaperWidth x PaperHeight hundredths of a
// millimetre (swapped for landscape) shown on as many tenths of a millimetre, the logical
// origin at the sheet's top-left corner. Each finished page goes to OnPage.
class TKXMetafilePages final : public TKXPageTarget {
public:
    TKXMetafilePages(int32_t PaperWidth, int32_t PaperHeight, bool Landscape);
    ~TKXMetafilePages() override;

    TKXDrawType DrawType() const override { return TKXDrawType::tdPreview; }
    TKXCanvas &BeginPage(int32_t PageNo) override;
    void EndPage(int32_t PageNo) override;
    TRect PageRect() const override;

    std::function<void(int32_t PageNo, std::unique_ptr<TKXMetafile> Page)> OnPage;

    // Device size of a page: the sheet in tenths of a millimetre, halves to even.
    int32_t DeviceWidth() const { return FDeviceWidth; }
    int32_t DeviceHeight() const { return FDeviceHeight; }

private:
    int32_t FWidth, FHeight;             // hundredths of a millimetre
    int32_t FDeviceWidth, FDeviceHeight; // tenths
    std::unique_ptr<TKXMetafile> FPage;
    std::unique_ptr<TKXQtCanvas> FCanvas;
};

} // namespace kx
