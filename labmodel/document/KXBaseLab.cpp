#include "document/KXBaseLab.h"

#include "core/KXUtils.h"
#include "document/KXUndo.h"
#include "file/KXLabelFile.h"
#include "print/KXPreview.h"
#include "print/KXPrintRun.h"

#include <algorithm>
#include <atomic>

namespace kx {

namespace {

// Serial numbers are unique within the process, so an undo record can never find another
// document's element under the serial it holds.
std::atomic<uint64_t> LastSerial{0};

const QString FilterBitmaps = QStringLiteral("Bitmaps (*.bmp)|*.bmp");
const QString FilterAll = QStringLiteral(
    "All (*.jpg;*.jpeg;*.bmp;*.gif;*.png;*.wmf;*.emf)|*.jpg;*.jpeg;*.bmp;*.gif;*.png;*.wmf;*.emf|"
    "JPEG Image File (*.jpg)|*.jpg|JPEG Image File (*.jpeg)|*.jpeg|GIF image (*.gif)|*.gif|"
    "PNG image (*.png)|*.png |WMF Metafile (*.wmf)|*.wmf|EMF Enhanced Metafile (*.emf)|*.emf");

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXCustomLab::TKXCustomLab()
    : FUndoRecorder(std::make_unique<TKXUndo>(*this)),
      FTitle(std::make_unique<TKXTitle>(this)),
      FMeasure(std::make_unique<TKXMeasure>(this)),
      FFrame(std::make_unique<TKXFrame>(this)),
      FBackSurf(std::make_unique<TKXBackSurf>(this)),
      FPrintInfo(std::make_unique<TKXPrintInfo>(this)),
      FFileExtras(std::make_unique<TKXLabelFileExtras>())
{
    SetPictureFilter();
}

TKXCustomLab::~TKXCustomLab()
{
    FDestroying = true;
    SetEditor(nullptr); // the editor no longer shows this document
    FSelected = nullptr;
    ClearMarkers();
    ClearUndoRedo();
    // Elements first: their destructors may still look at the document's settings.
    FElements.clear();
}

void TKXCustomLab::SetEditor(TKXCustomEditor *Value)
{
    if (Value == FEditor)
        return;
    if (TKXCustomEditor *old = FEditor) {
        // The editor drops what it holds of this document before the link goes; the
        // document stops reaching it first, so its own unlinking call finds nothing to do.
        FEditor = nullptr;
        old->LabelRemoved();
        if (old->FLabel == this)
            old->FLabel = nullptr;
    }
    if (Value && Value->FLabel && Value->FLabel != this)
        Value->FLabel->SetEditor(nullptr); // the editor leaves the document it showed
    FEditor = Value;
    if (Value)
        Value->FLabel = this;
}

void TKXCustomLab::Assign(const TKXCustomLab &Source)
{
    if (&Source == this)
        return;
    FFrame->Assign(*Source.FFrame);
    FBackSurf->Assign(*Source.FBackSurf);
    FPrintInfo->Assign(*Source.FPrintInfo);
    FTitle->Assign(*Source.FTitle);
    FMeasure->Assign(*Source.FMeasure);
    FUnits = Source.FUnits;
    FOpenCloseData = Source.FOpenCloseData;
    FMarkEmptyImage = Source.FMarkEmptyImage;
    FGridNotDrawFields = Source.FGridNotDrawFields;
    if (FOnlyBitmap != Source.FOnlyBitmap)
        SetOnlyBitmap(Source.FOnlyBitmap);
    FCheckBounds = Source.FCheckBounds;
}

TKXUIServices &TKXCustomLab::UIServices() const
{
    static TKXSilentUIServices silent;
    return FUIServices ? *FUIServices : silent;
}

void TKXCustomLab::ReportLoadProblem(const QString &Text)
{
    if (FQuietLoad || FLoadReports.contains(Text))
        return;
    FLoadReports << Text;
    UIServices().ShowMessage(Text);
}

void TKXCustomLab::SetUndoRecorder(std::unique_ptr<TKXUndoRecorder> Value)
{
    FUndoRecorder = std::move(Value);
}

void TKXCustomLab::SetMeasure(const TKXMeasure *Value)
{
    if (Value)
        FMeasure->Assign(*Value);
}

void TKXCustomLab::SetFrame(const TKXFrame *Value)
{
    if (Value)
        FFrame->Assign(*Value);
}

void TKXCustomLab::SetTitle(const TKXTitle *Value)
{
    if (Value)
        FTitle->Assign(*Value);
}

void TKXCustomLab::SetBackSurf(const TKXBackSurf *Value)
{
    if (Value)
        FBackSurf->Assign(*Value);
}

void TKXCustomLab::SetPrintInfo(const TKXPrintInfo *Value)
{
    if (Value)
        FPrintInfo->Assign(*Value);
}

// ---------------------------------------------------------------------------------------
// Units

void TKXCustomLab::SetUnits(TKXUnits Value)
{
    FUnits = Value;
    if (!FEditor)
        return;
    if (TKXDataRuler *ruler = FEditor->DataRuler()) {
        ruler->PutAlignX(FBackSurf->AlignX(), false);
        ruler->PutAlignY(FBackSurf->AlignY(), false);
        ruler->SetUnits(Value);
    }
    if (FEditor->Inspector)
        FEditor->Inspector->Invalidate();
}

int32_t TKXCustomLab::UnitsToInternal(long double Value) const
{
    return kx::UnitsToInternal(Value, FUnits);
}

long double TKXCustomLab::InternalToUnits(int64_t Value) const
{
    return kx::InternalToUnits(Value, FUnits);
}

// ---------------------------------------------------------------------------------------
// Change notification

void TKXCustomLab::NotifyChange(int16_t Kind, bool Inspect, const QString &PropName)
{
    if (!FEditor)
        return;
    bool guides = false;
    switch (Kind) {
    case 0:
        FBackSurf->FNeedPaint = true;
        FEditor->FPaintEle = true;
        FEditor->FPaintSel = true;
        break;
    case 1:
        FBackSurf->FNeedPaint = true;
        break;
    case 2:
        FEditor->FPaintEle = true;
        break;
    case 3:
        FEditor->FPaintSel = true;
        break;
    case 4:
        FEditor->FPaintEle = true;
        guides = true;
        break;
    case 5:
        FEditor->FPaintSel = true;
        guides = true;
        break;
    case 6:
        FEditor->FPaintEle = true;
        FEditor->FPaintSel = true;
        guides = true;
        break;
    default:
        break;
    }
    if (guides)
        FEditor->BuildGuideLines();
    if (!FEditor->FDraw)
        return;
    FEditor->RefreshView(Inspect, PropName);
    if (FEditor->GetSelectedCount() != 1)
        return;
    TKXDataRuler *ruler = FEditor->DataRuler();
    const TKXElement *one = FEditor->GetSelect();
    if (ruler && one)
        ruler->SetCoorSelect(one->GetFrameLeft(), one->GetFrameTop(), one->GetFrameRight(),
                             one->GetFrameBottom());
}

void TKXCustomLab::InspectorPropChanged(const QString &PropName)
{
    if (FEditor && FEditor->Inspector)
        FEditor->Inspector->RefreshProperty(PropName);
}

void TKXCustomLab::SetSelected(TKXElement *Value)
{
    if (FEditor)
        FEditor->SetSelect(Value);
    else
        FSelected = Value;
}

// ---------------------------------------------------------------------------------------
// Whole-label operations

void TKXCustomLab::Clear()
{
    ClearUndoRedo();
    // The selection must not outlive the elements it points to.
    FSelected = nullptr;
    if (FEditor)
        FEditor->ClearSelection();
    FElements.clear();
    if (FEditor) {
        FEditor->FPaintEle = true;
        FEditor->FPaintSel = true;
        FEditor->UpdateEditor(false);
    }
}

void TKXCustomLab::NewLabel()
{
    // The new label starts without the previous one's counters (Clear alone keeps them).
    ClearCounters();
    FPrintInfo->SetNumLabs(1);
    FPrintInfo->SetFirstLab(1);
    FPrintInfo->SetLastLab(1);
    FDaBa = false;
    Clear();
    FModified = false;
}

void TKXCustomLab::RotateLeft()
{
    Rotate(true);
}

void TKXCustomLab::RotateRight()
{
    Rotate(false);
}

// A quarter turn on the y-down page. Left: (x, y) -> (y, H - x) with H the new label
// height, angles 0 -> 90 -> 180 -> 270 -> 0. Right: (x, y) -> (W - y, x) with W the new
// width, angles the other way. Points are set directly: a rotated design always fits the
// rotated label, and no snapping may move it.
void TKXCustomLab::Rotate(bool Left)
{
    if (FEditor)
        FEditor->BeginUpdate();
    TKXMeasure &m = *FMeasure;
    std::swap(m.FPaperWidth, m.FPaperHeight);
    std::swap(m.FWidth, m.FHeight);
    const int32_t W = m.FWidth, H = m.FHeight;
    // In 64 bits: a damaged file's points may lie anywhere in the 32-bit range.
    auto turn = [&](TPoint p) {
        return Left ? TPoint{p.y, ClampCoord(int64_t(H) - p.x)} : TPoint{ClampCoord(int64_t(W) - p.y), p.x};
    };
    for (const auto &e : FElements) {
        switch (e->FAngle) {
        case 0:
            e->FAngle = Left ? 90 : 270;
            break;
        case 90:
            e->FAngle = Left ? 180 : 0;
            break;
        case 180:
            e->FAngle = Left ? 270 : 90;
            break;
        case 270:
            e->FAngle = Left ? 0 : 180;
            break;
        default:
            break;
        }
        e->FP1 = turn(e->FP1);
        if (e->FSelType != TKXSelType::stPoint) {
            e->FP2 = turn(e->FP2);
            e->Normalize();
            e->UpdateExtent();
        }
        e->Rotated(Left);
    }
    if (FEditor) {
        FEditor->RecalcZoom(false);
        FEditor->EndUpdate(true);
        FEditor->FZoomChanged = false;
    }
    FModified = true;
}

// ---------------------------------------------------------------------------------------
// Layouts

TKXLayoutCells *TKXCustomLab::FindLayout(int32_t LayoutID) const
{
    for (const auto &e : FElements)
        if (TKXLayoutCells *layout = e->AsLayout(); layout && layout->LayoutID() == LayoutID)
            return layout;
    return nullptr;
}

namespace {

// Whether the two rectangles share an area (edges excluded, as with the design surface's
// rectangles).
bool Meet(const TRect &a, const TRect &b)
{
    return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
           std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

} // namespace

bool TKXCustomLab::FindLayoutCell(TKXElement &Element)
{
    // By index: adding a member does not change the list, but stay safe against it.
    for (size_t i = 0; i < FElements.size(); ++i) {
        TKXElement &host = *FElements[i];
        TKXLayoutCells *layout = host.AsLayout();
        if (!layout || &host == &Element || !Meet(host.Border(), Element.Border()))
            continue;
        Element.IDLayout = layout->LayoutID();
        layout->AddMember(Element);
        if (layout->RowCount() < 2)
            Element.RowLayout = 0;
        else if (const int32_t row = layout->FirstRowMeeting(Element.Frame); row >= 0)
            Element.RowLayout = uint16_t(row);
        if (layout->ColCount() < 2)
            Element.ColLayout = 0;
        else if (const int32_t col = layout->FirstColMeeting(Element.Frame); col >= 0)
            Element.ColLayout = uint16_t(col);
        return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------
// Markers

void TKXCustomLab::AddSelectSegment(uint16_t Tipo, TPoint P, TPoint Q)
{
    FSelectArray.push_back({Tipo, P, Q});
}

void TKXCustomLab::AddRefSegment(uint16_t Tipo, TPoint P, TPoint Q)
{
    FRefArray.push_back({Tipo, P, Q});
}

void TKXCustomLab::AddSymbolPoint(uint16_t Tipo, TPoint P, bool Selected)
{
    (Selected ? FSymbolSelArray : FSymbolArray).push_back({Tipo, P});
}

void TKXCustomLab::ClearMarkers()
{
    FSelectArray.clear();
    FRefArray.clear();
    FSymbolArray.clear();
    FSymbolSelArray.clear();
}

// ---------------------------------------------------------------------------------------
// Pictures and plain settings

void TKXCustomLab::SetOnlyBitmap(bool Value)
{
    if (Value == FOnlyBitmap)
        return;
    FOnlyBitmap = Value;
    SetPictureFilter();
}

void TKXCustomLab::SetPictureFilter()
{
    FPictureFilter = FOnlyBitmap ? FilterBitmaps : FilterAll;
}

QString TKXCustomLab::ChoosePicture() const
{
    return UIServices().ChoosePicture(FPictureFilter, FImagesDir);
}

void TKXCustomLab::SetShowMargins(bool Value)
{
    if (Value != FShowMargins)
        FShowMargins = Value;
}

// ---------------------------------------------------------------------------------------
// Undo hooks

void TKXCustomLab::SetUnReIni(int32_t EleAfected)
{
    FElementsAfected = EleAfected;
    FElementsAdded = 0;
    if (FUndoRecorder)
        FUndoRecorder->StepSizeChanged(EleAfected);
}

void TKXCustomLab::RecordUndo(TKXURAction Kind, TKXElement &Element)
{
    if (FElementsAfected <= 0 || !FUndoRecorder)
        return;
    TKXElement *target = Element.ItemLayout() ? Element.ItemLayout() : &Element;
    FUndoRecorder->RecordUndo(Kind, *target);
}

void TKXCustomLab::RecordUndoState(TKXElement &Element, const TBytesArray &Record, const TKXLayoutCell &Cell)
{
    if (FElementsAfected <= 0 || !FUndoRecorder)
        return;
    FUndoRecorder->RecordUndoState(Element, Record, Cell);
}

TKXLayoutCell TKXCustomLab::CellOf(const TKXElement &Element) const
{
    TKXLayoutCell cell{Element.IDLayout, Element.ColLayout, Element.RowLayout, -1};
    if (cell.LayoutID > 0)
        if (const TKXLayoutCells *layout = FindLayout(cell.LayoutID)) {
            const std::vector<TKXElement *> members = layout->GetMembers();
            const auto it = std::find(members.begin(), members.end(), &Element);
            if (it != members.end())
                cell.Index = int32_t(it - members.begin());
        }
    return cell;
}

void TKXCustomLab::ClearUndoRedo()
{
    if (FUndoRecorder)
        FUndoRecorder->ClearUndoRedo();
    if (!FDestroying && OnUndoRedoEvent)
        OnUndoRedoEvent(this, true, true);
}

// ---------------------------------------------------------------------------------------
// Element list

void TKXCustomLab::AdoptElement(std::unique_ptr<TKXElement> Element, uint64_t Serial)
{
    TKXElement *raw = Element.get();
    raw->FSerial = (Serial != 0 && !ElementBySerial(Serial)) ? Serial : ++LastSerial;
    if (Serial != 0) {
        // Keep the process counter past every serial handed back, so none repeats.
        uint64_t last = LastSerial.load();
        while (last < Serial && !LastSerial.compare_exchange_weak(last, Serial)) {
        }
    }
    AddElement(std::move(Element), false);
    const TKXEle kind = raw->ElementType();
    const QString prefix = ElementPrefix(kind);
    if (FNameNewElements && !prefix.isEmpty()) {
        QString name;
        int32_t number = 0;
        GetNewElementName(prefix, kind, name, number);
        raw->FID = name;
    }
}

void TKXCustomLab::AddElement(std::unique_ptr<TKXElement> Element, bool Refresh)
{
    if (!Element)
        return;
    if (Element->FSerial == 0)
        Element->FSerial = ++LastSerial;
    FElements.push_back(std::move(Element));
    if (Refresh && FEditor)
        FEditor->UpdateEditor(false);
}

bool TKXCustomLab::RemoveElement(TKXElement *Element, bool Update, bool Undo)
{
    if (Element && Element == FSelected)
        FSelected = nullptr;
    const int32_t index = IndexOf(Element);
    if (index < 0)
        return false;
    // Recorded while it is still in place: a layout's step keeps its members in their
    // cells, a member's step its cell.
    if (Undo) {
        SetUnReIni(1);
        RecordUndo(TKXURAction::urDelete, *Element);
    }
    TKXLayoutCells *layout = Element->AsLayout();
    if (layout)
        layout->ReleaseMembers();
    // Out of its cell whether or not an editor shows the label: the layout must not keep
    // a member that is gone.
    if (!layout && Element->IDLayout > 0)
        if (TKXLayoutCells *host = FindLayout(Element->IDLayout))
            host->RemoveMember(*Element);
    if (FEditor) {
        const bool wasSelected = FEditor->DeleteFromSelection(Element);
        if (layout) {
            if (wasSelected)
                FEditor->FPaintEle = true;
        } else if (wasSelected) {
            FEditor->FPaintSel = true;
        } else {
            FEditor->FPaintEle = true;
        }
    }
    // The editor's selection may have made it Selected again meanwhile.
    if (FSelected == Element)
        FSelected = nullptr;
    FElements.erase(FElements.begin() + index);
    if (Update && FEditor)
        FEditor->UpdateEditor(false);
    return true;
}

void TKXCustomLab::PurgeDeletedElements()
{
    for (int32_t i = ElementCount() - 1; i >= 0; --i) {
        if (!FElements[size_t(i)]->FMarkDelete)
            continue;
        TKXElement *e = FElements[size_t(i)].get();
        if (FSelected == e)
            FSelected = nullptr;
        // Nor may the editor's selection keep it, or its layout cell.
        if (FEditor)
            FEditor->DeleteFromSelection(e);
        if (e->IDLayout > 0 && !e->AsLayout())
            if (TKXLayoutCells *host = FindLayout(e->IDLayout))
                host->RemoveMember(*e);
        if (TKXLayoutCells *layout = e->AsLayout())
            layout->ReleaseMembers();
        FElements.erase(FElements.begin() + i);
    }
}

TKXElement *TKXCustomLab::GetElement(int32_t ElementNo) const
{
    if (ElementNo < 1 || ElementNo > ElementCount())
        return nullptr;
    return FElements[size_t(ElementNo - 1)].get();
}

int32_t TKXCustomLab::IndexOf(const TKXElement *Element) const
{
    for (size_t i = 0; i < FElements.size(); ++i)
        if (FElements[i].get() == Element)
            return int32_t(i);
    return -1;
}

void TKXCustomLab::MoveElement(TKXElement *Element, int32_t Index)
{
    const int32_t from = IndexOf(Element);
    if (from < 0)
        return;
    Index = std::clamp(Index, 0, ElementCount() - 1);
    auto owned = std::move(FElements[size_t(from)]);
    FElements.erase(FElements.begin() + from);
    FElements.insert(FElements.begin() + Index, std::move(owned));
}

TKXElement *TKXCustomLab::ElementBySerial(uint64_t Serial) const
{
    for (const auto &e : FElements)
        if (e->FSerial == Serial)
            return e.get();
    return nullptr;
}

bool TKXCustomLab::ElementExists(const QString &ID) const
{
    return std::any_of(FElements.begin(), FElements.end(),
                       [&](const auto &e) { return SameTextAscii(e->FID, ID); });
}

bool TKXCustomLab::ElementByID(const QString &ID)
{
    for (const auto &e : FElements) {
        if (SameTextAscii(e->FID, ID)) {
            SetSelected(e.get());
            return true;
        }
    }
    return false;
}

void TKXCustomLab::GetNewElementName(const QString &Prefix, TKXEle, QString &Name,
                                     int32_t &Number) const
{
    // The lowest free number: a name handed out here is never one an element already has.
    // One pass marks the numbers taken: Prefix (ASCII case ignored, as names compare)
    // followed by a number written as QString::number writes it. With n elements the
    // answer is at most n + 1, so larger numbers need no mark.
    const size_t n = FElements.size();
    std::vector<bool> taken(n + 2, false);
    for (const auto &e : FElements) {
        const QString &id = e->FID;
        const qsizetype digits = id.size() - Prefix.size();
        if (digits <= 0 || digits > 10 || !SameTextAscii(id.left(Prefix.size()), Prefix))
            continue;
        uint64_t value = 0;
        bool number = id[Prefix.size()] != QLatin1Char('0');
        for (qsizetype i = Prefix.size(); number && i < id.size(); ++i) {
            const char16_t c = id[i].unicode();
            number = c >= u'0' && c <= u'9';
            value = value * 10 + (c - u'0');
        }
        if (number && value <= n + 1)
            taken[size_t(value)] = true;
    }
    size_t free = 1;
    while (taken[free])
        ++free;
    Number = int32_t(free);
    Name = Prefix + QString::number(Number);
}

QString TKXCustomLab::ElementPrefix(TKXEle Kind)
{
    switch (Kind) {
    case TKXEle::deLine: return QStringLiteral("Line");
    case TKXEle::deText: return QStringLiteral("Text");
    case TKXEle::deBar: return QStringLiteral("Barcode");
    case TKXEle::deRect: return QStringLiteral("Rectangle");
    case TKXEle::deSymbol: return QStringLiteral("Symbol");
    case TKXEle::deAddText: return QStringLiteral("AddText");
    case TKXEle::deImage: return QStringLiteral("Image");
    case TKXEle::deParagraph: return QStringLiteral("Paragraph");
    case TKXEle::deTable: return QStringLiteral("Table");
    case TKXEle::deAskText: return QStringLiteral("AskText");
    case TKXEle::dePolyText: return QStringLiteral("PolyText");
    case TKXEle::deLayout: return QStringLiteral("Layout");
    case TKXEle::dePdf417: return QStringLiteral("PDF417");
    case TKXEle::deDataMatrix: return QStringLiteral("DataMatrix");
    case TKXEle::deQRCode: return QStringLiteral("QRCode");
    case TKXEle::dePoint:
    case TKXEle::deColRowLay:
        break;
    }
    return {};
}

void TKXCustomLab::DrawElements(TKXCanvas &Canvas, TPoint Origin, TKXDrawType DrawType,
                                TKXFillType Fill)
{
    const bool design = DrawType == TKXDrawType::tdLab;
    // By index: an element drawing itself may read the list (a layout looks up its members).
    for (int32_t i = ElementCount() - 1; i >= 0; --i) {
        TKXElement &e = *FElements[size_t(i)];
        if (e.IDLayout != 0)
            continue; // drawn by its layout
        if (design && e.GetIsSelected())
            continue; // on the selection layer
        e.Draw(Canvas, Origin, DrawType, Fill);
    }
}

void TKXCustomLab::DrawSelected(TKXCanvas &Canvas, TPoint Origin, TKXDrawType DrawType,
                                TKXFillType Fill)
{
    if (!FEditor)
        return;
    for (int32_t n = FEditor->GetSelectedCount(); n >= 1; --n) {
        TKXElement *e = FEditor->GetSelected(n);
        if (!e)
            continue;
        if (TKXElement *layout = e->ItemLayout())
            e = layout;
        e->Draw(Canvas, Origin, DrawType, Fill);
    }
}

} // namespace kx
