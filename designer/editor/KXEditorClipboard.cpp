// The editor's private clipboard: cut, copy and paste of elements go through a copy stream
// the editor keeps for as long as it lives, never through the system clipboard.
//
// Copy stream (little-endian): Int32 N, then N element records one after the other, each as
// the element writes it to a label file (type byte first), in selection order. It is empty
// before the first copy, after EmptyCopied and after copying an empty selection.
#include "editor/KXEditor.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "document/KXElementFactory.h"
#include "stream/KXStream.h"

#include <vector>

namespace kx::designer {

void TKXCustomEditor::CopySelection()
{
    FCutEle = false;
    FTempStream.clear();
    TKXCustomLab *lab = Label();
    if (!lab)
        return;
    // Only the label's own elements have a record that starts with their kind: a layout's
    // column or row item is part of its layout and is left out.
    std::vector<const TKXElement *> copied;
    for (const TKXElement *e : ElementsSelected)
        if (lab->IndexOf(e) >= 0)
            copied.push_back(e);
    // Nothing selected leaves nothing to paste.
    if (copied.empty())
        return;
    TKXStreamWriter out;
    out.WriteInt32(int32_t(copied.size()));
    for (const TKXElement *e : copied)
        e->SaveToStream(out);
    FTempStream = out.TakeBytes();
}

void TKXCustomEditor::CutSelection()
{
    CopySelection();
    FCutEle = true;
    DeleteSelection();
}

void TKXCustomEditor::EmptyCopied()
{
    FTempStream.clear();
    FCutEle = false;
}

void TKXCustomEditor::PasteSelection() { PasteSelection(0, 0); }

void TKXCustomEditor::PasteSelection(int32_t X, int32_t Y)
{
    TKXCustomLab *lab = Label();
    if (!lab || FTempStream.empty())
        return;
    TKXStreamReader in(FTempStream);
    const int32_t n = in.ReadInt32();
    if (n <= 0)
        return;
    // Away from the copied elements by 2 mm, 0.1 inch or 0.2 cm: 200, 254 or 200 label units.
    int32_t pasted = 0;
    const float offset = lab->Units() == TKXUnits::unINCH ? 0.1f : lab->Units() == TKXUnits::unCM ? 0.2f : 2.0f;
    {
        // The records were written by this program as it runs: current layout, whatever
        // version the label file last read had.
        TKXCurrentVersionRecords current(*lab);
        TKXUndoStep step(*lab, n);
        for (int32_t i = 0; i < n; ++i) {
            TKXElement *e = nullptr;
            try {
                e = TKXElementFactory::ReadElement(in, *lab);
            } catch (const EKxStreamError &) {
                // A record without a kind to create: its length is unknown, so the rest
                // cannot be read. What was pasted so far stays.
                break;
            }
            lab->RecordUndo(TKXURAction::urCreate, *e);
            // A new element gets a name of its own, as one inserted with a tool does.
            const QString prefix = TKXCustomLab::ElementPrefix(e->ElementType());
            if (!prefix.isEmpty()) {
                e->SetID(QString());
                QString name;
                int32_t number = 0;
                lab->GetNewElementName(prefix, e->ElementType(), name, number);
                e->SetID(name);
            }
            // A copy the paste moves is placed freely: it follows neither the copied
            // element's alignment nor its layout cell, which would put it back onto the
            // original wherever the alignment is applied again (an editor opening the
            // label). Only a cut pasted back in its own place keeps them.
            if (X != 0 || Y != 0 || !FCutEle)
                e->LeaveLayout();
            if (X != 0 || Y != 0) {
                const TPoint p1 = e->P1(), p2 = e->P2();
                const int64_t w = int64_t(p2.x) - p1.x, h = int64_t(p2.y) - p1.y;
                const int32_t x1 = UnzoomedToLabelX(X), y1 = UnzoomedToLabelY(Y);
                e->PlacePoints({x1, y1}, {ClampCoord(x1 + w), ClampCoord(y1 + h)});
            } else if (!FCutEle) {
                e->Move({offset, offset});
            }
            ++pasted;
        }
    }
    if (pasted > 0)
        lab->SetModified(true);
    FPaintEle = true;
    UpdateEditor(false);
}

} // namespace kx::designer
