#include "controls/KXAlignEdit.h"

namespace kx::designer {

TKxAlignEdit::TKxAlignEdit(QWidget *Parent) : QLineEdit(Parent)
{
    QLineEdit::setAlignment(ToQt(FAlignment));
}

void TKxAlignEdit::SetAlignment(TAlignment Value)
{
    if (Value == FAlignment)
        return;
    FAlignment = Value;
    QLineEdit::setAlignment(ToQt(Value));
}

Qt::Alignment TKxAlignEdit::ToQt(TAlignment Value)
{
    switch (Value) {
    case TAlignment::taLeftJustify: return Qt::AlignLeft | Qt::AlignVCenter;
    case TAlignment::taRightJustify: return Qt::AlignRight | Qt::AlignVCenter;
    case TAlignment::taCenter: break;
    }
    return Qt::AlignHCenter | Qt::AlignVCenter;
}

} // namespace kx::designer
