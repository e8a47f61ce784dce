// The one-line edit of the text and compound-text dialogs for any Unicode text.
//
// Qt's line edit already shows every character through font fallback and takes input-method
// text, so this is that edit with the small, fixed behaviour the dialogs rely on: setting
// Text puts the caret at the end and tells OnChange once; gaining the focus and a
// double-click select everything; AddChar types one character at the caret (the dialog's
// character map); a paste replaces the selection; the caret and Backspace treat a surrogate
// pair as one character. Home, End, Delete and the vertical keys do nothing.
#pragma once

#include <QLineEdit>

#include <functional>

namespace kx::designer {

class TKXWideEdit : public QLineEdit {
public:
    explicit TKXWideEdit(QWidget *Parent = nullptr);
    ~TKXWideEdit() override;

    QString Text() const { return text(); }
    // Caret at the end; OnChange once, even when the text is the same.
    void SetText(const QString &Value);
    // Types one character (a code point; astral ones as their surrogate pair) at the caret,
    // over the selection.
    void AddChar(char32_t Code);

    void CopyToClipboard() { copy(); }
    void CutToClipboard() { cut(); }
    void PasteFromClipboard() { paste(); }
    void SelectAll() { selectAll(); }
    void ClearSelection() { deselect(); }

    bool AutoSelect() const { return FAutoSelect; }
    void SetAutoSelect(bool Value) { FAutoSelect = Value; }

    // The text changed, by typing, pasting, cutting, AddChar or SetText.
    std::function<void()> OnChange;

protected:
    void keyPressEvent(QKeyEvent *Event) override;
    void focusInEvent(QFocusEvent *Event) override;
    void mouseDoubleClickEvent(QMouseEvent *Event) override;

private:
    bool FAutoSelect = true;
    bool FSetting = false; // SetText tells OnChange itself, once
};

} // namespace kx::designer
