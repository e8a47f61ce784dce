// The names the inspector shows for the published properties, in English, Spanish and
// Dutch, and the current name that a translation file fills.
//
// The table lives for the whole run of the program and is shared by every inspector; only
// the current captions change (TKXInspector::LoadTranslation). Row 0 ("NotFound") captions
// a property whose name is not a key.
#pragma once

#include "core/KXTypes.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace kx::designer {

inline constexpr int InspectorCaptionCount = 92;

struct TKXInspectorCaption {
    QString Key; // a published property name
    QString English;
    QString Spanish;
    QString Dutch;
    QString Current; // English until a translation file gives another text

    // The caption in a built-in language; kxCustom answers the current caption.
    QString InLanguage(TKXLanguage Language) const;
};

// Every row, in order.
std::vector<TKXInspectorCaption> &InspectorCaptions();
// The keys in the same order (an inspector's caption keys).
QStringList InspectorCaptionKeys();
// Every current caption back to its English text.
void ResetInspectorCaptions();

} // namespace kx::designer
