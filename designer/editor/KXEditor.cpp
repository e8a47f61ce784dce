#include "editor/KXEditor.h"

#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "editor/KXResources.h"
#include "platform/KXQtCanvas.h"
#include "rulers/KXRulers.h"
#include "surface/KXBackLab.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QScrollBar>

#include <cmath>

namespace kx::designer {

namespace {

// Offset of the design surface inside the scroll box, and the width of the margin strips.
constexpr int32_t SurfaceInset = 12;

// Zoom factors of the fixed levels zm50 .. zm500.
constexpr std::array<double, 13> ZoomFactors = {0.5, 0.75, 1, 1.25, 1.5, 1.75, 2, 2.5, 3, 3.5, 4, 4.5, 5};

bool IsFixedZoom(TKXZoom z) { return Ord(z) <= Ord(TKXZoom::zm500); }

// Cursor slot of each drawing tool, in the order of TKXDrawTool.
constexpr std::array<int16_t, 22> ToolCursors = {
    11, // dwLine
    9,  // dwRect
    8,  // dwText
    13, // dwBarCode
    0,  // dwSelection
    10, // dwSymbol
    14, // dwAddText
    15, // dwImage
    12, // dwParagraph
    16, // dwTable
    17, // dwAskText
    26, // dwCircle
    30, // dwTriangle
    27, // dwDateTime
    18, // dwPolyText
    22, // dwLayout
    19, // dwExtendLine
    19, // dwTrimLine
    19, // dwJoinLines
    23, // dwPdf417
    24, // dwDataMatrix
    25, // dwQRCode
};

TRect HandleAround(int32_t x, int32_t y) { return {x - 3, y - 3, x + 4, y + 4}; }
TPoint TopLeftOf(const TRect &R) { return {R.Left, R.Top}; }

void SetBackground(QWidget *W, TColor Color)
{
    QPalette pal = W->palette();
    pal.setColor(QPalette::Window, ToQColor(Color));
    W->setPalette(pal);
    W->setAutoFillBackground(true);
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXCustomEditor::TKXCustomEditor(QWidget *Parent) : QWidget(Parent)
{
    InitDesignerResources();
    FDraw = false;
    setFocusPolicy(Qt::StrongFocus);
    SelColor = clRed;
    ShowMarks = true;
    MarkColor = 0xFF8E33;
    Snap = TKXSnap::snNone;
    // The grid's defaults: a light grey step of 10 mm, hidden.
    Grid.Color = 0xEEEEEE;
    Grid.IncX = 1000;
    Grid.IncY = 1000;
    Grid.Show = false;

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        DPIX = std::max(1, int32_t(std::lround(screen->logicalDotsPerInchX())));
        DPIY = std::max(1, int32_t(std::lround(screen->logicalDotsPerInchY())));
    }

    FRulers = std::make_unique<TKXRulers>(this);
    Rulers = FRulers.get();
    FRulers->Data()->SetDPI(DPIX, DPIY);
    FTopRuler = new TKXTopRuler(this);
    FLeftRuler = new TKXLeftRuler(this);
    for (TKXRulerBase *r : {static_cast<TKXRulerBase *>(FTopRuler), static_cast<TKXRulerBase *>(FLeftRuler)}) {
        r->SetFont(FRulers->Font());
        r->SetData(FRulers->Data());
    }
    FTopRuler->resize(400, FRulers->Size());
    FLeftRuler->resize(FRulers->Size(), 300);
    FGrid = std::make_unique<TKXGrid>(this);

    FScroll = new TKXBaseScroll(this);
    FScroll->setFrameShape(QFrame::NoFrame);
    FScroll->setFocusPolicy(Qt::NoFocus);
    FScroll->setWidgetResizable(false);
    FScroll->OnScrollHEvent = [this](TKXBaseScroll *) { ScrollMoved(true); };
    FScroll->OnScrollVEvent = [this](TKXBaseScroll *) { ScrollMoved(false); };
    FRulers->Data()->SetSizeBorder(FScroll->frameWidth() > 0 ? 2 : 0);
    FScrollContent = new QWidget;
    FScrollContent->setFocusPolicy(Qt::NoFocus);
    FScroll->setWidget(FScrollContent);

    FBackLab = new TKXBackLab(FScrollContent);
    FBackLab->SetEditor(this);
    FBackLab->move(SurfaceInset, SurfaceInset);
    FBackLab->SetCursorSlot(FCurrentCursor);
    FBotMargin = new TKXMargin(FScrollContent);
    FRightMargin = new TKXMargin(FScrollContent);
    SetBackground(FScrollContent, FColor);
    FBotMargin->SetFillColor(FColor);
    FRightMargin->SetFillColor(FColor);

    FDraw = true;
    FPaintEle = false;
    FPaintSel = false;
    FInsertImage = std::make_unique<TKXInsertImage>(this);
    resize(400, 300);
    LayoutChildren();
    RecalcZoom(false);
    FZoomChanged = false;
    FCreating = false;
}

TKXCustomEditor::~TKXCustomEditor()
{
    // The selected elements get their flags back while the label is still linked, so a
    // later editor on it draws them and lets them be selected. The inspector lets go of the
    // editor first, so emptying the selection does not reach a half-destroyed editor.
    if (Inspector && Inspector->Editor() == this)
        Inspector->LinkEditor(nullptr);
    Inspector = nullptr;
    LabelRemoved();
    FreeBackLayer();
    FreeEleLayer();
    FreeSelLayer();
    Rulers = nullptr;
    // The ruler widgets unhook themselves from the shared ruler state, which the settings
    // object owns: they go first.
    delete FTopRuler;
    delete FLeftRuler;
    delete FScroll;
}

void TKXCustomEditor::SetZantor(kx::TKXCustomLab *Value)
{
    if (!Value || Value == Label())
        return;
    if (Label()) {
        UnselectAll();
        RestartRefTool();
    }
    Value->SetEditor(this); // also takes the editor off the label it showed
    TKXDataRuler *data = FRulers->Data();
    data->PutAlignX(Label()->BackSurf()->AlignX(), false);
    data->PutAlignY(Label()->BackSurf()->AlignY(), false);
    data->PutShowAlign(Label()->BackSurf()->ShowAlign());
    data->PutFacUnits(F, Label()->Units());
    if (Inspector) {
        Inspector->LoadTranslation();
        Inspector->Invalidate();
    }
    RecalcZoom(true);
    FZoomChanged = false;
    UpdateEditor(false);
}

void TKXCustomEditor::LabelRemoved()
{
    FDraw = false;
    if (Label()) {
        // Flags and markers go while the elements can still be reached.
        UnselectAll();
        RestartRefTool();
        if (Label()->Selected())
            Label()->SetSelectedField(nullptr);
    }
    ElementsSelected.clear();
    FSelectLayout = nullptr;
    FRefLine = {};
    FRefRect = {};
    FRefLines.clear();
    if (FBackLab)
        FBackLab->LabelRemoved();
    // Nothing of the label is shown any more.
    FreeBackLayer();
    FreeEleLayer();
    FreeSelLayer();
    FRulers->Data()->SetCoorSelect(0, 0, 0, 0);
    if (Inspector)
        Inspector->Inspect();
    // Called from outside the document: unlink too (from the document it is done already).
    if (Label())
        Label()->SetEditor(nullptr);
}

void TKXCustomEditor::SetInspector(TKXBaseInspector *Value)
{
    if (Value == Inspector)
        return;
    if (Inspector && Inspector->Editor() == this)
        Inspector->LinkEditor(nullptr);
    Inspector = Value;
    if (Inspector) {
        Inspector->LinkEditor(this);
        Inspector->LoadTranslation();
        Inspector->Invalidate();
    }
}

void TKXCustomEditor::AdjustLabel()
{
    RecalcZoom(false);
    if (Label())
        Label()->NotifyChange(0, false, QString());
    FZoomChanged = false;
}

void TKXCustomEditor::ShowElementProp()
{
    if (Label())
        Label()->ShowElementProp();
}

// ---------------------------------------------------------------------------------------
// Update protocol

void TKXCustomEditor::BeginUpdate()
{
    FDraw = false;
    if (Label())
        Label()->SetUnReIni(0);
}

void TKXCustomEditor::EndUpdate(bool Inspect)
{
    FDraw = true;
    if (Label())
        Label()->SetUnReIni(1);
    UpdateEditor(false);
    if (Inspect)
        UpdateEditor(true);
}

void TKXCustomEditor::UpdateEditor(bool Inspect) { RefreshView(Inspect, QString()); }

void TKXCustomEditor::RefreshView(bool Inspect, const QString &PropName)
{
    // The stale layers are drawn now, so the elements' frames and borders (and the handles)
    // are current for what follows; the surface composes and shows them when it paints.
    RenderLayers();
    if (FBackLab)
        FBackLab->update();
    const int32_t n = GetSelectedCount();
    if (n >= 2) {
        // Several selected: no single-element handles.
        FBackLab->DragMod = TKXDrag::drgMulti;
        FBackLab->R.fill(TRect{});
        FBackLab->RP1 = {};
        FBackLab->RP2 = {};
        FBackLab->DragRect = {};
    } else if (n == 1) {
        TKXElement *e = ElementsSelected.front();
        if (e->ElementType() == TKXEle::deLine) {
            // A line is dragged by its ends or as a whole, never by a box.
            FBackLab->DragMod = TKXDrag::drgLine;
            FBackLab->R.fill(TRect{});
            FBackLab->DragRect = {};
            FBackLab->RP1 = HandleAround(LabelToScreenX(e->P1().x), LabelToScreenY(e->P1().y));
            FBackLab->RP2 = HandleAround(LabelToScreenX(e->P2().x), LabelToScreenY(e->P2().y));
        } else if (FBackLab->DragMod != TKXDrag::drgCaret) {
            // A layout keeps the sizing mode while one of its column or row items is
            // selected, so its dividers stay in reach.
            const bool sizes = e->SelType() == TKXSelType::stRect || e->SelType() == TKXSelType::stRectText ||
                               FSelectLayout != nullptr;
            FBackLab->DragMod = sizes ? TKXDrag::drgSizes : TKXDrag::drgObject;
            FBackLab->DragRect = e->Border();
            FBackLab->RP1 = {};
            FBackLab->RP2 = {};
        }
        GiveRulersFrame(e);
    } else if (FBackLab->DragMod != TKXDrag::drgCaret) {
        // Nothing selected: nothing to grab.
        FBackLab->DragMod = TKXDrag::drgNone;
        FBackLab->R.fill(TRect{});
        FBackLab->RP1 = {};
        FBackLab->RP2 = {};
        FBackLab->DragRect = {};
    }
    if (Inspector) {
        if (Inspect)
            Inspector->Inspect();
        else if (!PropName.isEmpty())
            Inspector->RefreshProperty(PropName);
    }
}

// ---------------------------------------------------------------------------------------
// Zoom

void TKXCustomEditor::SetScreenDpi(int32_t X, int32_t Y)
{
    DPIX = std::max(1, X);
    DPIY = std::max(1, Y);
    FRulers->Data()->SetDPI(DPIX, DPIY);
}

void TKXCustomEditor::RecalcZoom(bool ResetScroll)
{
    FDraw = false;
    FZoomChanged = true;
    F = 0;
    const int32_t lw = Label() ? Label()->Measure()->WidthInternal() : 0;
    const int32_t lh = Label() ? Label()->Measure()->HeightInternal() : 0;
    const bool sized = Label() && lw > 0 && lh > 0;
    int32_t W = 0, H = 0;
    // Height for a width (and width for a height) keeping the label's proportions.
    auto heightFor = [&](int32_t w) {
        return sized ? Round((long double)w / lw * lh) : Round((long double)w / 300 * 200);
    };
    auto widthFor = [&](int32_t h) {
        return sized ? Round((long double)h / lh * lw) : Round((long double)h / 200 * 300);
    };
    if (IsFixedZoom(FZoom)) {
        F = ZoomFactors[Ord(FZoom)];
        if (sized) {
            W = Round((long double)F * lw * DPIX / 2540);
            H = Round((long double)lh * F * DPIY / 2540);
        } else {
            W = int32_t(F * 300);
            H = int32_t(F * 200);
        }
    } else {
        const int32_t sw = FScroll->width(), sh = FScroll->height();
        W = sw - 28;
        H = heightFor(W);
        if (sh - 16 < H) {
            if (FZoom == TKXZoom::zmWidth) {
                W = sw - 46; // room for the vertical scroll bar
                H = heightFor(W);
            } else {
                H = sh - 28;
                W = widthFor(H);
            }
        }
        W = std::max(W, 1);
        H = std::max(H, 1);
        F = sized ? double(W) * 2540 / (double(lw) * DPIX) : double(W) / 300;
    }
    W = std::max(W, 1);
    H = std::max(H, 1);

    FBackLab->SetBackScreenSize(0, 0);
    FBackLab->SetBackScreenSize(W, H);
    FBackLab->resize(W, H);
    FScrollContent->resize(W + 2 * SurfaceInset, H + 2 * SurfaceInset);
    FBotMargin->setGeometry(0, H + SurfaceInset, W + 2 * SurfaceInset, SurfaceInset);
    FRightMargin->setGeometry(W + SurfaceInset, 0, SurfaceInset, H + 2 * SurfaceInset);
    FScroll->HPos = 0;
    FScroll->VPos = 0;
    FRulers->Data()->SetFactor(F);
    for (TKXRulerBase *r : {static_cast<TKXRulerBase *>(FTopRuler), static_cast<TKXRulerBase *>(FLeftRuler)}) {
        r->SetPosT(-1 - r->Origin());
        r->SetFirstVal(0);
    }
    if (ResetScroll) {
        FScroll->horizontalScrollBar()->setValue(0);
        FScroll->verticalScrollBar()->setValue(0);
    }
    // A label read from a file brings its own alignment lines.
    if (Label())
        FRulers->Data()->PutShowAlign(Label()->BackSurf()->ShowAlign());
    // The scale changed: both graduations are drawn again.
    FTopRuler->Redraw();
    FLeftRuler->Redraw();
    if (Label()) {
        Label()->BackSurf()->FNeedPaint = true;
        FPaintEle = true;
        FPaintSel = true;
        FBackLab->ClearGuideLines();
    }
    FDraw = true;
}

void TKXCustomEditor::SetZoom(TKXZoom Value)
{
    if (Value == FZoom)
        return;
    FZoom = Value;
    RecalcZoom(true);
    FTopRuler->ResetFirstPos();
    FLeftRuler->ResetFirstPos();
    BuildGuideLines();
    UpdateEditor(false);
    FZoomChanged = false;
}

void TKXCustomEditor::ZoomIn()
{
    if (F > 5)
        return;
    if (IsFixedZoom(FZoom)) {
        if (FZoom != TKXZoom::zm500)
            SetZoom(TKXZoom(Ord(FZoom) + 1));
        return;
    }
    // From a fitted factor: the smallest fixed level above it.
    for (size_t i = 0; i < ZoomFactors.size(); ++i)
        if (F < ZoomFactors[i]) {
            SetZoom(TKXZoom(i));
            return;
        }
    SetZoom(TKXZoom::zm500);
}

void TKXCustomEditor::ZoomOut()
{
    if (F < 0.5)
        return;
    if (IsFixedZoom(FZoom)) {
        if (FZoom != TKXZoom::zm50)
            SetZoom(TKXZoom(Ord(FZoom) - 1));
        return;
    }
    // From a fitted factor: the largest fixed level below it (0.5 .. 0.75 gives zm50).
    for (size_t i = ZoomFactors.size(); i-- > 1;)
        if (F > ZoomFactors[i]) {
            SetZoom(TKXZoom(i));
            return;
        }
    SetZoom(TKXZoom::zm50);
}

int32_t TKXCustomEditor::GetViewWidth() const { return FBackLab ? FBackLab->width() : 0; }
int32_t TKXCustomEditor::GetViewHeight() const { return FBackLab ? FBackLab->height() : 0; }

float TKXCustomEditor::WorldX(int32_t xs) const
{
    return Label() ? float(Label()->InternalToUnits(ScreenToLabelX(xs))) : 0.0f;
}

float TKXCustomEditor::WorldY(int32_t ys) const
{
    return Label() ? float(Label()->InternalToUnits(ScreenToLabelY(ys))) : 0.0f;
}

// ---------------------------------------------------------------------------------------
// Drawing tool and properties

void TKXCustomEditor::SetDrawTool(TKXDrawTool Value)
{
    if (Value == FDrawTool)
        return;
    FAction = TKXAction::acNone;
    ClearRefLines();
    if (OnChangeDrawTool)
        OnChangeDrawTool(this, FDrawTool, Value);
    FDrawTool = FAllowEdit ? Value : TKXDrawTool::dwSelection;
    FCurrentCursor = ToolCursors[Ord(FDrawTool)];
    if (FDrawTool == TKXDrawTool::dwExtendLine || FDrawTool == TKXDrawTool::dwTrimLine)
        FAction = TKXAction::acSelRefLineOrRect;
    else if (FDrawTool == TKXDrawTool::dwJoinLines)
        FAction = TKXAction::acSelRefLine;
    FBackLab->SetCursorSlot(FCurrentCursor);
    FBackLab->DragMod = TKXDrag::drgNone;
}

void TKXCustomEditor::SetAllowEdit(bool Value)
{
    FAllowEdit = Value;
    if (!Value)
        SetDrawTool(TKXDrawTool::dwSelection);
}

void TKXCustomEditor::SetColor(TColor Value)
{
    if (Value == FColor)
        return;
    FColor = Value;
    SetBackground(FScrollContent, Value);
    FBotMargin->SetFillColor(Value);
    FRightMargin->SetFillColor(Value);
}

void TKXCustomEditor::SetSelColor(TColor Value)
{
    SelColor = Value;
    FPaintSel = true;
    UpdateEditor(false);
}

void TKXCustomEditor::SetShowMarks(bool Value)
{
    ShowMarks = Value;
    FPaintSel = true;
    FPaintEle = true;
    UpdateEditor(false);
}

void TKXCustomEditor::SetMarkColor(TColor Value)
{
    MarkColor = Value;
    FPaintSel = true;
    FPaintEle = true;
    UpdateEditor(false);
}

// ---------------------------------------------------------------------------------------
// Children

void TKXCustomEditor::LayoutChildren()
{
    const int32_t top = FTopRuler->height(), left = FLeftRuler->width();
    FTopRuler->setGeometry(0, 0, width(), top);
    FLeftRuler->setGeometry(0, top, left, std::max(0, height() - top));
    FScroll->setGeometry(left, top, std::max(0, width() - left), std::max(0, height() - top));
}

void TKXCustomEditor::resizeEvent(QResizeEvent *)
{
    LayoutChildren();
    if (FCreating)
        return;
    RecalcZoom(true);
    FBackLab->update();
}

void TKXCustomEditor::ScrollMoved(bool Horizontal)
{
    if (Horizontal)
        FTopRuler->SetFirstPos(FScroll->HPos);
    else
        FLeftRuler->SetFirstPos(FScroll->VPos);
}

// ---------------------------------------------------------------------------------------
// Paint layers

void TKXCustomEditor::RenderLayers()
{
    if (!FDraw || !Label())
        return;
    const int32_t W = GetViewWidth(), H = GetViewHeight();
    if (W <= 0 || H <= 0)
        return;
    const int32_t lw = Label()->Measure()->WidthInternal(), lh = Label()->Measure()->HeightInternal();
    // The element layers draw in label units mapped onto the surface.
    const TKXMapping labelMapping = TKXMapping::FromExtents(lw, lh, W, H);
    auto newLayer = [&] {
        QImage img(W, H, QImage::Format_ARGB32_Premultiplied);
        img.fill(Qt::transparent);
        return img;
    };
    TKXBackSurf &back = *Label()->BackSurf();

    if (back.FNeedPaint) {
        FBackLayer = newLayer();
        QPainter p(&FBackLayer);
        TKXQtCanvas canvas(p, TKXMapping{}); // surface pixels
        Label()->PaintBackSurf(canvas, 0, 0, TKXDrawType::tdLab, {0, 0, W + 1, H + 1}, FColor);
        back.FNeedPaint = false;
        ++FRenders.Back;
        ++FBaseSerial;
    }

    if (FPaintEle) {
        Label()->ClearSymbolArray();
        FPaintEle = false;
        FEleLayer = newLayer();
        QPainter p(&FEleLayer);
        TKXQtCanvas canvas(p, labelMapping);
        FLabCanvas = &canvas;
        PaintGrid(canvas);
        Label()->PaintFrame(canvas, 0, 0);
        if (!back.FDrawAlign)
            Label()->PaintAlignLines(canvas, false);
        Label()->DrawElements(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
        FLabCanvas = nullptr;
        ++FRenders.Ele;
        ++FBaseSerial;
    }

    const QRect visible = VisibleRect();
    if (FPaintSel || visible != FSelRect) {
        // The reference markers come from the selected elements too: drawn again, not added.
        Label()->ClearSelectArrays();
        Label()->ClearRefArray();
        FPaintSel = false;
        // Only what is visible, in an image kept from the last frame when it has that size:
        // a frame of a drag neither allocates nor fills the whole surface at high zoom.
        FSelRect = visible;
        if (FSelLayer.size() != visible.size())
            FSelLayer = QImage(visible.size(), QImage::Format_ARGB32_Premultiplied);
        FSelLayer.fill(Qt::transparent);
        QPainter p(&FSelLayer);
        // The elements still work in surface pixels (their borders and handles are surface
        // positions); the painter shows the visible part.
        TKXQtCanvas canvas(p, labelMapping, QTransform::fromTranslate(-visible.x(), -visible.y()));
        FLabCanvas = &canvas;
        Label()->DrawSelected(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftNone);
        if (back.FDrawAlign)
            Label()->PaintAlignLines(canvas, false);
        FLabCanvas = nullptr;
        ++FRenders.Sel;
    }
}

QRect TKXCustomEditor::VisibleRect() const
{
    const QRect surface(0, 0, GetViewWidth(), GetViewHeight());
    QRect shown = surface;
    if (FScroll && FBackLab) {
        const QWidget *port = FScroll->viewport();
        shown = QRect(FBackLab->mapFrom(port, QPoint(0, 0)), port->size()).intersected(surface);
    }
    // Scrolled or sized away (a hidden or collapsed editor): the layer still has its pixel,
    // since drawing the selection also places its handles.
    if (shown.isEmpty())
        shown = QRect(0, 0, 1, 1);
    return shown;
}

void TKXCustomEditor::PaintGrid(TKXQtCanvas &Canvas)
{
    if (!Grid.Show || !Label() || Grid.IncX <= 0 || Grid.IncY <= 0)
        return;
    const int32_t lw = Label()->Measure()->WidthInternal(), lh = Label()->Measure()->HeightInternal();
    Canvas.SaveState();
    Canvas.SetPen({Grid.Color, 0});
    if (GridSettings().Style() == TKXGridDraw::gdPoints) {
        // One device pixel at every inner grid point.
        QPainter &p = Canvas.Painter();
        p.save();
        p.setPen(ToQColor(Grid.Color));
        for (int32_t x = Grid.IncX; x < lw; x += Grid.IncX)
            for (int32_t y = Grid.IncY; y < lh; y += Grid.IncY) {
                const TPoint d = Canvas.LPtoDP(TPoint{x, y});
                p.drawPoint(d.x, d.y);
            }
        p.restore();
    } else {
        for (int32_t x = Grid.IncX; x < lw; x += Grid.IncX) {
            Canvas.MoveTo(x, 0);
            Canvas.LineTo(x, lh);
        }
        for (int32_t y = Grid.IncY; y < lh; y += Grid.IncY) {
            Canvas.MoveTo(0, y);
            Canvas.LineTo(lw, y);
        }
    }
    Canvas.RestoreState();
}

void TKXCustomEditor::DrawSelectionFrame(bool IsSelected, bool DataBound, TKXSelType SelType, uint16_t Angle,
                                         const TRect &Frame, const TRect &Border, bool)
{
    // The data-binding mark, at the corner where the element's text starts.
    if (DataBound && ShowMarks && Label()) {
        TPoint at{Border.Left + 1, Border.Top + 1};
        switch (Angle) {
        case 90: at = {Border.Left + 1, Border.Bottom - 8}; break;
        case 180: at = {Border.Right - 8, Border.Bottom - 8}; break;
        case 270: at = {Border.Right - 8, Border.Top + 1}; break;
        default: break;
        }
        Label()->AddSymbolPoint(1, at, IsSelected);
    }
    if (!FLabCanvas)
        return;
    TKXCanvas &c = *FLabCanvas;
    c.SetBrush({clWhite, TKXBrushStyle::bsClear});
    if (!IsSelected)
        return;

    const int32_t count = GetSelectedCount();
    TKXPen pen;
    pen.Color = count < 2 ? SelColor : FSelMultiColor;
    pen.Width = 0;
    const bool dotted = FSelectStyle == TKXSelectStyle::ssDotRect || FSelectStyle == TKXSelectStyle::ssDotLines;
    pen.Style = dotted ? TKXPenStyle::psDot : TKXPenStyle::psSolid;
    c.SetPen(pen);
    if (FSelectStyle == TKXSelectStyle::ssRect || FSelectStyle == TKXSelectStyle::ssDotRect) {
        c.Polyline({{Frame.Left, Frame.Top},
                    {Frame.Right, Frame.Top},
                    {Frame.Right, Frame.Bottom},
                    {Frame.Left, Frame.Bottom},
                    {Frame.Left, Frame.Top}});
    } else {
        // Lines running past the corners by a fifth of the shorter side.
        const int32_t e = std::min(Frame.Right - Frame.Left, Frame.Bottom - Frame.Top) / 5;
        auto seg = [&](int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
            c.MoveTo(x1, y1);
            c.LineTo(x2, y2);
        };
        seg(Frame.Left - e, Frame.Top, Frame.Right + e, Frame.Top);
        seg(Frame.Left - e, Frame.Bottom, Frame.Right + e, Frame.Bottom);
        seg(Frame.Left, Frame.Top - e, Frame.Left, Frame.Bottom + e);
        seg(Frame.Right, Frame.Top - e, Frame.Right, Frame.Bottom + e);
    }

    if (count > 1 || !Label())
        return;
    // Handles of a single selection: 7 x 7 squares around points of the border.
    const int32_t midX = Border.Left + (Border.Right - Border.Left) / 2;
    const int32_t midY = Border.Top + (Border.Bottom - Border.Top) / 2;
    auto &R = FBackLab->R;
    if (SelType == TKXSelType::stRect) {
        R[0] = HandleAround(Border.Left, midY);   // dtLeft
        R[1] = HandleAround(Border.Right, midY);  // dtRight
        R[2] = HandleAround(midX, Border.Top);    // dtTop
        R[3] = HandleAround(midX, Border.Bottom); // dtBottom
        R[4] = HandleAround(Border.Left, Border.Top);
        R[5] = HandleAround(Border.Right, Border.Top);
        R[6] = HandleAround(Border.Left, Border.Bottom);
        R[7] = HandleAround(Border.Right, Border.Bottom);
        Label()->AddSelectSegment(2, TopLeftOf(R[0]), TopLeftOf(R[1]));
        Label()->AddSelectSegment(2, TopLeftOf(R[2]), TopLeftOf(R[3]));
        Label()->AddSelectSegment(2, TopLeftOf(R[4]), TopLeftOf(R[5]));
        Label()->AddSelectSegment(2, TopLeftOf(R[6]), TopLeftOf(R[7]));
    } else if (SelType == TKXSelType::stRectText) {
        // The one handle that drags a text's design width, on the side its text runs to.
        size_t slot = 1;
        TRect h = HandleAround(Border.Right, midY);
        switch (Angle) {
        case 90: slot = 2; h = HandleAround(midX, Border.Top); break;
        case 180: slot = 0; h = HandleAround(Border.Left, midY); break;
        case 270: slot = 3; h = HandleAround(midX, Border.Bottom); break;
        default: break;
        }
        R[slot] = h;
        Label()->AddSelectSegment(4, TopLeftOf(h), TopLeftOf(h));
    }
}

void TKXCustomEditor::BuildGuideLines()
{
    if (FBackLab)
        FBackLab->BuildGuideLines();
}

// ---------------------------------------------------------------------------------------
// Keyboard

void TKXCustomEditor::keyPressEvent(QKeyEvent *Event)
{
    const int key = Event->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right || key == Qt::Key_Up || key == Qt::Key_Down) {
        KeyDown(key, Event->modifiers());
        Event->accept();
        return;
    }
    QWidget::keyPressEvent(Event);
}

void TKXCustomEditor::KeyDown(int Key, Qt::KeyboardModifiers Shift)
{
    if (!Label() || ElementsSelected.empty())
        return;
    if (Key != Qt::Key_Left && Key != Qt::Key_Right && Key != Qt::Key_Up && Key != Qt::Key_Down)
        return;
    const bool ctrl = Shift.testFlag(Qt::ControlModifier);
    const bool shift = Shift.testFlag(Qt::ShiftModifier);
    if (!ctrl && !shift)
        return;
    {
        // One undo step for the whole selection; the count is not limited to 16 bits.
        TKXUndoStep step(*Label(), int32_t(ElementsSelected.size()));
        for (TKXElement *e : ElementsSelected) {
            Label()->RecordUndo(TKXURAction::urProp, *e);
            if (ctrl) {
                switch (Key) {
                case Qt::Key_Left: e->MoveLayoutBy(-Grid.IncX, 0); break;
                case Qt::Key_Right: e->MoveLayoutBy(Grid.IncX, 0); break;
                case Qt::Key_Up: e->MoveLayoutBy(0, -Grid.IncY); break;
                case Qt::Key_Down: e->MoveLayoutBy(0, Grid.IncY); break;
                }
            } else {
                // Resizes at the right or bottom edge; never to nothing. SetP2 marks the label
                // modified, as a move does.
                const TPoint p1 = e->P1(), p2 = e->P2();
                switch (Key) {
                case Qt::Key_Right: e->SetP2(p2.x + Grid.IncX, p2.y); break;
                case Qt::Key_Down: e->SetP2(p2.x, p2.y + Grid.IncY); break;
                case Qt::Key_Left:
                    if (p2.x - Grid.IncX > p1.x)
                        e->SetP2(p2.x - Grid.IncX, p2.y);
                    break;
                case Qt::Key_Up:
                    if (p2.y - Grid.IncY > p1.y)
                        e->SetP2(p2.x, p2.y - Grid.IncY);
                    break;
                }
            }
        }
    }
    SelectionMoved();
}

void TKXCustomEditor::SelectionMoved()
{
    if (ElementsSelected.empty())
        return;
    FPaintSel = true;
    UpdateEditor(true);
    if (GetSelectedCount() == 1) {
        GiveRulersFrame(ElementsSelected.front());
        FBackLab->BuildGuideLines();
    }
}

} // namespace kx::designer
