#include "inspector/KXInspector.h"

#include "document/KXBaseLab.h"
#include "document/KXElement.h"
#include "elements/KXParagraph.h"

#include <QFontMetrics>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QToolTip>
#include <QWheelEvent>

#include <algorithm>
#include <exception>

namespace kx::designer {

namespace {

constexpr int MinItemHeight = 26;
constexpr int MinSplit = 30; // the split keeps this much of either column

bool Same(const QString &a, const QString &b)
{
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

// The row's value as the grid holds it: Booleans as bool, enumerations as their ordinal,
// characters as their code, lengths and factors as double, texts as QString.
QVariant ReadValue(const TKXPropInfo &Info, TKXElementProp Kind, const TKXElement &Element)
{
    const QVariant v = Info.Get(Element);
    switch (Info.Kind) {
    case TKXPropKind::pkEnumeration:
        if (Kind == TKXElementProp::epBoolean)
            return v.toBool();
        return v.toInt();
    case TKXPropKind::pkChar:
        if (v.typeId() == QMetaType::QString) {
            const QString s = v.toString();
            return s.isEmpty() ? 0 : int(s.at(0).unicode());
        }
        return v.toInt();
    case TKXPropKind::pkFloat:
        return v.toDouble();
    case TKXPropKind::pkString:
        return v.toString();
    default:
        return v; // integers and colours as published (int, uint)
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle

TKXCustomInspector::TKXCustomInspector(QWidget *Parent) : QAbstractScrollArea(Parent)
{
    resize(225, 200);
    setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    // The grid paints every pixel of the viewport itself.
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    verticalScrollBar()->setSingleStep(1);
    UpdateScrollBar();
}

TKXCustomInspector::~TKXCustomInspector()
{
    // The editor must not call an inspector that is gone.
    if (kx::TKXCustomEditor *ed = Editor(); ed && ed->Inspector == this)
        ed->Inspector = nullptr;
}

TKXCustomLab *TKXCustomInspector::Label() const
{
    return Editor() ? Editor()->Label() : nullptr;
}

TKXElement *TKXCustomInspector::Select() const
{
    return Editor() ? Editor()->GetSelect() : nullptr;
}

// ---------------------------------------------------------------------------------------
// Exclusions

void TKXCustomInspector::AddExcludePropety(const QString &PropName)
{
    if (!FExcludeProp.contains(PropName, Qt::CaseInsensitive))
        FExcludeProp << PropName;
}

void TKXCustomInspector::ClearExcludeList()
{
    FExcludeProp.clear();
}

// ---------------------------------------------------------------------------------------
// Rows of the selection

const TKXClassInfo *TKXCustomInspector::GetCommonClass(const std::vector<const TKXElement *> &Selection)
{
    if (Selection.empty())
        return nullptr;
    const TKXClassInfo *result = &Selection.front()->ClassType();
    for (size_t i = 1; i < Selection.size(); ++i) {
        const TKXClassInfo *c = &Selection[i]->ClassType();
        if (c == result)
            continue;
        // The nearest class of this element's chain that the result descends from; the
        // element's own class counts too, so an element of an ancestor class narrows the
        // result to that class and no further.
        for (const TKXClassInfo *p = c; p; p = p->ClassParent())
            if (result->InheritsFrom(*p)) {
                result = p;
                break;
            }
    }
    return result;
}

bool TKXCustomInspector::RowKind(const TKXPropInfo &Info, const TKXClassInfo &Listed, TKXElementProp &Kind)
{
    using E = TKXElementProp;
    const QString &n = Info.Name;
    const QString &t = Info.TypeName;
    switch (Info.Kind) {
    case TKXPropKind::pkInteger:
        if (Same(t, QStringLiteral("TColor")))
            Kind = E::epColor;
        else if (Same(n, QStringLiteral("Angle")))
            Kind = E::epAngle;
        else if (Same(n, QStringLiteral("RowCount")) || Same(n, QStringLiteral("ColCount")))
            Kind = E::epNumber;
        else
            Kind = E::epInteger;
        return true;
    case TKXPropKind::pkChar:
        Kind = E::epChar;
        return true;
    case TKXPropKind::pkEnumeration:
        if (Same(t, QStringLiteral("Boolean")))
            Kind = E::epBoolean;
        else if (Same(t, QStringLiteral("TKXTextFormat")))
            Kind = E::epAlignPara;
        else if (Same(t, QStringLiteral("TTextAlign")))
            Kind = E::epAlignText;
        else if (Same(t, QStringLiteral("TKXEleAlign")))
            Kind = E::epAlignEle;
        else
            Kind = E::epEnum;
        return true;
    case TKXPropKind::pkFloat:
        if (Same(n, QStringLiteral("Factor")))
            Kind = E::epFactor;
        else if (Same(n, QStringLiteral("Ratio")))
            Kind = E::epRatio;
        else
            Kind = E::epFloat;
        return true;
    case TKXPropKind::pkString: {
        const bool paragraph = Listed.InheritsFrom(TKXParagraph::ClassInfo());
        if (Same(n, QStringLiteral("FontName")))
            Kind = E::epFontName;
        else if (Same(n, QStringLiteral("FieldName")))
            Kind = E::epFieldName;
        else if (Same(n, QStringLiteral("EditTable")))
            Kind = E::epTable;
        else if (Same(n, QStringLiteral("EditPoly")))
            Kind = E::epDataPoly;
        else if (Same(n, QStringLiteral("FileImage")))
            Kind = E::epFileImage;
        else if (Same(n, QStringLiteral("Code")))
            Kind = E::epCode;
        else if (Same(n, QStringLiteral("Question")) || Same(n, QStringLiteral("Answer")) ||
                 Same(n, QStringLiteral("Before")) || Same(n, QStringLiteral("After")) ||
                 (Same(n, QStringLiteral("Text")) && !paragraph))
            Kind = E::epText;
        else if (Same(n, QStringLiteral("Text")))
            Kind = E::epParaText;
        else
            Kind = E::epString;
        return true;
    }
    default:
        return false; // sets, objects and events are never listed
    }
}

void TKXCustomInspector::BuildRows(std::vector<TKxProp> &Rows)
{
    kx::TKXCustomEditor *ed = Editor();
    if (!ed || ed->GetSelectedCount() <= 0)
        return;
    const TKXElement *first = ed->GetSelect();
    const TKXClassInfo *listed = nullptr;
    if (ed->GetSelectedCount() == 1) {
        listed = &first->ClassType();
    } else {
        std::vector<const TKXElement *> sel;
        sel.reserve(size_t(ed->GetSelectedCount()));
        for (int32_t i = 1; i <= ed->GetSelectedCount(); ++i)
            sel.push_back(ed->GetSelected(i));
        listed = GetCommonClass(sel);
    }
    // The data binding rows show only where there is something to bind to.
    const TKXCustomLab *lab = ed->Label();
    const bool dataRows = lab && (lab->LinkData() || lab->CounterCount() > 0);
    QString fontName = FFontName;

    const TKXPropTable &table = listed->Props();
    Rows.reserve(size_t(table.Count()));
    for (const TKXPropInfo &p : table) {
        if (FExcludeProp.contains(p.Name, Qt::CaseInsensitive))
            continue;
        TKXElementProp kind;
        if (!RowKind(p, *listed, kind))
            continue;
        if (!dataRows && (kind == TKXElementProp::epFieldName ||
                          (p.Kind == TKXPropKind::pkEnumeration && Same(p.Name, QStringLiteral("Data")))))
            continue;
        TKxProp row;
        for (int k = 0; k < FPropertyNames.size(); ++k)
            if (Same(FPropertyNames[k], p.Name)) {
                row.IdProp = k;
                break;
            }
        row.Valor = ReadValue(p, kind, *first);
        row.Name = p.Name;
        row.TypeInfo = &p;
        row.Kind = kind;
        if (kind == TKXElementProp::epFontName)
            fontName = row.Valor.toString();
        Rows.push_back(std::move(row));
    }
    FFontName = fontName;
}

void TKXCustomInspector::Inspect()
{
    std::vector<TKxProp> rows;
    try {
        BuildRows(rows);
    } catch (const std::exception &e) {
        // Nothing half-built is shown: the list stays as it was.
        if (TKXCustomLab *lab = Label())
            lab->UIServices().ShowMessage(QString::fromStdString(e.what()));
        viewport()->update();
        return;
    }
    FreeActiveEditor();
    FPropArray.swap(rows);
    FClickX = -1;
    FActiveProp = -1;
    UpdateScrollBar();
    viewport()->update();
}

int TKXCustomInspector::FindProp(const QString &Name) const
{
    for (size_t i = 0; i < FPropArray.size(); ++i)
        if (Same(FPropArray[i].Name, Name))
            return int(i);
    return -1;
}

void TKXCustomInspector::RefreshProperty(const QString &PropName)
{
    const TKXElement *first = Select();
    if (!first || FPropArray.empty())
        return;
    const int i = FindProp(PropName);
    if (i < 0)
        return;
    TKxProp &row = FPropArray[size_t(i)];
    try {
        row.Valor = ReadValue(*row.TypeInfo, row.Kind, *first);
    } catch (const std::exception &e) {
        if (TKXCustomLab *lab = Label())
            lab->UIServices().ShowMessage(QString::fromStdString(e.what()));
    }
    viewport()->update();
}

void TKXCustomInspector::Invalidate()
{
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Geometry

int TKXCustomInspector::GetItemHeight() const
{
    if (FItemHeight >= MinItemHeight)
        return FItemHeight;
    FItemHeight = std::max(QFontMetrics(font()).height() + 3, MinItemHeight);
    return FItemHeight;
}

int TKXCustomInspector::VisibleRows() const
{
    return viewport()->height() / GetItemHeight();
}

int TKXCustomInspector::MaxTopRow() const
{
    const int v = VisibleRows();
    return PropCount() < v ? 0 : PropCount() - v + 1;
}

QRect TKXCustomInspector::GetVisibleItemRect(int VIndex, bool EsData) const
{
    const int h = GetItemHeight();
    const int top = VIndex * h;
    if (EsData)
        return QRect(FSplit + 2, top, viewport()->width() - (FSplit + 2), h - 1);
    return QRect(0, top, FSplit - 2, h);
}

void TKXCustomInspector::SetSplitPos(int Value)
{
    int v = std::max(Value, MinSplit);
    if (v > viewport()->width() - MinSplit)
        v = viewport()->width() - MinSplit;
    FSplit = v;
    viewport()->update();
}

void TKXCustomInspector::SetTopProp(int Value)
{
    FTopProp = Value;
    UpdateScrollBar();
    viewport()->update();
}

void TKXCustomInspector::UpdateScrollBar()
{
    const int maxTop = MaxTopRow();
    FTopProp = std::clamp(FTopProp, 0, std::max(maxTop, 0));
    QScrollBar *sb = verticalScrollBar();
    FSettingScroll = true;
    sb->setRange(0, std::max(maxTop, 0));
    // One page is what the viewport shows.
    sb->setPageStep(std::max(VisibleRows(), 1));
    sb->setValue(FTopProp);
    FSettingScroll = false;
    FTopProp = sb->value();
}

void TKXCustomInspector::SetActiveProp(int Index)
{
    if (FPropArray.empty() || Index == FActiveProp)
        return;
    FreeActiveEditor();
    FActiveProp = std::clamp(Index, 0, PropCount() - 1);
    ShowActiveEditor();
    viewport()->update();
}

void TKXCustomInspector::ScrollInView()
{
    const int v = VisibleRows();
    if (FActiveProp > FTopProp && FActiveProp > FTopProp + v - 2)
        FTopProp = FActiveProp - v + 2;
    if (FActiveProp < FTopProp)
        FTopProp = FActiveProp;
    if (FTopProp < 0) {
        FTopProp = 0;
        SetActiveProp(0);
    }
}

int TKXCustomInspector::RowAt(QPoint Pos) const
{
    if (Pos.y() < 0)
        return -1;
    const int row = Pos.y() / GetItemHeight() + FTopProp;
    return row < PropCount() ? row : -1;
}

QString TKXCustomInspector::HintAt(QPoint Pos) const
{
    const int row = RowAt(Pos);
    if (row < 0)
        return {};
    using E = TKXElementProp;
    const TKxProp &p = FPropArray[size_t(row)];
    switch (p.Kind) {
    case E::epString:
    case E::epFontName:
    case E::epText:
    case E::epFieldName:
    case E::epFileImage:
        return p.Valor.toString();
    default:
        return {};
    }
}

// ---------------------------------------------------------------------------------------
// Appearance

void TKXCustomInspector::SetLanguage(TKXLanguage Value)
{
    FLanguage = Value;
    viewport()->update();
}

void TKXCustomInspector::SetIniTranslate(const QString &Value)
{
    FIniTranslate = Value;
    LoadTranslation();
    viewport()->update();
}

void TKXCustomInspector::SetNamesColor(const QColor &Value)
{
    FNamesColor = Value;
    viewport()->update();
}

void TKXCustomInspector::SetValuesColor(const QColor &Value)
{
    FValuesColor = Value;
    viewport()->update();
}

void TKXCustomInspector::SetNamesAlign(TAlignment Value)
{
    FNamesAlign = Value;
    viewport()->update();
}

// ---------------------------------------------------------------------------------------
// Events

bool TKXCustomInspector::event(QEvent *Event)
{
    // Tab moves into the in-place editor rather than to the next widget.
    if (Event->type() == QEvent::KeyPress) {
        auto *k = static_cast<QKeyEvent *>(Event);
        if (k->key() == Qt::Key_Tab && k->modifiers() == Qt::NoModifier) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(Event);
}

bool TKXCustomInspector::viewportEvent(QEvent *Event)
{
    if (Event->type() == QEvent::ToolTip) {
        auto *help = static_cast<QHelpEvent *>(Event);
        const QString hint = HintAt(help->pos());
        if (hint.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), hint, viewport());
        return true;
    }
    return QAbstractScrollArea::viewportEvent(Event);
}

void TKXCustomInspector::resizeEvent(QResizeEvent *Event)
{
    QAbstractScrollArea::resizeEvent(Event);
    UpdateScrollBar();
    SetSplitPos(FSplit);
}

void TKXCustomInspector::changeEvent(QEvent *Event)
{
    if (Event->type() == QEvent::FontChange) {
        FItemHeight = -1;
        UpdateScrollBar();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(Event);
}

void TKXCustomInspector::scrollContentsBy(int, int)
{
    if (FSettingScroll)
        return;
    // The scroll bar moved: the in-place editor goes, the active row stays.
    FTopProp = verticalScrollBar()->value();
    FreeActiveEditor();
    UpdateScrollBar();
    viewport()->update();
}

void TKXCustomInspector::wheelEvent(QWheelEvent *Event)
{
    Event->accept();
    const int delta = Event->angleDelta().y();
    if (delta == 0)
        return;
    // Partial steps (touchpads send small deltas) add up until they make a whole row; a
    // turn the other way drops what was left of the previous direction.
    if (FWheelRest != 0 && (FWheelRest > 0) != (delta > 0))
        FWheelRest = 0;
    FWheelRest += delta;
    const int h = GetItemHeight();
    const int rows = FWheelRest / h;
    FWheelRest -= rows * h;
    // Turned away from the user (positive) the list moves toward its first row.
    if (rows != 0)
        SetTopProp(FTopProp - rows);
}

void TKXCustomInspector::keyPressEvent(QKeyEvent *Event)
{
    if (Event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier)) {
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    if (FPropArray.empty()) {
        Event->ignore();
        return;
    }
    switch (Event->key()) {
    case Qt::Key_Tab:
        if (QWidget *editor = ActiveEditor())
            editor->setFocus(Qt::TabFocusReason);
        break;
    case Qt::Key_PageUp:
        SetActiveProp(std::max(FActiveProp - VisibleRows() + 1, 0));
        break;
    case Qt::Key_PageDown:
        SetActiveProp(std::min(FActiveProp + VisibleRows() - 1, PropCount() - 1));
        break;
    case Qt::Key_Up:
        if (FActiveProp > 0)
            SetActiveProp(FActiveProp - 1);
        break;
    case Qt::Key_Down:
        if (FActiveProp >= PropCount() - 1) {
            // The last row stays active and its editor opens anew.
            FreeActiveEditor();
            ShowActiveEditor();
        } else {
            SetActiveProp(FActiveProp + 1);
        }
        break;
    default:
        QAbstractScrollArea::keyPressEvent(Event);
        return;
    }
    Event->accept();
    ScrollInView();
    UpdateScrollBar();
    viewport()->update();
}

bool TKXCustomInspector::UnicodeTextRow(int Row) const
{
    const TKXCustomLab *lab = Label();
    return PropCount() > 1 && Row >= 0 && Row < PropCount() &&
           FPropArray[size_t(Row)].Kind == TKXElementProp::epText && lab && lab->UseUnicodeEditor() &&
           FShowUnicodeEditor;
}

void TKXCustomInspector::mousePressEvent(QMouseEvent *Event)
{
    if (Event->button() != Qt::LeftButton)
        return;
    const QPoint pos = Event->position().toPoint();
    FClickX = pos.x();
    setFocus(Qt::MouseFocusReason);
    if (std::abs(pos.x() - FSplit) <= 1) {
        FSplitMove = true;
        return;
    }
    const int row = pos.y() / GetItemHeight() + FTopProp;
    if (row >= PropCount())
        return;
    // A press on the name of a text row that opens the text dialog keeps the editor.
    if (UnicodeTextRow(row) && pos.x() < FSplit - 2) {
        FActiveProp = row;
        viewport()->update();
    } else {
        SetActiveProp(row);
    }
    ScrollInView();
    UpdateScrollBar();
}

void TKXCustomInspector::mouseMoveEvent(QMouseEvent *Event)
{
    const QPoint pos = Event->position().toPoint();
    if (FSplitMove) {
        if (pos.x() != FSplit) {
            SetSplitPos(pos.x());
            viewport()->repaint();
        }
        return;
    }
    const int row = RowAt(pos);
    if (row >= 0 && hasFocus() && Event->buttons() == Qt::LeftButton) {
        SetActiveProp(row);
        ScrollInView();
        UpdateScrollBar();
        viewport()->update();
    }
    UpdateCursor(pos);
}

void TKXCustomInspector::mouseReleaseEvent(QMouseEvent *)
{
    FSplitMove = false;
}

void TKXCustomInspector::UpdateCursor(QPoint Pos)
{
    Qt::CursorShape shape = Qt::ArrowCursor;
    const int row = RowAt(Pos);
    if (PropCount() > 1 && row >= 0) {
        if (std::abs(Pos.x() - FSplit) <= 1)
            shape = Qt::SplitHCursor;
        else if (Pos.x() < FSplit - 1 && UnicodeTextRow(row))
            shape = Qt::DragMoveCursor;
        else if (Pos.x() > FSplit + 1 && FPropArray[size_t(row)].Kind >= TKXElementProp::epChar)
            shape = Qt::PointingHandCursor;
    }
    viewport()->setCursor(shape);
}

} // namespace kx::designer
