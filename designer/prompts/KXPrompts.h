// The questions a window asks a person: a message with buttons, a line of text, a number,
// a file to open or save, a colour, one of several items, a printer. Windows ask through
// Prompts(), never through a Qt dialog of their own, so tests answer them from a script
// (tests/support/ScriptedPrompts.h) and no test waits in a modal dialog.
#pragma once

#include "core/KXTypes.h"

#include <QColor>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

class QWidget;

namespace kx {

// The buttons of a message, combined as flags.
enum TKXMsgButton : int {
    mbOK = 0x01,
    mbCancel = 0x02,
    mbYes = 0x04,
    mbNo = 0x08,
};
using TKXMsgButtons = int;
constexpr TKXMsgButtons mbOKCancel = mbOK | mbCancel;
constexpr TKXMsgButtons mbYesNo = mbYes | mbNo;
constexpr TKXMsgButtons mbYesNoCancel = mbYes | mbNo | mbCancel;

// The answers of a message: OK 1, Cancel 2, Yes 6, No 7, the numbers the program's callers compare.
constexpr int idOK = 1;
constexpr int idCancel = 2;
constexpr int idYes = 6;
constexpr int idNo = 7;

enum class TKXMsgIcon : uint8_t { None, Information, Warning, Error, Question };

// One entry of a file dialog's type list: "Label files" with "*.eti" (several patterns
// separated by ";" or blanks).
struct TKXFileFilter {
    QString Description;
    QString Patterns;
};

// A colour as a label stores it ($00BBGGRR, red in the low byte).
using TKXColor = TColor;

class TKXPrompts {
public:
    virtual ~TKXPrompts() = default;

    // Shows Text with the buttons of Buttons (TKXMsgButton flags; none means OK) and answers
    // idOK, idCancel, idYes or idNo. Closing the box answers Cancel when it has that
    // button, else No, else OK. An empty caption is the program's name.
    virtual int Message(const QString &Text, const QString &Caption, TKXMsgButtons Buttons, TKXMsgIcon Icon) = 0;
    // A line of text; Value is the initial text and, when the answer is true, the one given.
    virtual bool InputText(const QString &Caption, const QString &Prompt, QString &Value) = 0;
    // A whole number in Min..Max; Value as for InputText.
    virtual bool InputInteger(const QString &Caption, const QString &Prompt, int &Value, int Min, int Max) = 0;
    // A file to open or to save. FilterIndex is 1-based in Filters (the entry shown first,
    // and the one chosen); FileName is the initial file or folder and the chosen file. A
    // file to save gets the chosen entry's first extension when the name has none.
    virtual bool OpenFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                          QString &FileName) = 0;
    virtual bool SaveFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                          QString &FileName) = 0;
    // A colour; Color is the initial one and the chosen one.
    virtual bool ChooseColor(TKXColor &Color) = 0;
    // One of Items; Index (0-based) is the initial one and the chosen one.
    virtual bool ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &Items, int &Index) = 0;
    // A printer by name; Name is the initial one and the chosen one.
    virtual bool ChoosePrinter(QString &Name) = 0;

    // A message with an OK button: an error, or information.
    virtual void ShowError(const QString &Text) = 0;
    virtual void ShowInfo(const QString &Text) = 0;
};

// The prompts windows ask through: the one a TKXPromptsScope installed, else the real one
// on Qt's dialogs. On the offscreen platform, where nobody can answer a dialog, the default
// opens none: it answers as a cancelled dialog does and logs the question as a warning, so
// a test that forgot to install a script fails instead of waiting for ever.
TKXPrompts &Prompts();

// Installs Prompts for its lifetime and then puts the previous one back.
class TKXPromptsScope {
public:
    explicit TKXPromptsScope(TKXPrompts &Prompts);
    ~TKXPromptsScope();
    TKXPromptsScope(const TKXPromptsScope &) = delete;
    TKXPromptsScope &operator=(const TKXPromptsScope &) = delete;

private:
    TKXPrompts *FPrevious;
};

// The real prompts: QMessageBox, QInputDialog, QFileDialog (Qt's own, not the platform's,
// so every desktop shows the same dialog) and QColorDialog, modal over Parent (or the
// active window).
class TKXQtPrompts : public TKXPrompts {
public:
    explicit TKXQtPrompts(QWidget *Parent = nullptr) : FParent(Parent) {}

    int Message(const QString &Text, const QString &Caption, TKXMsgButtons Buttons, TKXMsgIcon Icon) override;
    bool InputText(const QString &Caption, const QString &Prompt, QString &Value) override;
    bool InputInteger(const QString &Caption, const QString &Prompt, int &Value, int Min, int Max) override;
    bool OpenFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                  QString &FileName) override;
    bool SaveFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                  QString &FileName) override;
    bool ChooseColor(TKXColor &Color) override;
    bool ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &Items, int &Index) override;
    bool ChoosePrinter(QString &Name) override;
    void ShowError(const QString &Text) override;
    void ShowInfo(const QString &Text) override;

private:
    QWidget *Parent() const;
    bool FileDialog(bool Save, const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                    QString &FileName);

    QWidget *FParent;
};

// "Label files (*.eti)": one name filter of Qt's file dialog; patterns the description
// shows already in parentheses are not repeated.
QString ToNameFilter(const TKXFileFilter &Filter);

// $00BBGGRR <-> QColor (opaque). The high byte of a label colour is not a colour (system
// colours have it set) and is ignored.
QColor ToQColor(TKXColor Color);
TKXColor FromQColor(const QColor &Color);

} // namespace kx
