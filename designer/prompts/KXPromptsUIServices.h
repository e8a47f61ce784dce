// The model's UI services (a plain message, the busy cursor, the picture chooser) answered
// through the prompts seam and Qt's override cursor. The application gives each label one:
// Lab.SetUIServices(&services).
#pragma once

#include "platform/KXUIServices.h"
#include "prompts/KXPrompts.h"

#include <vector>

namespace kx {

class TKXPromptsUIServices final : public TKXUIServices {
public:
    // A message box with an OK button and no icon.
    void ShowMessage(const QString &Text) override;
    // Qt's wait cursor; calls nest.
    void BeginBusy() override;
    void EndBusy() override;
    // An open-file prompt over the filter list, starting in InitialDir; empty when cancelled.
    QString ChoosePicture(const QString &Filter, const QString &InitialDir) override;
};

// "Description|*.a;*.b|Description|*.c" (the picture chooser's filter) as file filters.
std::vector<TKXFileFilter> ParseFilterList(const QString &Filter);

} // namespace kx
