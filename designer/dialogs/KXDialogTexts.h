// The captions of the small option dialogs, kept in one table keyed by the names the
// translation file uses (section "translate"), with the English text as the default. A
// translation puts its own text over a key with SetDialogText; nothing else in the dialogs
// spells a caption.
#pragma once

#include <QString>

namespace kx::designer {

// The text for Key: the translation's when one was set, else the English default; a key the
// table lacks comes back as itself, so a missing entry shows instead of an empty caption.
QString DialogText(const char *Key);
// A translation's text for Key; an empty Text puts the English default back.
void SetDialogText(const char *Key, const QString &Text);
// Every translation's text gone: the English defaults again.
void ResetDialogTexts();

} // namespace kx::designer
