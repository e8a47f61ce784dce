#include "dialogs/KXOptionDialog.h"

#include "dialogs/KXDialogTexts.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace kx::designer {

TKXOptionDialog::TKXOptionDialog(QWidget *Parent) : QDialog(Parent)
{
    auto *outer = new QVBoxLayout(this);
    FBody = new QVBoxLayout;
    outer->addLayout(FBody);
    auto *buttons = new QDialogButtonBox(this);
    FButOK = buttons->addButton(DialogText("KXTbutok"), QDialogButtonBox::AcceptRole);
    FButCancel = buttons->addButton(DialogText("KXTbutcancel"), QDialogButtonBox::RejectRole);
    FButOK->setObjectName(QStringLiteral("ButOK"));
    FButCancel->setObjectName(QStringLiteral("ButCancel"));
    FButOK->setDefault(true);
    outer->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void TKXOptionDialog::done(int Result)
{
    if (Result == Accepted) {
        if (!TakeResults())
            return;
    } else {
        ShowResults();
    }
    QDialog::done(Result);
}

} // namespace kx::designer
