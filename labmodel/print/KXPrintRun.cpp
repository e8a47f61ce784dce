#include "print/KXPrintRun.h"

#include "document/KXSetup.h"

#include <algorithm>
#include <limits>

namespace kx {

TKXSheetGeometry TKXSheetGeometry::Of(const TKXMeasure &Measure, const TKXPrintInfo &PrintInfo)
{
    TKXSheetGeometry g;
    g.Cols = std::max(1, Measure.NuVer());
    g.Rows = std::max(1, Measure.NuHor());
    g.FirstCol = std::clamp(PrintInfo.FirstCol(), 1, g.Cols);
    g.FirstRow = std::clamp(PrintInfo.FirstRow(), 1, g.Rows);
    g.MarLeft = Measure.MarLeftInternal();
    g.MarTop = Measure.MarTopInternal();
    g.Width = Measure.WidthInternal();
    g.Height = Measure.HeightInternal();
    g.DiHor = Measure.DiHorInternal();
    g.DiVer = Measure.DiVerInternal();
    return g;
}

int32_t TKXSheetGeometry::PageCount(int64_t Labels) const
{
    const int64_t first = OnFirstPage();
    if (Labels <= first)
        return 1;
    const int64_t rest = Labels - first, per = PerPage();
    const int64_t pages = 1 + rest / per + (rest % per != 0 ? 1 : 0);
    return int32_t(std::min<int64_t>(pages, std::numeric_limits<int32_t>::max()));
}

int64_t TKXSheetGeometry::LabelsBefore(int32_t PageNo) const
{
    return PageNo <= 1 ? 0 : int64_t(PageNo - 2) * PerPage() + OnFirstPage();
}

} // namespace kx
