#include "controls/KXWideEdit.h"

#include <QApplication>
#include <QKeyEvent>

namespace kx::designer {

TKXWideEdit::TKXWideEdit(QWidget *Parent) : QLineEdit(Parent)
{
    resize(120, 21);
    setFocusPolicy(Qt::ClickFocus);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &) {
        if (!FSetting && OnChange)
            OnChange();
    });
}

TKXWideEdit::~TKXWideEdit()
{
    OnChange = nullptr;
}

void TKXWideEdit::SetText(const QString &Value)
{
    FSetting = true;
    setText(Value);
    FSetting = false;
    setCursorPosition(static_cast<int>(text().size()));
    if (OnChange)
        OnChange();
}

void TKXWideEdit::AddChar(char32_t Code)
{
    if (Code > 0x10FFFF || (Code >= 0xD800 && Code <= 0xDFFF))
        return; // no character: a lone surrogate or beyond Unicode
    insert(QString::fromUcs4(&Code, 1));
}

void TKXWideEdit::keyPressEvent(QKeyEvent *Event)
{
    switch (Event->key()) {
    case Qt::Key_Home:
    case Qt::Key_End:
    case Qt::Key_Delete:
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        Event->accept(); // the edit's small key set has none of these
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
        Event->ignore(); // for the dialog: default button, Cancel
        return;
    default:
        break;
    }
    QLineEdit::keyPressEvent(Event);
}

void TKXWideEdit::focusInEvent(QFocusEvent *Event)
{
    QLineEdit::focusInEvent(Event);
    if (FAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TKXWideEdit::mouseDoubleClickEvent(QMouseEvent *Event)
{
    QLineEdit::mouseDoubleClickEvent(Event);
    selectAll();
}

} // namespace kx::designer
