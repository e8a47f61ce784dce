#include "prompts/KXPrompts.h"

#include "platform/KXPrinterPort.h"

#include <QApplication>
#include <QColorDialog>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <QRegularExpression>

#include <algorithm>

namespace kx {

namespace {

QString CaptionOr(const QString &Caption)
{
    if (!Caption.isEmpty())
        return Caption;
    const QString name = QGuiApplication::applicationDisplayName();
    return name.isEmpty() ? QStringLiteral("ZANTOR WIN") : name;
}

// The answer of a message closed without a button.
int EscapeAnswer(TKXMsgButtons Buttons)
{
    if (Buttons & mbCancel)
        return idCancel;
    if (Buttons & mbNo)
        return idNo;
    return idOK;
}

// Where nobody can answer (the offscreen platform): every question is logged and answered
// as a dialog closed without a choice.
class TKXHeadlessPrompts final : public TKXPrompts {
public:
    int Message(const QString &Text, const QString &Caption, TKXMsgButtons Buttons, TKXMsgIcon) override
    {
        qWarning("Unanswered message \"%s\": %s", qUtf8Printable(Caption), qUtf8Printable(Text));
        return EscapeAnswer(Buttons);
    }
    bool InputText(const QString &Caption, const QString &Prompt, QString &) override
    {
        return Unanswered(Caption, Prompt);
    }
    bool InputInteger(const QString &Caption, const QString &Prompt, int &, int, int) override
    {
        return Unanswered(Caption, Prompt);
    }
    bool OpenFile(const QString &Caption, const std::vector<TKXFileFilter> &, int &, QString &) override
    {
        return Unanswered(Caption, QString());
    }
    bool SaveFile(const QString &Caption, const std::vector<TKXFileFilter> &, int &, QString &) override
    {
        return Unanswered(Caption, QString());
    }
    bool ChooseColor(TKXColor &) override { return Unanswered(QStringLiteral("colour"), QString()); }
    bool ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &, int &) override
    {
        return Unanswered(Caption, Prompt);
    }
    bool ChoosePrinter(QString &) override { return Unanswered(QStringLiteral("printer"), QString()); }
    void ShowError(const QString &Text) override { qWarning("Unshown error: %s", qUtf8Printable(Text)); }
    void ShowInfo(const QString &Text) override { qWarning("Unshown information: %s", qUtf8Printable(Text)); }

private:
    static bool Unanswered(const QString &Caption, const QString &Prompt)
    {
        qWarning("Unanswered question \"%s\": %s", qUtf8Printable(Caption), qUtf8Printable(Prompt));
        return false;
    }
};

TKXPrompts *Installed = nullptr;

// The patterns of a filter entry as Qt's name filter writes them: "*.eti *.ETI".
QStringList PatternsOf(const TKXFileFilter &Filter)
{
    return Filter.Patterns.split(QRegularExpression(QStringLiteral("[;\\s]+")), Qt::SkipEmptyParts);
}

} // namespace

// ---------------------------------------------------------------------------------------
// The current prompts

TKXPrompts &Prompts()
{
    if (Installed)
        return *Installed;
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        static TKXHeadlessPrompts headless;
        return headless;
    }
    static TKXQtPrompts real;
    return real;
}

TKXPromptsScope::TKXPromptsScope(TKXPrompts &Prompts) : FPrevious(Installed) { Installed = &Prompts; }

TKXPromptsScope::~TKXPromptsScope() { Installed = FPrevious; }

// ---------------------------------------------------------------------------------------
// Helpers

QString ToNameFilter(const TKXFileFilter &Filter)
{
    // A description that shows its patterns already ("Bitmaps (*.bmp)") gets them once.
    QString description = Filter.Description.trimmed();
    static const QRegularExpression shown(QStringLiteral("\\s*\\([^()]*\\*[^()]*\\)$"));
    description.remove(shown);
    return description + QStringLiteral(" (") + PatternsOf(Filter).join(QLatin1Char(' ')) + QLatin1Char(')');
}

QColor ToQColor(TKXColor Color)
{
    return QColor(int(Color & 0xFF), int((Color >> 8) & 0xFF), int((Color >> 16) & 0xFF));
}

TKXColor FromQColor(const QColor &Color)
{
    const QColor rgb = Color.toRgb();
    return TKXColor(rgb.red()) | (TKXColor(rgb.green()) << 8) | (TKXColor(rgb.blue()) << 16);
}

// ---------------------------------------------------------------------------------------
// Qt's dialogs

QWidget *TKXQtPrompts::Parent() const { return FParent ? FParent : QApplication::activeWindow(); }

int TKXQtPrompts::Message(const QString &Text, const QString &Caption, TKXMsgButtons Buttons, TKXMsgIcon Icon)
{
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    switch (Icon) {
    case TKXMsgIcon::Information: icon = QMessageBox::Information; break;
    case TKXMsgIcon::Warning: icon = QMessageBox::Warning; break;
    case TKXMsgIcon::Error: icon = QMessageBox::Critical; break;
    case TKXMsgIcon::Question: icon = QMessageBox::Question; break;
    case TKXMsgIcon::None: break;
    }
    if ((Buttons & (mbOK | mbCancel | mbYes | mbNo)) == 0)
        Buttons = mbOK;
    QMessageBox box(icon, CaptionOr(Caption), Text, QMessageBox::NoButton, Parent());
    struct TMap {
        TKXMsgButton Flag;
        QMessageBox::StandardButton Button;
        int Answer;
    };
    static const TMap map[] = {{mbYes, QMessageBox::Yes, idYes},
                               {mbNo, QMessageBox::No, idNo},
                               {mbOK, QMessageBox::Ok, idOK},
                               {mbCancel, QMessageBox::Cancel, idCancel}};
    for (const TMap &m : map)
        if (Buttons & m.Flag)
            box.addButton(m.Button);
    // The first button is the default, as the program's message boxes have it.
    for (const TMap &m : map)
        if (Buttons & m.Flag) {
            box.setDefaultButton(m.Button);
            break;
        }
    box.exec();
    const QAbstractButton *clicked = box.clickedButton();
    for (const TMap &m : map)
        if (clicked && clicked == box.button(m.Button))
            return m.Answer;
    return EscapeAnswer(Buttons);
}

bool TKXQtPrompts::InputText(const QString &Caption, const QString &Prompt, QString &Value)
{
    QInputDialog dialog(Parent());
    dialog.setWindowTitle(CaptionOr(Caption));
    dialog.setLabelText(Prompt);
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.setTextValue(Value);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Value = dialog.textValue();
    return true;
}

bool TKXQtPrompts::InputInteger(const QString &Caption, const QString &Prompt, int &Value, int Min, int Max)
{
    QInputDialog dialog(Parent());
    dialog.setWindowTitle(CaptionOr(Caption));
    dialog.setLabelText(Prompt);
    dialog.setInputMode(QInputDialog::IntInput);
    dialog.setIntRange(std::min(Min, Max), std::max(Min, Max));
    dialog.setIntValue(std::clamp(Value, std::min(Min, Max), std::max(Min, Max)));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    Value = dialog.intValue();
    return true;
}

bool TKXQtPrompts::FileDialog(bool Save, const QString &Caption, const std::vector<TKXFileFilter> &Filters,
                              int &FilterIndex, QString &FileName)
{
    QFileDialog dialog(Parent(), CaptionOr(Caption));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(Save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(Save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QStringList names;
    for (const TKXFileFilter &f : Filters)
        names << ToNameFilter(f);
    if (!names.isEmpty()) {
        dialog.setNameFilters(names);
        dialog.selectNameFilter(names.value(std::clamp(FilterIndex, 1, int(names.size())) - 1));
    }
    // The default extension follows the chosen entry: "*.eti" gives "eti", "*.*" none.
    auto suffixOf = [&](const QString &Name) {
        const int i = int(names.indexOf(Name));
        if (i < 0)
            return QString();
        const QStringList patterns = PatternsOf(Filters[size_t(i)]);
        const QString first = patterns.value(0);
        return first.startsWith(QLatin1String("*.")) && !first.mid(2).contains(QLatin1Char('*'))
                   ? first.mid(2)
                   : QString();
    };
    if (Save) {
        dialog.setDefaultSuffix(suffixOf(dialog.selectedNameFilter()));
        QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog,
                         [&](const QString &Name) { dialog.setDefaultSuffix(suffixOf(Name)); });
    }
    if (!FileName.isEmpty()) {
        const QFileInfo info(FileName);
        if (info.isDir())
            dialog.setDirectory(FileName);
        else {
            dialog.setDirectory(info.absolutePath());
            dialog.selectFile(info.fileName());
        }
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return false;
    FileName = dialog.selectedFiles().constFirst();
    if (const int i = int(names.indexOf(dialog.selectedNameFilter())); i >= 0)
        FilterIndex = i + 1;
    return true;
}

bool TKXQtPrompts::OpenFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                            QString &FileName)
{
    return FileDialog(false, Caption, Filters, FilterIndex, FileName);
}

bool TKXQtPrompts::SaveFile(const QString &Caption, const std::vector<TKXFileFilter> &Filters, int &FilterIndex,
                            QString &FileName)
{
    return FileDialog(true, Caption, Filters, FilterIndex, FileName);
}

bool TKXQtPrompts::ChooseColor(TKXColor &Color)
{
    QColorDialog dialog(ToQColor(Color), Parent());
    dialog.setOption(QColorDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || !dialog.selectedColor().isValid())
        return false;
    Color = FromQColor(dialog.selectedColor());
    return true;
}

bool TKXQtPrompts::ChooseItem(const QString &Caption, const QString &Prompt, const QStringList &Items, int &Index)
{
    if (Items.isEmpty())
        return false;
    QInputDialog dialog(Parent());
    dialog.setWindowTitle(CaptionOr(Caption));
    dialog.setLabelText(Prompt);
    dialog.setComboBoxItems(Items);
    dialog.setComboBoxEditable(false);
    dialog.setTextValue(Items.value(std::clamp(Index, 0, int(Items.size()) - 1)));
    if (dialog.exec() != QDialog::Accepted)
        return false;
    const int chosen = int(Items.indexOf(dialog.textValue()));
    if (chosen < 0)
        return false;
    Index = chosen;
    return true;
}

bool TKXQtPrompts::ChoosePrinter(QString &Name)
{
    const QStringList printers = TKXPrinterPort::PrinterNames();
    if (printers.isEmpty()) {
        ShowError(QStringLiteral("No printer is installed."));
        return false;
    }
    int index = int(printers.indexOf(Name));
    if (index < 0)
        index = std::max(0, int(printers.indexOf(TKXPrinterPort::DefaultPrinterName())));
    if (!ChooseItem(QStringLiteral("Printer"), QStringLiteral("Printer:"), printers, index))
        return false;
    Name = printers.at(index);
    return true;
}

void TKXQtPrompts::ShowError(const QString &Text) { Message(Text, QString(), mbOK, TKXMsgIcon::Error); }

void TKXQtPrompts::ShowInfo(const QString &Text) { Message(Text, QString(), mbOK, TKXMsgIcon::Information); }

} // namespace kx
