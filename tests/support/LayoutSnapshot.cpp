#include "LayoutSnapshot.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "elements/KXLayout.h"
#include "stream/KXStream.h"

namespace zt {

LayoutSnapshot TakeLayoutSnapshot(kx::TKXCustomLab &Lab)
{
    LayoutSnapshot s;
    kx::TKXLayout *layout = nullptr;
    for (int32_t i = 1; i <= Lab.ElementCount(); ++i) {
        kx::TKXElement *e = Lab.GetElement(i);
        kx::TKXStreamWriter w;
        e->SaveToStream(w);
        s.Records.push_back(w.TakeBytes());
        s.Serials.push_back(e->Serial());
        s.Cells.push_back({e->IDLayout, e->ColLayout, e->RowLayout});
        if (auto *found = dynamic_cast<kx::TKXLayout *>(e); found && !layout)
            layout = found;
    }
    if (layout) {
        s.LayoutID = layout->IDL();
        for (kx::TKXElement *m : layout->Members())
            s.Members.push_back(m->Serial());
    }
    kx::TKXStreamWriter file;
    Lab.SaveToStream(file);
    s.File = file.TakeBytes();
    return s;
}

void PrintTo(const LayoutSnapshot &S, std::ostream *Os)
{
    *Os << "serials";
    for (uint64_t v : S.Serials)
        *Os << ' ' << v;
    *Os << "; cells";
    for (const auto &c : S.Cells)
        *Os << " (" << c[0] << ',' << c[1] << ',' << c[2] << ')';
    *Os << "; layout " << S.LayoutID << " members";
    for (uint64_t v : S.Members)
        *Os << ' ' << v;
    *Os << "; records";
    for (const auto &r : S.Records)
        *Os << ' ' << r.size() << 'B';
    *Os << "; file " << S.File.size() << 'B';
}

} // namespace zt
