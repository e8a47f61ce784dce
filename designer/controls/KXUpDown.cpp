#include "controls/KXUpDown.h"

#include <QApplication>
#include <QResizeEvent>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

namespace kx::designer {

TKxUpDown::TKxUpDown(QWidget *Parent) : QWidget(Parent)
{
    auto make = [this](Qt::ArrowType Arrow, TKXUDBtnType Kind) {
        auto *b = new QToolButton(this);
        b->setArrowType(Arrow);
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRaise(true);
        b->setIconSize(QSize(6, 6));
        QObject::connect(b, &QToolButton::clicked, this, [this, Kind] { Click(Kind); });
        return b;
    };
    FUp = make(Qt::UpArrow, TKXUDBtnType::btNext);
    FDown = make(Qt::DownArrow, TKXUDBtnType::btPrev);
    setCursor(Qt::ArrowCursor);
    resize(UpDownWidth(), 20);
}

TKxUpDown::~TKxUpDown()
{
    // Nothing may be told of clicks while the owner is going.
    OnClick = nullptr;
}

int TKxUpDown::UpDownWidth()
{
    return std::min(15, QApplication::style()->pixelMetric(QStyle::PM_ScrollBarExtent));
}

void TKxUpDown::Click(TKXUDBtnType Kind)
{
    if (FInClick || !OnClick)
        return;
    struct TInClick {
        bool &Flag;
        explicit TInClick(bool &F) : Flag(F) { Flag = true; }
        ~TInClick() { Flag = false; }
    } inClick(FInClick);
    OnClick(Kind);
}

void TKxUpDown::resizeEvent(QResizeEvent *Event)
{
    QWidget::resizeEvent(Event);
    if (width() != UpDownWidth()) {
        resize(UpDownWidth(), height());
        return;
    }
    const int half = height() / 2;
    FUp->setGeometry(0, 0, width(), half);
    FDown->setGeometry(0, half, width(), height() - half);
}

} // namespace kx::designer
