// The editor on a label with the library's own element kinds (the test kinds of the
// plain editor fixture are put aside while it lives), and what the arrangement and
// clipboard tests read back: element geometry, records and the undo history.
#pragma once

#include "EditorFixture.h"

#include "document/KXElementFactory.h"
#include "document/KXUndo.h"
#include "elements/KXShapes.h"
#include "elements/KXText.h"
#include "stream/KXStream.h"

#include <vector>

namespace zt {

struct RealKindsEditor : EditorOnLabel {
    explicit RealKindsEditor(float WidthMM = 60, float HeightMM = 35) : EditorOnLabel(WidthMM, HeightMM)
    {
        Real.Set<kx::TKXRect>(kx::TKXEle::deRect);
        Real.Set<kx::TKXText>(kx::TKXEle::deText);
        Real.Set<kx::TKXLine>(kx::TKXEle::deLine);
    }

    // P1 = (L, T), P2 = (R, B), label units; drawn so that frames and borders are current.
    template <class T = kx::TKXRect>
    T *Add(kx::TRect R)
    {
        T *e = Lab->NewElement<T>();
        e->PlacePoints({R.Left, R.Top}, {R.Right, R.Bottom});
        Editor->FPaintEle = true;
        Editor->UpdateEditor(false);
        return e;
    }
    kx::TKXText *AddText(kx::TPoint P, const QString &Text)
    {
        auto *t = Lab->NewElement<kx::TKXText>();
        t->PlacePoints(P, P);
        t->SetText(Text);
        Editor->FPaintEle = true;
        Editor->UpdateEditor(false);
        return t;
    }
    // Selects the elements in this order.
    void Select(std::initializer_list<kx::TKXElement *> Elements)
    {
        Editor->ClearSelection();
        for (kx::TKXElement *e : Elements)
            Editor->AddToSelection(e);
        Editor->UpdateEditor(true);
    }
    kx::TKXUndo &Undo() { return dynamic_cast<kx::TKXUndo &>(*Lab->UndoRecorder()); }
    // Every element's record, front to back: what an undo must give back byte for byte.
    std::vector<kx::TBytesArray> Records() const
    {
        std::vector<kx::TBytesArray> all;
        for (int32_t i = 1; i <= Lab->ElementCount(); ++i) {
            kx::TKXStreamWriter w;
            Lab->GetElement(i)->SaveToStream(w);
            all.push_back(w.TakeBytes());
        }
        return all;
    }
    std::vector<uint64_t> Serials() const
    {
        std::vector<uint64_t> all;
        for (int32_t i = 1; i <= Lab->ElementCount(); ++i)
            all.push_back(Lab->GetElement(i)->Serial());
        return all;
    }

    kx::TKXFactoryOverride Real; // destroyed before the test kinds' override
};

inline kx::TRect Pts(const kx::TKXElement *e) { return {e->P1().x, e->P1().y, e->P2().x, e->P2().y}; }

} // namespace zt
