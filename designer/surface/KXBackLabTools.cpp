// The drawing tools on the design surface: elements created by a press or drawn with the
// mouse, pictures through the picture chooser, and the shape of the band while drawing.
//
// Texts, symbols, barcodes, compound texts and the two-dimensional codes are created by the
// press, at the snapped press point, with the size their constructors give them. Lines,
// rectangles, circles, triangles, tables, layouts and paragraphs are drawn: the press starts
// the band and the release builds the element in it. A picture is created by the press when
// the editor inserts pictures at a fixed size, else drawn. Every insertion is one undo step
// (its undo removes the element).
#include "surface/KXBackLab.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "editor/KXEditor.h"
#include "elements/KXBarCode.h"
#include "elements/KXImage.h"
#include "elements/KXLayout.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXParagraph.h"
#include "elements/KXPdf417.h"
#include "elements/KXPolyText.h"
#include "elements/KXShapes.h"
#include "elements/KXSymbol.h"
#include "elements/KXTable.h"
#include "elements/KXText.h"
#include "rulers/KXRulers.h"

#include <QPainter>

#include <algorithm>
#include <cstdlib>

namespace kx::designer {

namespace {

// Smallest width and height of a drawn table or layout (label units, 1.5 mm).
constexpr int32_t MinTableSide = 150;

// A surface point in label units.
TPoint ToLabel(const TKXCustomEditor &Ed, TPoint P)
{
    return {Ed.ScreenToLabelX(P.x), Ed.ScreenToLabelY(P.y)};
}

// The label point of a press the surface snapped to a grid pixel. The pixel is only the
// nearest one to the grid point, so its label value is put back on the grid: the element
// lands exactly on the grid point nearest the click.
TPoint PressPoint(const TKXCustomEditor &Ed, TPoint Snapped)
{
    TPoint p = ToLabel(Ed, Snapped);
    if (Ed.Snap == TKXSnap::snGrid && Ed.Grid.IncX > 0 && Ed.Grid.IncY > 0) {
        p.x = int32_t(int64_t(RoundHalfUp((long double)p.x / Ed.Grid.IncX)) * Ed.Grid.IncX);
        p.y = int32_t(int64_t(RoundHalfUp((long double)p.y / Ed.Grid.IncY)) * Ed.Grid.IncY);
    }
    return p;
}

bool IsPicture(const TKXElement *E) { return E && E->ElementType() == TKXEle::deImage; }

// A drawn box element placed in the band R (surface pixels).
void PlaceInBand(const TKXCustomEditor &Ed, TKXElement &E, const TRect &R)
{
    E.SetP1(Ed.ScreenToLabelX(R.Left), Ed.ScreenToLabelY(R.Top));
    E.SetP2(Ed.ScreenToLabelX(R.Right), Ed.ScreenToLabelY(R.Bottom));
}

// Tables and layouts too small to hold anything are widened and heightened to the minimum.
// A grid coarser than the minimum would snap the corner back onto point 1: then the corner
// is written as it stands, off the grid.
void KeepMinimumSize(TKXElement &E)
{
    const TPoint p1 = E.P1(), p2 = E.P2();
    if (p2.x - p1.x >= MinTableSide && p2.y - p1.y >= MinTableSide)
        return;
    const TPoint wanted{std::max(p2.x, p1.x + MinTableSide), std::max(p2.y, p1.y + MinTableSide)};
    E.SetP2(wanted.x, wanted.y);
    if (E.P2().x - p1.x < MinTableSide || E.P2().y - p1.y < MinTableSide)
        E.PlaceP2(wanted);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Press and release

void TKXBackLab::ToolPress(Qt::KeyboardModifiers, int32_t X, int32_t Y)
{
    TKXCustomLab *lab = FEditor ? FEditor->Label() : nullptr;
    if (!lab)
        return;
    Org = FEditor->SnapToGrid({X, Y});
    X1 = Org.x;
    Y1 = Org.y;

    TKXElement *created = nullptr;
    bool announced = false;
    switch (FEditor->DrawTool()) {
    case TKXDrawTool::dwText: created = lab->NewElement<TKXText>(); break;
    case TKXDrawTool::dwAddText: created = lab->NewElement<TKXAddText>(); break;
    case TKXDrawTool::dwAskText: created = lab->NewElement<TKXAskText>(); break;
    case TKXDrawTool::dwSymbol: created = lab->NewElement<TKXSymbol>(); break;
    case TKXDrawTool::dwBarCode: created = lab->NewElement<TKXBarCode>(); break;
    case TKXDrawTool::dwPolyText: created = TKXPolyText::Insert(*lab); break;
    case TKXDrawTool::dwPdf417: created = lab->NewElement<TKXPdf417>(); break;
    case TKXDrawTool::dwDataMatrix: created = lab->NewElement<TKXDataMatrix>(); break;
    case TKXDrawTool::dwQRCode: created = lab->NewElement<TKXQRCode>(); break;
    case TKXDrawTool::dwImage:
        if (FEditor->InsertImage().FixedSize()) {
            // Placed by InsertPicture, which raises OnBeforeInsert itself.
            created = InsertPicture({Org.x, Org.y, Org.x, Org.y});
            announced = true;
        } else {
            Drawing = true;
            MvPt = Org;
        }
        break;
    case TKXDrawTool::dwLine:
    case TKXDrawTool::dwRect:
    case TKXDrawTool::dwCircle:
    case TKXDrawTool::dwTriangle:
    case TKXDrawTool::dwTable:
    case TKXDrawTool::dwLayout:
    case TKXDrawTool::dwParagraph:
        Drawing = true;
        MvPt = Org;
        break;
    default: // the date-time tool and the reference-line tools create nothing here
        break;
    }
    if (created && !IsPicture(created))
        created->PlaceP1(PressPoint(*FEditor, Org));
    Added = created != nullptr;
    if (Added)
        InsertPressed(created, announced);
}

void TKXBackLab::ToolRelease(const TRect &R, int32_t X, int32_t Y)
{
    Added = false;
    TKXCustomLab *lab = FEditor ? FEditor->Label() : nullptr;
    if (!lab) {
        Drawing = false;
        return;
    }
    const TKXDrawTool tool = FEditor->DrawTool();
    bool announced = false;
    switch (tool) {
    case TKXDrawTool::dwImage:
        // A picture of a fixed size was inserted by the press.
        if (!FEditor->InsertImage().FixedSize()) {
            El = InsertPicture(R);
            Added = El != nullptr;
            announced = true;
        }
        break;
    case TKXDrawTool::dwLine: {
        TKXRecordingOff off(*lab);
        auto *line = lab->NewElement<TKXLine>();
        line->MoveP1(FEditor->ScreenToLabelX(Org.x), FEditor->ScreenToLabelY(Org.y));
        TPoint end{X, Y};
        // Kept horizontal or vertical: horizontal only when it runs more across than down.
        if (FEditor->LineMove() == TKXLineMove::lmOrto)
            end = std::abs(X - Org.x) > std::abs(Y - Org.y) ? TPoint{X, Org.y} : TPoint{Org.x, Y};
        const TPoint p2 = ToLabel(*FEditor, end);
        line->SetP2(p2.x, p2.y);
        El = line;
        Added = true;
        break;
    }
    case TKXDrawTool::dwRect:
    case TKXDrawTool::dwCircle:
    case TKXDrawTool::dwTriangle: {
        TKXRecordingOff off(*lab);
        auto *rect = lab->NewElement<TKXRect>();
        PlaceInBand(*FEditor, *rect, R);
        if (tool == TKXDrawTool::dwCircle) {
            rect->SetEllipse(true);
            rect->SetFigure(TKXRect::fgEllipse);
        } else if (tool == TKXDrawTool::dwTriangle) {
            rect->SetFigure(TKXRect::fgTriangle);
        }
        El = rect;
        Added = true;
        break;
    }
    case TKXDrawTool::dwTable: {
        TKXRecordingOff off(*lab);
        auto *table = lab->NewElement<TKXTable>();
        PlaceInBand(*FEditor, *table, R);
        KeepMinimumSize(*table);
        table->UpdateAll();
        El = table;
        Added = true;
        break;
    }
    case TKXDrawTool::dwLayout: {
        TKXRecordingOff off(*lab);
        auto *layout = lab->NewElement<TKXLayout>();
        PlaceInBand(*FEditor, *layout, R);
        KeepMinimumSize(*layout);
        El = layout;
        Added = true;
        break;
    }
    case TKXDrawTool::dwParagraph: {
        TKXParagraph *paragraph = nullptr;
        {
            TKXRecordingOff off(*lab);
            paragraph = lab->NewElement<TKXParagraph>();
            PlaceInBand(*FEditor, *paragraph, R);
        }
        El = paragraph;
        InsertParagraph(paragraph);
        break;
    }
    default:
        break;
    }
    Drawing = false;
    if (Added)
        InsertReleased(El, announced);
    else
        FEditor->UpdateEditor(true);
    ShowSelectionOnRulers();
}

// ---------------------------------------------------------------------------------------
// Insertion steps

void TKXBackLab::InsertPressed(TKXElement *Element, bool Announced)
{
    TKXCustomLab &lab = *FEditor->Label();
    lab.SetModified(true);
    FEditor->BeginUpdate();
    if (!Announced && FEditor->OnBeforeInsert)
        FEditor->OnBeforeInsert(FEditor, Element);
    FEditor->SetSelect(Element);
    FEditor->EndUpdate(true);
    {
        TKXUndoStep step(lab, 1);
        lab.BeginUndoRecord(TKXURAction::urCreate, *Element);
    }
    ShowSelectionOnRulers();
    HandBackSelectionTool();
    if (FEditor->ShowEditorAfterInsert && !IsPicture(Element))
        FEditor->ShowElementProp();
}

void TKXBackLab::InsertReleased(TKXElement *Element, bool Announced)
{
    TKXCustomLab &lab = *FEditor->Label();
    FEditor->BeginUpdate();
    if (!Announced && FEditor->OnBeforeInsert)
        FEditor->OnBeforeInsert(FEditor, Element);
    HandBackSelectionTool();
    FEditor->SetSelect(Element);
    lab.SetModified(true);
    FEditor->EndUpdate(true);
    {
        TKXUndoStep step(lab, 1);
        lab.BeginUndoRecord(TKXURAction::urCreate, *Element);
    }
    if (FEditor->ShowEditorAfterInsert && !IsPicture(Element))
        FEditor->ShowElementProp();
}

void TKXBackLab::InsertParagraph(TKXElement *Paragraph)
{
    TKXCustomLab &lab = *FEditor->Label();
    FEditor->BeginUpdate();
    if (FEditor->OnBeforeInsert)
        FEditor->OnBeforeInsert(FEditor, Paragraph);
    {
        TKXUndoStep step(lab, 1);
        lab.BeginUndoRecord(TKXURAction::urCreate, *Paragraph);
    }
    FEditor->SetSelect(Paragraph);
    lab.SetModified(true);
    HandBackSelectionTool();
    if (FEditor->ShowEditorAfterInsert)
        FEditor->ShowElementProp();
    FEditor->EndUpdate(true);
}

void TKXBackLab::HandBackSelectionTool()
{
    if (!FEditor->SelectionAfterInsert)
        return;
    const TKXDrawTool used = FEditor->DrawTool();
    FEditor->ReturnToSelectionTool();
    SetCursorSlot(FEditor->CurrentCursor());
    DragMod = TKXDrag::drgNone;
    if (FEditor->OnChangeDrawTool)
        FEditor->OnChangeDrawTool(FEditor, used, TKXDrawTool::dwSelection);
}

// ---------------------------------------------------------------------------------------
// Pictures

TKXElement *TKXBackLab::InsertPicture(const TRect &Rect)
{
    TKXCustomLab *lab = FEditor ? FEditor->Label() : nullptr;
    if (!lab)
        return nullptr;
    // The chooser starts in the label's picture folder when it has one.
    const QString file = lab->ChoosePicture();
    if (file.isEmpty())
        return nullptr;
    auto *image = lab->NewElement<TKXImage>();
    image->SetP1(FEditor->ScreenToLabelX(Rect.Left), FEditor->ScreenToLabelY(Rect.Top));
    const TKXInsertImage &fixed = FEditor->InsertImage();
    if (fixed.FixedSize()) {
        // The editor's picture size, label units, from wherever point 1 landed.
        image->PlaceP2({image->P1().x + fixed.WidthInternal(), image->P1().y + fixed.HeightInternal()});
    } else {
        image->SetP2(FEditor->ScreenToLabelX(Rect.Right), FEditor->ScreenToLabelY(Rect.Bottom));
    }
    FEditor->BeginUpdate();
    if (FEditor->OnBeforeInsert)
        FEditor->OnBeforeInsert(FEditor, image);
    FEditor->SetSelect(image);
    lab->SetModified(true);
    image->SetFileImage(file);
    FEditor->EndUpdate(true);
    return image;
}

// ---------------------------------------------------------------------------------------
// The band

void TKXBackLab::DrawRubberBand(QPainter &Painter, TPoint P1, TPoint P2, bool Dotted) const
{
    if (!FEditor)
        return;
    // The overlay is painted afresh on every frame over the composed screen, so the band
    // needs no inverting pen to be taken away again.
    Painter.save();
    QPen pen(ToQColor(FEditor->SelColor));
    pen.setWidth(1);
    pen.setStyle(Dotted ? Qt::DotLine : Qt::SolidLine);
    Painter.setPen(pen);
    Painter.setBrush(Qt::NoBrush);
    const QPoint a(P1.x, P1.y), b(P2.x, P2.y);
    switch (FEditor->DrawTool()) {
    case TKXDrawTool::dwLine: Painter.drawLine(a, b); break;
    case TKXDrawTool::dwRect:
    case TKXDrawTool::dwSelection:
    case TKXDrawTool::dwImage:
    case TKXDrawTool::dwParagraph:
    case TKXDrawTool::dwTable:
    case TKXDrawTool::dwLayout: {
        const QPoint corners[] = {a, {b.x(), a.y()}, b, {a.x(), b.y()}};
        Painter.drawPolygon(corners, 4);
        break;
    }
    case TKXDrawTool::dwCircle: {
        const int l = std::min(a.x(), b.x()), t = std::min(a.y(), b.y());
        Painter.drawEllipse(l, t, std::abs(b.x() - a.x()), std::abs(b.y() - a.y()));
        break;
    }
    case TKXDrawTool::dwTriangle: {
        // The apex over the middle of the band's first row, truncated towards P1.
        const int mid = P1.x + (P2.x - P1.x) / 2;
        const QPoint path[] = {{mid, a.y()}, b, {a.x(), b.y()}, {mid, a.y()}};
        Painter.drawPolyline(path, 4);
        break;
    }
    default: break;
    }
    Painter.restore();
}

} // namespace kx::designer
