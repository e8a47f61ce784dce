#include "dialogs/KXEdName.h"

#include "dialogs/KXDialogTexts.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace kx::designer {

TFEdName::TFEdName(QWidget *Parent) : TKXOptionDialog(Parent)
{
    setWindowTitle(DesignedTitle());
    LabName = new QLabel(DialogText("KXTnewname"), this);
    EdName = new QLineEdit(this);
    EdName->setObjectName(QStringLiteral("EdName"));
    LabName->setBuddy(EdName);
    Body()->addWidget(LabName);
    Body()->addWidget(EdName);
}

QString TFEdName::DesignedTitle()
{
    return DialogText("KXTEditName");
}

QString TFEdName::TitleOfKind(int16_t Tipo)
{
    switch (Tipo) {
    case 1: return DialogText("KXTfonewtablecap");
    case 2: return DialogText("KXTfonewlinktablecap");
    case 3:
    case 4: return DialogText("KXTfonewfiltercap");
    case 5: return DialogText("KXTNewFolder");
    case 6: return DialogText("KXTRenameFolder");
    case 7: return DialogText("KXTLabelName");
    default: return {};
    }
}

void TFEdName::Iniciar(int16_t Tipo, const QString &CName)
{
    LabName->setText(DialogText("KXTnewname"));
    if (const QString title = TitleOfKind(Tipo); !title.isEmpty())
        setWindowTitle(title);
    FNName = CName;
    ShowResults();
}

bool TFEdName::TakeResults()
{
    FNName = EdName->text();
    return true;
}

void TFEdName::ShowResults()
{
    EdName->setText(FNName);
    EdName->selectAll();
}

} // namespace kx::designer
