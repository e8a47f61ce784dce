// The units chooser: millimetres, centimetres or inches for the label. Its entries are in
// that order, which is not the order of TKXUnits; EntryOfUnits and UnitsOfEntry are the only
// place that maps between the two.
#pragma once

#include "core/KXTypes.h"
#include "dialogs/KXOptionDialog.h"

class QComboBox;
class QLabel;

namespace kx::designer {

class TFSelUnits : public TKXOptionDialog {
public:
    explicit TFSelUnits(QWidget *Parent = nullptr);

    // Selects the entry of the label's current units.
    void Iniciar(TKXUnits CurUnits);

    // The chosen entry when the dialog was accepted, else the one Iniciar selected:
    // 0 millimetres, 1 centimetres, 2 inches.
    int SelUnit() const { return FSelUnit; }
    TKXUnits SelUnits() const { return UnitsOfEntry(FSelUnit); }

    static int EntryOfUnits(TKXUnits Units);
    // Entries outside 0..2 are millimetres.
    static TKXUnits UnitsOfEntry(int Entry);

    QComboBox *CBoxFilters = nullptr; // the units, owned by the widget tree
    QLabel *LabUnits = nullptr;

protected:
    bool TakeResults() override;
    void ShowResults() override;

private:
    int FSelUnit = 0; // 0..2
};

} // namespace kx::designer
