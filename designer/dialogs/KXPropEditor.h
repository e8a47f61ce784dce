// The editor properties dialog: the design editor's grid (steps, colour, shown, style,
// snapping), the label's two alignment guide lines (position, colour, shown, adjusted on the
// rulers), the selection colour, the reference lines and the rulers' size display.
//
// Every change goes to the live editor at once, so its effect shows behind the dialog. OK
// keeps what is there. Every other end - the Cancel button, Escape, the window's close box -
// puts back the values found by Ini, in one editor update (one repaint, no undo step), and
// the label's modified flag as it was; so does a dialog destroyed while open.
#pragma once

#include "core/KXTypes.h"
#include "dialogs/KXOptionDialog.h"

#include <QFrame>
#include <QPointer>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QRadioButton;

namespace kx {
class TKXCustomLab;
}

namespace kx::designer {

class TKXCustomEditor;
class TKxSpinEditFloat;

// A colour shown as a filled rectangle; any mouse button pressed on it asks for a new one.
class TKXColorSwatch : public QFrame {
public:
    explicit TKXColorSwatch(QWidget *Parent = nullptr);

    TColor Color() const { return FColor; }
    void SetColor(TColor Value);

    std::function<void()> OnMouseDown;

protected:
    void mousePressEvent(QMouseEvent *Event) override;
    void paintEvent(QPaintEvent *Event) override;

private:
    TColor FColor = 0;
};

class TFPropEditor : public TKXOptionDialog {
public:
    explicit TFPropEditor(QWidget *Parent = nullptr);
    // A dialog destroyed while still open (its owner went first) restores as Cancel does,
    // when its editor is still there.
    ~TFPropEditor() override;

    // Reads the editor's values (and remembers them for a restore), shows them and sets the
    // texts. Nothing reaches the editor before it; call it once, with a label linked.
    void Ini(TKXCustomEditor *Editor);
    TKXCustomEditor *Editor() const { return FKXEditor; }

    // The controls, owned by the widget tree.
    QGroupBox *GpBoxGrid = nullptr;
    QLabel *LabGridX = nullptr;
    QLabel *LabGridY = nullptr;
    QLabel *LabCoGrid = nullptr;
    TKxSpinEditFloat *SpEdFloatGX = nullptr;
    TKxSpinEditFloat *SpEdFloatGY = nullptr;
    TKXColorSwatch *ShCoGrid = nullptr;
    QCheckBox *CheckGrid = nullptr;
    QCheckBox *CheckSnap = nullptr;

    QGroupBox *GpBoxAligns = nullptr;
    QLabel *LabAlignLeft = nullptr;
    QLabel *LabAlignTop = nullptr;
    QLabel *LabAlignColor = nullptr;
    TKxSpinEditFloat *SpEdFloatAlLeft = nullptr;
    TKxSpinEditFloat *SpEdFloatAlTop = nullptr;
    TKXColorSwatch *ShCoAlign = nullptr;
    QCheckBox *CheckShowAlign = nullptr;
    QCheckBox *CheckAdjustAlign = nullptr;

    QGroupBox *GpBoxSelec = nullptr;
    QLabel *LabColorSel = nullptr;
    TKXColorSwatch *ShCoSelect = nullptr;
    QCheckBox *CBShowRefLines = nullptr;

    QGroupBox *RGDrawGrid = nullptr;
    QRadioButton *RBGridPoints = nullptr; // item 0
    QRadioButton *RBGridLines = nullptr;  // item 1

    QGroupBox *GpBoxSizeObjects = nullptr;
    QCheckBox *CheckShowSize = nullptr;
    QLabel *LabColSize = nullptr;
    TKXColorSwatch *ShCoSize = nullptr;

    // The background of a number field that has the focus.
    static constexpr TColor FocusColor = 0xFFE9BB;

protected:
    bool TakeResults() override { return true; }
    // Puts the opening values back on the editor (before Ini: nothing).
    void ShowResults() override;
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void FillLanguage();
    QString Text(const char *Section, const char *Key) const;
    void ShowValues();
    void ChooseColor(TKXColorSwatch *Swatch, const std::function<void(TColor)> &Apply);
    kx::TKXCustomLab *Lab() const;

    QPointer<TKXCustomEditor> FKXEditor; // the editor may go while the dialog is open
    bool FIntro = true;

    // The values at opening: positions and steps in label units (1/100 mm), so a restore is
    // exact whatever the current units.
    int32_t VAlLeft = 0, VAlTop = 0;
    int32_t VGrX = 0, VGrY = 0;
    bool VCkSAl = false, VCkSGr = false, VCkSnap = false, VCkAdAl = false, VCkSS = false, VRefLines = false;
    TColor VAlCol = 0, VGrCol = 0, VSeCol = 0, VSSCol = 0;
    TKXGridDraw VGDr = TKXGridDraw::gdPoints;
    bool VModified = false;
};

} // namespace kx::designer
