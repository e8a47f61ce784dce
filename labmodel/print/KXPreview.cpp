#include "print/KXPreview.h"

#include "core/KXUtils.h"
#include "platform/KXQtCanvas.h"

#include <utility>

namespace kx {

TKXMetafilePages::TKXMetafilePages(int32_t PaperWidth, int32_t PaperHeight, bool Landscape)
    : FWidth(PaperWidth), FHeight(PaperHeight),
      FDeviceWidth(Round(PaperWidth / 10.0L)), FDeviceHeight(Round(PaperHeight / 10.0L))
{
    if (Landscape) {
        std::swap(FWidth, FHeight);
        std::swap(FDeviceWidth, FDeviceHeight);
    }
}

TKXMetafilePages::~TKXMetafilePages() = default;

TKXCanvas &TKXMetafilePages::BeginPage(int32_t)
{
    FCanvas.reset();
    FPage = std::make_unique<TKXMetafile>(FWidth, FHeight, FDeviceWidth, FDeviceHeight);
    FCanvas = FPage->OpenCanvas();
    return *FCanvas;
}

void TKXMetafilePages::EndPage(int32_t PageNo)
{
    FCanvas.reset(); // completes the recording
    if (FPage && OnPage)
        OnPage(PageNo, std::move(FPage));
    FPage.reset();
}

TRect TKXMetafilePages::PageRect() const { return {0, 0, FDeviceWidth, FDeviceHeight}; }

} // namespace kx
