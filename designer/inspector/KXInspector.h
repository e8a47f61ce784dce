// The property inspector: a self-drawn grid of two columns beside the design surface, the
// name of a published property of the selected elements on the left and its value on the
// right.
//
// TKXCustomInspector lists the rows, keeps their geometry (row height from the font, the
// split between the columns, the first visible row) and moves through them with the
// scroll bar, the wheel, the mouse and the keys. It lists through the published tables
// only (document/KXProperties.h): one selected element lists its own class, several the
// nearest class in the chain that all of them share; the values are those of the first
// selected element. TKXInspector (KXInspectorComponent.h), the one the program shows,
// gives the rows their texts and draws them.
//
// Geometry is in pixels of the viewport (the client area left of the scroll bar).
#pragma once

#include "core/KXTypes.h"
#include "document/KXDesignerServices.h"
#include "document/KXProperties.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <vector>

namespace kx {
class TKXElement;
class TKXCustomLab;
} // namespace kx

namespace kx::designer {

// One listed property.
struct TKxProp {
    int32_t IdProp = 0;     // index of Name among the caption keys, 0 when absent
    bool Enabled = true;    // every built row
    QVariant Valor;         // int, bool, double or QString by Kind (a character as its code)
    QString Name;           // the published name
    const TKXPropInfo *TypeInfo = nullptr; // the entry of the listed class's table
    TKXElementProp Kind = TKXElementProp::epString;
};

class TKXCustomInspector : public QAbstractScrollArea, public TKXBaseInspector {
public:
    // --- Lifecycle -----------------------------------------------------------------------
    explicit TKXCustomInspector(QWidget *Parent = nullptr);
    ~TKXCustomInspector() override;

    // --- What the document and the editor call -------------------------------------------
    // Lists the editor's selection again. The rows are built aside and swapped in whole: a
    // value that cannot be read leaves the previous list as it was and is reported through
    // the label's UI services.
    void Inspect() override;
    // Reads the row named PropName (ignoring case) again from the first selected element
    // and repaints; nothing else changes. No selection, no rows or no such row: nothing.
    void RefreshProperty(const QString &PropName) override;
    void Invalidate() override;

    // --- Exclusions: names never listed (compared ignoring case) -------------------------
    void AddExcludePropety(const QString &PropName);
    void ClearExcludeList();
    const QStringList &ExcludeList() const { return FExcludeProp; }

    // --- Rows ----------------------------------------------------------------------------
    const std::vector<TKxProp> &Props() const { return FPropArray; }
    int PropCount() const { return int(FPropArray.size()); }
    // Index of the first row named Name (ignoring case); -1 when none.
    int FindProp(const QString &Name) const;
    // The caption keys; a row's IdProp is its name's index here.
    const QStringList &PropertyNames() const { return FPropertyNames; }

    // The class listed for a selection: the first element's class, narrowed for each further
    // element of another class to the nearest class both descend from. Null for none.
    static const TKXClassInfo *GetCommonClass(const std::vector<const TKXElement *> &Selection);
    // The row kind of a published entry of the listed class; false when it is not listed
    // (its kind is not one of the listed value kinds).
    static bool RowKind(const TKXPropInfo &Info, const TKXClassInfo &Listed, TKXElementProp &Kind);

    // --- Geometry ------------------------------------------------------------------------
    // Row height: the font's text height + 3, at least 26 pixels.
    int GetItemHeight() const;
    int VisibleRows() const;
    // The last first row: one empty row can be scrolled into view after the last.
    int MaxTopRow() const;
    // The cell of visible row VIndex (from the first visible row): the value cell when
    // EsData, else the name cell.
    QRect GetVisibleItemRect(int VIndex, bool EsData) const;
    int SplitPos() const { return FSplit; }
    // At least 30, and at most the client width - 30 (which wins); repaints.
    void SetSplitPos(int Value);
    int TopProp() const { return FTopProp; }
    // Makes Value the first visible row (limited to 0 .. MaxTopRow) and repaints.
    void SetTopProp(int Value);
    int ActiveProp() const { return FActiveProp; }
    // Makes row Index (limited to the rows) the active one; nothing without rows.
    void SetActiveProp(int Index);
    // Scrolls so that the active row shows.
    void ScrollInView();
    // Range 0 .. MaxTopRow, page = the visible rows, position FTopProp (clamped first).
    void UpdateScrollBar();
    // The row under a viewport point, -1 when none.
    int RowAt(QPoint Pos) const;
    // The hint over a viewport point: the value of text-like rows, empty otherwise.
    QString HintAt(QPoint Pos) const;

    // --- Appearance ----------------------------------------------------------------------
    TKXLanguage Language() const { return FLanguage; }
    void SetLanguage(TKXLanguage Value);
    const QString &IniTranslate() const { return FIniTranslate; }
    // Stores the file name, reads the captions from it and repaints.
    void SetIniTranslate(const QString &Value);
    QColor NamesColor() const { return FNamesColor; }
    void SetNamesColor(const QColor &Value);
    QColor ValuesColor() const { return FValuesColor; }
    void SetValuesColor(const QColor &Value);
    TAlignment NamesAlign() const { return FNamesAlign; }
    void SetNamesAlign(TAlignment Value);
    // The font of the last FontName row built ("Arial" before any).
    const QString &FontName() const { return FFontName; }
    bool ShowUnicodeEditor() const { return FShowUnicodeEditor; }
    void SetShowUnicodeEditor(bool Value) { FShowUnicodeEditor = Value; }
    bool DropDownOnSelect() const { return FDropDownSelect; }
    void SetDropDownOnSelect(bool Value) { FDropDownSelect = Value; }
    TKXInspectMode InspectMode() const { return FInspectMode; }
    void SetInspectMode(TKXInspectMode Value) { FInspectMode = Value; }

    // The label of the linked editor, null without one.
    TKXCustomLab *Label() const;
    // The first selected element, null without one.
    TKXElement *Select() const;

protected:
    // --- Hooks of the editing half ------------------------------------------------------
    // Opens the in-place editor of the active row (none yet: values change through the
    // element dialogs).
    virtual void ShowActiveEditor() {}
    // Frees the in-place editor, if any.
    virtual void FreeActiveEditor() {}
    // The in-place editor, null when none.
    virtual QWidget *ActiveEditor() const { return nullptr; }

    // --- Qt events -----------------------------------------------------------------------
    bool event(QEvent *Event) override;
    bool viewportEvent(QEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void changeEvent(QEvent *Event) override;
    void wheelEvent(QWheelEvent *Event) override;
    void keyPressEvent(QKeyEvent *Event) override;
    void mousePressEvent(QMouseEvent *Event) override;
    void mouseMoveEvent(QMouseEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;
    void scrollContentsBy(int dx, int dy) override;

    QStringList FPropertyNames; // the caption keys (filled by TKXInspector)

private:
    // Builds the rows of the current selection into Rows; throws what a getter throws.
    void BuildRows(std::vector<TKxProp> &Rows);
    bool UnicodeTextRow(int Row) const;
    void UpdateCursor(QPoint Pos);

    std::vector<TKxProp> FPropArray;
    QStringList FExcludeProp;
    int FTopProp = 0;
    mutable int FItemHeight = -1; // -1: measure again
    int FActiveProp = -1;
    int FSplit = 100;
    bool FSplitMove = false;
    TKXLanguage FLanguage = TKXLanguage::kxEnglish;
    QColor FNamesColor = Qt::black;
    QColor FValuesColor = Qt::black;
    TAlignment FNamesAlign = TAlignment::taLeftJustify;
    bool FDropDownSelect = false;
    TKXInspectMode FInspectMode = TKXInspectMode::imDblClick;
    QString FIniTranslate;
    QString FFontName = QStringLiteral("Arial");
    int FClickX = -1;
    bool FShowUnicodeEditor = true;
    int FWheelRest = 0;        // wheel delta (pixels) not yet turned into whole rows
    bool FSettingScroll = false; // UpdateScrollBar is writing the scroll bar
};

} // namespace kx::designer
