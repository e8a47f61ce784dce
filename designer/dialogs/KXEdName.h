// The name prompt: one line of text under the caption "NAME", titled by what is being named
// (a table, a linked table, a filter, a template folder, a label).
#pragma once

#include "dialogs/KXOptionDialog.h"

#include <cstdint>

class QLabel;
class QLineEdit;

namespace kx::designer {

class TFEdName : public TKXOptionDialog {
public:
    explicit TFEdName(QWidget *Parent = nullptr);

    // Tipo: what is named (TitleOfKind); CName: the proposed name.
    void Iniciar(int16_t Tipo, const QString &CName);

    // The edit's text when the dialog was accepted, else the proposed name.
    QString NName() const { return FNName; }

    // The title for a kind: 1 new table, 2 new linked table, 3 and 4 new filter, 5 new
    // template folder, 6 renaming a template folder, 7 a template's label name; empty for
    // any other kind, which keeps the designed title.
    static QString TitleOfKind(int16_t Tipo);
    // The title the dialog is designed with.
    static QString DesignedTitle();

    QLineEdit *EdName = nullptr; // owned by the widget tree
    QLabel *LabName = nullptr;

protected:
    bool TakeResults() override;
    void ShowResults() override;

private:
    QString FNName;
};

} // namespace kx::designer
