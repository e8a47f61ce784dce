// The number field of the dialogs and the inspector: a one-line edit with an up-down button
// that holds a decimal number (Digits 1..12) or a whole number (Digits 0).
//
// The text is the number's only store: Value and AsInteger parse it when read and rewrite it
// when set. Separators and the currency symbol are the current locale's (QLocale()), read when
// used. Typing keeps a fixed-point layout: a key at the leading zero replaces it, a decimal
// overwrites the next one, the full stop jumps past the existing separator, and no decimal
// beyond Digits is accepted.
//
// Only text that parses is ever taken as a number: TryValue tells, a paste that would not
// parse is refused, and leaving the field with such a text puts the last good number back.
#pragma once

#include "controls/KXUpDown.h"

#include <QLineEdit>

#include <functional>

namespace kx::designer {

class TKxSpinEditFloat : public QLineEdit {
public:
    explicit TKxSpinEditFloat(QWidget *Parent = nullptr);
    ~TKxSpinEditFloat() override;

    // Increment, Digits, Precision and the text of Source (not the limits).
    void Assign(const TKxSpinEditFloat &Source);

    // --- Properties ------------------------------------------------------------------
    // The text as a number (currency symbol, blanks and thousands separators ignored,
    // "(1.5)" is -1.5); MinValue when it does not parse. Not clamped. Valid in both modes.
    long double Value() const;
    // Shows the clamped value: Digits decimals, thousands separators, Precision significant
    // digits; in whole-number mode rounded to a whole number.
    void SetValue(long double Value);
    // The text as a whole number (a decimal text rounded half away from zero); 0 when it
    // does not parse. Valid in both modes.
    int32_t AsInteger() const;
    void SetAsInteger(int32_t Value);
    // The text as a number when it parses (the rules of Value), else false.
    bool TryValue(long double &Result) const;
    // Text read by those rules with the current locale.
    static bool ParseNumber(const QString &Text, long double &Result);

    // Decimals 0..12; 0 is whole-number mode (an Increment below 1 becomes 1).
    int Digits() const { return FDigits; }
    void SetDigits(int Value);
    // Significant digits of the shown number.
    int Precision() const { return FPrecision; }
    void SetPrecision(int Value);
    long double Increment() const { return FIncrement; }
    void SetIncrement(long double Value) { FIncrement = Value; }
    // Limits: the lower one always holds, the upper one only when the two differ.
    long double MinValue() const { return FMinValue; }
    void SetMinValue(long double Value) { FMinValue = Value; }
    long double MaxValue() const { return FMaxValue; }
    void SetMaxValue(long double Value) { FMaxValue = Value; }
    // Typing, cutting and pasting allowed.
    bool EditorEnabled() const { return FEditorEnabled; }
    void SetEditorEnabled(bool Value) { FEditorEnabled = Value; }
    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }
    bool Focused() const { return FFocused; }

    TKxUpDown *Button() const { return FButton; }

    // The text changed (typed, pasted, stepped or set).
    std::function<void()> OnChange;

    // --- Operations ------------------------------------------------------------------
    // Value within the limits (whole-number mode: the limits truncated toward zero).
    long double CheckValue(long double Value) const;
    // One Increment up or down; a read-only field beeps.
    virtual void UpClick();
    virtual void DownClick();
    // Typed characters accepted: + - digits, the decimal separator, control characters
    // other than Enter; with the editor disabled only control characters other than Enter
    // and Backspace.
    virtual bool IsValidChar(QChar Key) const;
    // "0.00" (the locale's separator) with decimals, "0" without.
    QString ZeroText() const;

    // Pastes Text over the selection when the result parses as a number; otherwise beeps and
    // leaves the field as it was. Answers whether it pasted.
    bool PasteText(const QString &Text);

protected:
    // A warning beep; tests count them.
    virtual void Beep();

    void keyPressEvent(QKeyEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void focusOutEvent(QFocusEvent *Event) override;
    void resizeEvent(QResizeEvent *Event) override;
    void contextMenuEvent(QContextMenuEvent *Event) override;
    void mouseReleaseEvent(QMouseEvent *Event) override;

private:
    void ReformatText();
    void SetTextSilently(const QString &Text);
    QString FormatNumber(long double Value) const;
    void EnterKey();
    void TypeChar(QChar Key);
    void ClearSelectionForKey();
    void PlaceButton();
    bool CanEdit() const { return FEditorEnabled && !isReadOnly(); }

    int FPrecision = 9;               // significant digits shown
    int FDigits = 2;                  // decimals, 0..12; 0: whole numbers
    long double FMinValue = 0;
    long double FMaxValue = 0;        // equal to FMinValue: no upper limit
    long double FIncrement = 0.5;
    TKxUpDown *FButton = nullptr;     // child, owned by Qt
    bool FEditorEnabled = true;
    bool FFocused = false;
    bool FAutoSelect = true;
    bool FSilent = false;             // a text set without telling OnChange
    QString FLastGood;                // the last text that parsed, put back on leaving
};

} // namespace kx::designer
