#include "dialogs/KXDialogTexts.h"

#include <QHash>

#include <cstring>
#include <iterator>

namespace kx::designer {

namespace {

struct TDefaultText {
    const char *Key;
    const char *English;
};

// The English captions; "&" marks the mnemonic.
constexpr TDefaultText DefaultTexts[] = {
    {"KXTbutok", "&OK"},
    {"KXTbutcancel", "&CANCEL"},
    // The printer chooser.
    {"KXTfoselprint", "PRINTER SELECTION"},
    {"KXTprprinter", "Printer"},
    {"KXTprhintcopies", "Copies number to print"},
    // The units chooser: the units commands' captions and the chooser's own.
    {"KXTSelUnits", "Select Units"},
    {"KXTUnitMM", "Millimeters"},
    {"KXTUnitCM", "Centimeters"},
    {"KXTUnitInch", "Inches"},
    {"KXTCurUnits", "Current Units"},
    // The name prompt.
    {"KXTnewname", "NAME"},
    {"KXTEditName", "Name"},
    {"KXTfonewtablecap", "NEW TABLE NAME"},
    {"KXTfonewlinktablecap", "NAME NEW LINKED TABLE"},
    {"KXTfonewfiltercap", "NEW FILTER NAME"},
    {"KXTNewFolder", "New Folder"},
    {"KXTRenameFolder", "Rename Folder"},
    {"KXTLabelName", "Label Name"},
    // The editor properties dialog.
    {"KxEditorPro", "Editor Properties"},
    {"KxGrid", "Grid"},
    {"KxGridX", "Horizontal distance"},
    {"KxGridY", "Vertical distance"},
    {"KxSnapGrid", "Snap to Grid"},
    {"KxShowGrid", "Show Grid"},
    {"KxAlignOb", "Align Objects"},
    {"KxAlignLeft", "Left"},
    {"KxAlignTop", "Top"},
    {"KxShowLines", "Show Lines"},
    {"KxColor", "Color"},
    {"KxOK", "OK"},
    {"KxCancel", "Cancel"},
    {"KxAdjustAlign", "Adjust Lines"},
    {"KxSizeObjects", "Element's size"},
    {"KxShowSize", "Show Size"},
    {"KxSelection", "Selection"},
    {"KxDrawGridPoints", "Points"},
    {"KxDrawGridLines", "Lines"},
    {"KXTedreflines", "Show reference lines"},
};

QHash<QString, QString> &Translated()
{
    static QHash<QString, QString> Texts;
    return Texts;
}

} // namespace

QString DialogText(const char *Key)
{
    const QString key = QString::fromLatin1(Key);
    if (const auto it = Translated().constFind(key); it != Translated().constEnd())
        return *it;
    for (const TDefaultText &t : DefaultTexts)
        if (std::strcmp(t.Key, Key) == 0)
            return QString::fromLatin1(t.English);
    return key;
}

void SetDialogText(const char *Key, const QString &Text)
{
    if (Text.isEmpty())
        Translated().remove(QString::fromLatin1(Key));
    else
        Translated().insert(QString::fromLatin1(Key), Text);
}

void ResetDialogTexts()
{
    Translated().clear();
}

} // namespace kx::designer
