// A one-line edit whose text is left-, right- or centre-aligned (centred when made): the
// page counter of the print preview.
#pragma once

#include "core/KXTypes.h"

#include <QLineEdit>

namespace kx::designer {

class TKxAlignEdit : public QLineEdit {
public:
    explicit TKxAlignEdit(QWidget *Parent = nullptr);

    // Takes the alignment of Source.
    void Assign(const TKxAlignEdit &Source) { SetAlignment(Source.Alignment()); }

    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment Value);

    // The Qt alignment that shows Value (vertically centred).
    static Qt::Alignment ToQt(TAlignment Value);

private:
    TAlignment FAlignment = TAlignment::taCenter;
};

} // namespace kx::designer
