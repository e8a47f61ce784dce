#include "dialogs/KXSelUnits.h"

#include "dialogs/KXDialogTexts.h"

#include <QComboBox>
#include <QLabel>
#include <QVBoxLayout>

namespace kx::designer {

TFSelUnits::TFSelUnits(QWidget *Parent) : TKXOptionDialog(Parent)
{
    setWindowTitle(DialogText("KXTSelUnits"));
    LabUnits = new QLabel(DialogText("KXTCurUnits"), this);
    CBoxFilters = new QComboBox(this);
    CBoxFilters->setObjectName(QStringLiteral("CBoxFilters"));
    CBoxFilters->addItems({DialogText("KXTUnitMM"), DialogText("KXTUnitCM"), DialogText("KXTUnitInch")});
    LabUnits->setBuddy(CBoxFilters);
    Body()->addWidget(LabUnits);
    Body()->addWidget(CBoxFilters);
    ShowResults();
}

void TFSelUnits::Iniciar(TKXUnits CurUnits)
{
    FSelUnit = EntryOfUnits(CurUnits);
    ShowResults();
}

int TFSelUnits::EntryOfUnits(TKXUnits Units)
{
    switch (Units) {
    case TKXUnits::unMM: return 0;
    case TKXUnits::unCM: return 1;
    case TKXUnits::unINCH: return 2;
    }
    return 0;
}

TKXUnits TFSelUnits::UnitsOfEntry(int Entry)
{
    switch (Entry) {
    case 1: return TKXUnits::unCM;
    case 2: return TKXUnits::unINCH;
    default: return TKXUnits::unMM;
    }
}

bool TFSelUnits::TakeResults()
{
    FSelUnit = CBoxFilters->currentIndex();
    return true;
}

void TFSelUnits::ShowResults()
{
    CBoxFilters->setCurrentIndex(FSelUnit);
}

} // namespace kx::designer
