// The two pop-up pickers the inspector opens over a value cell: TFAlignEle picks where an
// element sits in the label or its layout cell (nine places and "None") or where a one-line
// text sits in its element (nine places), TFJustText picks a paragraph's layout (left, right,
// centre or justified, by top, centre or bottom).
//
// The caller prepares a picker with one of the Ini calls (screen position and width), runs it
// modally and, when the result is Accepted, reads the answer. A button click sets the answer
// and accepts; closing by other means (Escape, a click outside) answers nothing. The picker
// is kept inside the screen that holds its position.
#pragma once

#include "core/KXTypes.h"

#include <QDialog>

#include <array>

class QLabel;
class QToolButton;
class QWidget;

namespace kx::designer {

class TFAlignEle : public QDialog {
public:
    explicit TFAlignEle(QWidget *Parent = nullptr);

    void IniEleAlign(int PosX, int PosY, int FormWidth, TKXEleAlign AL);
    void IniTxtAlign(int PosX, int PosY, int FormWidth, TTextAlign TL);

    TKXEleAlign AlignEle() const { return FAlignEle; }
    TTextAlign AlignTxt() const { return FAlignTxt; }

    // The nine place buttons in TTextAlign order (bottom, top and centre rows, each
    // left to right), and "None".
    QToolButton *PlaceButton(TTextAlign Place) const { return FButtons[static_cast<size_t>(Place)]; }
    QLabel *NoneButton() const { return FNone; }
    bool NoneShown() const;

protected:
    bool eventFilter(QObject *Watched, QEvent *Event) override;

private:
    void Layout(int PosX, int PosY, int FormWidth);
    void Choose(TTextAlign Place);
    void ChooseNone();

    std::array<QToolButton *, 9> FButtons{};
    QWidget *FTop = nullptr;   // the "None" strip, 16 pixels high
    QLabel *FNone = nullptr;
    QWidget *FColumns = nullptr;
    bool FTextMode = false;
    TKXEleAlign FAlignEle = TKXEleAlign::eaNone;
    TTextAlign FAlignTxt = TTextAlign::taLeBo;
};

class TFJustText : public QDialog {
public:
    explicit TFJustText(QWidget *Parent = nullptr);

    void IniTxtJusty(int PosX, int PosY, int FormWidth, TKXTextFormat JT);
    TKXTextFormat JustyTxt() const { return FJustyTxt; }

    // The twelve buttons, indexed by TKXTextFormat.
    QToolButton *FormatButton(TKXTextFormat Format) const { return FButtons[static_cast<size_t>(Format)]; }

private:
    std::array<QToolButton *, 12> FButtons{};
    TKXTextFormat FJustyTxt = TKXTextFormat::tfLeftTop;
};

// Moves Widget so that its frame lies inside the available area of the screen that holds
// (X, Y) (the primary screen when none does).
void PlaceInsideScreen(QWidget &Widget, int X, int Y);

} // namespace kx::designer
