#include "controls/KXSpinEditFloat.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QDialog>
#include <QKeyEvent>
#include <QLocale>
#include <QMenu>
#include <QPointer>
#include <QPushButton>

#include <algorithm>
#include <cmath>
#include <memory>
#include <limits>

namespace kx::designer {

namespace {

QChar DecimalSeparator() { return QLocale().decimalPoint().at(0); }

// Whole numbers are held in 32 bits; wider values are clamped, never wrapped.
int32_t ClampToInt(long double Value)
{
    if (std::isnan(Value))
        return 0;
    if (Value >= static_cast<long double>(std::numeric_limits<int32_t>::max()))
        return std::numeric_limits<int32_t>::max();
    if (Value <= static_cast<long double>(std::numeric_limits<int32_t>::min()))
        return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(std::llround(static_cast<double>(Value)));
}

} // namespace

TKxSpinEditFloat::TKxSpinEditFloat(QWidget *Parent) : QLineEdit(Parent)
{
    FButton = new TKxUpDown(this);
    FButton->OnClick = [this](TKXUDBtnType Kind) {
        if (focusPolicy() & Qt::TabFocus)
            setFocus(Qt::OtherFocusReason);
        if (Kind == TKXUDBtnType::btNext)
            UpClick();
        else
            DownClick();
    };
    setTextMargins(0, 0, TKxUpDown::UpDownWidth() + 2, 0);
    setDragEnabled(false);
    setAcceptDrops(false);
    connect(this, &QLineEdit::textChanged, this, [this](const QString &) {
        long double v;
        if (TryValue(v))
            FLastGood = text();
        if (!FSilent && OnChange)
            OnChange();
    });
    SetTextSilently(ZeroText());
    setMinimumHeight(fontMetrics().height() + 8);
    PlaceButton();
}

TKxSpinEditFloat::~TKxSpinEditFloat()
{
    OnChange = nullptr;
}

void TKxSpinEditFloat::Assign(const TKxSpinEditFloat &Source)
{
    FIncrement = Source.FIncrement;
    FDigits = Source.FDigits;
    FPrecision = Source.FPrecision;
    setText(Source.text());
}

QString TKxSpinEditFloat::ZeroText() const
{
    return FDigits != 0 ? QStringLiteral("0") + DecimalSeparator() + QStringLiteral("00") : QStringLiteral("0");
}

bool TKxSpinEditFloat::TryValue(long double &Result) const
{
    return ParseNumber(text(), Result);
}

bool TKxSpinEditFloat::ParseNumber(const QString &Text, long double &Result)
{
    const QLocale locale;
    QString s = Text;
    const QString currency = locale.currencySymbol();
    if (!currency.isEmpty())
        s.remove(currency);
    s.remove(QLatin1Char(' '));
    s.remove(QChar(0x00A0)); // the no-break space some locales group digits with
    s.remove(QChar(0x202F));
    const QString group = locale.groupSeparator();
    if (!group.isEmpty() && group != QString(DecimalSeparator()))
        s.remove(group);
    bool negate = false;
    const qsizetype open = s.indexOf(QLatin1Char('('));
    if (open >= 0) {
        s.remove(open, 1);
        const qsizetype close = s.indexOf(QLatin1Char(')'));
        if (close >= 0)
            s.remove(close, 1);
        negate = true;
    }
    QLocale parser(locale);
    parser.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = parser.toDouble(s, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    Result = negate ? -static_cast<long double>(v) : static_cast<long double>(v);
    return true;
}

long double TKxSpinEditFloat::Value() const
{
    long double v;
    return TryValue(v) ? v : FMinValue;
}

int32_t TKxSpinEditFloat::AsInteger() const
{
    long double v;
    return TryValue(v) ? ClampToInt(v) : 0;
}

long double TKxSpinEditFloat::CheckValue(long double Value) const
{
    long double lo = FMinValue, hi = FMaxValue;
    if (FDigits == 0) {
        lo = std::trunc(lo);
        hi = std::trunc(hi);
    }
    long double result = Value;
    if (lo > Value)
        result = lo;
    if (FMaxValue != FMinValue && Value > hi)
        result = hi;
    return result;
}

QString TKxSpinEditFloat::FormatNumber(long double Value) const
{
    double v = static_cast<double>(Value);
    // Precision significant digits: digits beyond them are rounded away first.
    if (v != 0 && FPrecision > 0) {
        const int exponent = static_cast<int>(std::floor(std::log10(std::fabs(v))));
        const int keep = FPrecision - 1 - exponent;
        if (keep < FDigits) {
            const double scale = std::pow(10.0, keep);
            v = std::round(v * scale) / scale;
        }
    }
    return QLocale().toString(v, 'f', FDigits);
}

void TKxSpinEditFloat::SetValue(long double Value)
{
    if (FDigits == 0) {
        SetAsInteger(ClampToInt(Value));
        return;
    }
    setText(FormatNumber(CheckValue(Value)));
}

void TKxSpinEditFloat::SetAsInteger(int32_t Value)
{
    if (FDigits != 0) {
        SetValue(Value);
        return;
    }
    setText(QString::number(ClampToInt(CheckValue(Value))));
}

void TKxSpinEditFloat::SetDigits(int Value)
{
    Value = std::clamp(Value, 0, 12);
    if (Value == FDigits)
        return;
    const long double v = this->Value();
    FDigits = Value;
    if (FDigits == 0 && FIncrement < 1)
        FIncrement = 1;
    // The number as it stood, in the new layout.
    if (FDigits == 0)
        setText(QString::number(ClampToInt(CheckValue(v))));
    else
        setText(FormatNumber(CheckValue(v)));
}

void TKxSpinEditFloat::SetPrecision(int Value)
{
    if (Value == FPrecision)
        return;
    FPrecision = Value;
    ReformatText();
}

void TKxSpinEditFloat::ReformatText()
{
    if (FDigits != 0)
        setText(FormatNumber(CheckValue(Value())));
    else
        setText(QString::number(ClampToInt(CheckValue(AsInteger()))));
}

void TKxSpinEditFloat::SetTextSilently(const QString &Text)
{
    FSilent = true;
    setText(Text);
    FSilent = false;
}

void TKxSpinEditFloat::UpClick()
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    if (FDigits != 0)
        SetValue(Value() + FIncrement);
    else
        SetAsInteger(ClampToInt(static_cast<long double>(AsInteger()) + std::trunc(FIncrement)));
}

void TKxSpinEditFloat::DownClick()
{
    if (isReadOnly()) {
        Beep();
        return;
    }
    if (FDigits != 0)
        SetValue(Value() - FIncrement);
    else
        SetAsInteger(ClampToInt(static_cast<long double>(AsInteger()) - std::trunc(FIncrement)));
}

bool TKxSpinEditFloat::IsValidChar(QChar Key) const
{
    const bool control = Key.unicode() < 32 && Key != QLatin1Char('\r') && Key != QLatin1Char('\n');
    if (!FEditorEnabled)
        return control && Key != QLatin1Char('\b');
    return control || Key == QLatin1Char('+') || Key == QLatin1Char('-') || (Key >= QLatin1Char('0') && Key <= QLatin1Char('9'))
        || Key == DecimalSeparator();
}

void TKxSpinEditFloat::Beep()
{
    QApplication::beep();
}

bool TKxSpinEditFloat::PasteText(const QString &Text)
{
    if (!CanEdit())
        return false;
    QString result = text();
    int start = cursorPosition(), length = 0;
    if (hasSelectedText()) {
        start = selectionStart();
        length = static_cast<int>(selectedText().size());
    }
    const QString pasted = Text.trimmed();
    result.replace(start, length, pasted);
    // The result must read as a number; the field's own text is the number's only store.
    long double v;
    if (pasted.isEmpty() || !ParseNumber(result, v)) {
        Beep();
        return false;
    }
    setText(result);
    setCursorPosition(start + static_cast<int>(pasted.size()));
    return true;
}

void TKxSpinEditFloat::EnterKey()
{
    QWidget *form = window();
    QList<QPushButton *> defaults;
    if (form != this) {
        for (QPushButton *b : form->findChildren<QPushButton *>())
            if (b->isDefault() && b->isVisible() && b->isEnabled())
                defaults.push_back(b);
    }
    if (defaults.isEmpty()) {
        Beep();
        return;
    }
    const int caret = cursorPosition();
    const int selStart = selectionStart();
    const int selLength = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
    QPointer<TKxSpinEditFloat> self(this);
    for (QPushButton *b : defaults) {
        QPointer<QPushButton> button(b);
        b->setFocus(Qt::OtherFocusReason);
        if (button)
            button->click();
        if (!self)
            return; // the click closed and freed the form
    }
    setFocus(Qt::OtherFocusReason);
    if (FAutoSelect)
        selectAll();
    else if (selLength > 0)
        setSelection(selStart, selLength);
    else
        setCursorPosition(caret);
}

void TKxSpinEditFloat::ClearSelectionForKey()
{
    if (!hasSelectedText())
        return;
    if (selectedText().compare(text(), Qt::CaseInsensitive) == 0) {
        SetTextSilently(ZeroText());
        setCursorPosition(0);
        return;
    }
    const int end = selectionStart() + static_cast<int>(selectedText().size());
    deselect();
    setCursorPosition(end);
}

void TKxSpinEditFloat::TypeChar(QChar Key)
{
    const QChar separator = DecimalSeparator();
    // 1-based place of the separator, 0 when the text has none.
    const auto separatorPlace = [this, separator] { return static_cast<int>(text().indexOf(separator)) + 1; };
    if (Key == separator) {
        const int caret = hasSelectedText() ? selectionStart() : cursorPosition();
        deselect();
        setCursorPosition(caret);
        const int p = separatorPlace();
        if (p > 0) {
            setCursorPosition(p);
            return;
        }
        insert(QString(Key));
        return;
    }
    ClearSelectionForKey();
    const int caret = cursorPosition();
    if (caret <= 1 && text().startsWith(QLatin1Char('0'))) {
        setSelection(0, 1);
        insert(QString(Key));
        return;
    }
    if (FDigits <= 0) {
        insert(QString(Key));
        return;
    }
    const int p = separatorPlace();
    if (p > 0 && caret == p + FDigits) {
        Beep();
        return;
    }
    if (p > 0 && caret >= p && caret < text().size())
        setSelection(caret, 1); // overwrite the next decimal
    insert(QString(Key));
}

void TKxSpinEditFloat::keyPressEvent(QKeyEvent *Event)
{
    const int key = Event->key();
    const Qt::KeyboardModifiers mods = Event->modifiers() & ~Qt::KeypadModifier;
    if (key == Qt::Key_Up || key == Qt::Key_Down) {
        if (key == Qt::Key_Up)
            UpClick();
        else
            DownClick();
        Event->accept();
        return;
    }
    const QChar separator = DecimalSeparator();
    if (!hasSelectedText() && mods == Qt::NoModifier) {
        const int caret = cursorPosition();
        // The caret passes over the separator instead of deleting it.
        if (key == Qt::Key_Delete && caret < text().size() && text().at(caret) == separator) {
            setCursorPosition(caret + 1);
            Event->accept();
            return;
        }
        if (key == Qt::Key_Backspace && caret > 0 && text().at(caret - 1) == separator) {
            setCursorPosition(caret - 1);
            Event->accept();
            return;
        }
    }
    if (Event->matches(QKeySequence::Paste)) {
        PasteText(QApplication::clipboard()->text());
        Event->accept();
        return;
    }
    if (Event->matches(QKeySequence::Cut)) {
        if (CanEdit())
            cut();
        Event->accept();
        return;
    }
    if (Event->matches(QKeySequence::Copy) || isReadOnly()) {
        QLineEdit::keyPressEvent(Event);
        return;
    }
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
        // On a dialog Enter clicks its default button; elsewhere (the inspector) the edit's own.
        if (qobject_cast<QDialog *>(window())) {
            Event->accept();
            EnterKey();
            return;
        }
        QLineEdit::keyPressEvent(Event);
        return;
    }
    const QString typed = Event->text();
    if (typed.size() != 1 || (mods & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
        QLineEdit::keyPressEvent(Event); // navigation and editing keys
        return;
    }
    QChar ch = typed.at(0);
    if (ch == QLatin1Char('.'))
        ch = separator;
    if (ch == QLatin1Char('-') && FEditorEnabled) {
        insert(QStringLiteral("-"));
        Event->accept();
        return;
    }
    if (!IsValidChar(ch)) {
        Beep();
        Event->accept();
        return;
    }
    if (ch.unicode() < 32) {
        QLineEdit::keyPressEvent(Event); // Backspace, Tab: the edit's own
        return;
    }
    TypeChar(ch);
    Event->accept();
}

void TKxSpinEditFloat::focusInEvent(QFocusEvent *Event)
{
    QLineEdit::focusInEvent(Event);
    FFocused = true;
    if (FAutoSelect && !(QApplication::mouseButtons() & Qt::LeftButton))
        selectAll();
}

void TKxSpinEditFloat::focusOutEvent(QFocusEvent *Event)
{
    FFocused = false;
    // A text that reads as a number is clamped and rewritten; one that does not (emptied,
    // a lone "-") gives way to the last number the field held.
    long double v;
    if (!TryValue(v)) {
        setText(FLastGood.isEmpty() ? ZeroText() : FLastGood);
        if (!TryValue(v))
            v = 0;
    }
    if (FDigits != 0)
        SetValue(v);
    else
        SetAsInteger(ClampToInt(v));
    QLineEdit::focusOutEvent(Event);
}

void TKxSpinEditFloat::PlaceButton()
{
    const int w = TKxUpDown::UpDownWidth();
    FButton->setGeometry(width() - w - 2, 2, w, std::max(4, height() - 4));
}

void TKxSpinEditFloat::resizeEvent(QResizeEvent *Event)
{
    QLineEdit::resizeEvent(Event);
    PlaceButton();
}

void TKxSpinEditFloat::contextMenuEvent(QContextMenuEvent *Event)
{
    std::unique_ptr<QMenu> menu(createStandardContextMenu());
    // Cut and paste only while the field may be edited, and a paste only of a number.
    for (QAction *a : menu->actions()) {
        if (a->objectName() == QLatin1String("edit-paste")) {
            a->disconnect();
            a->setEnabled(CanEdit());
            connect(a, &QAction::triggered, this, [this] { PasteText(QApplication::clipboard()->text()); });
        } else if (a->objectName() == QLatin1String("edit-cut") && !CanEdit()) {
            a->setEnabled(false);
        }
    }
    menu->exec(Event->globalPos());
}

void TKxSpinEditFloat::mouseReleaseEvent(QMouseEvent *Event)
{
    // The middle button's selection paste goes through the same check.
    if (Event->button() == Qt::MiddleButton) {
        if (QApplication::clipboard()->supportsSelection())
            PasteText(QApplication::clipboard()->text(QClipboard::Selection));
        Event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(Event);
}

} // namespace kx::designer
