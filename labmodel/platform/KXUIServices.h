// The few things of the user interface that the model needs: a plain message, the busy
// cursor and the picture chooser. The model never opens a window itself; the application
// installs its implementation, tests use a recording fake, and without one the document
// uses the silent implementation below.
#pragma once

#include <QString>

namespace kx {

class TKXUIServices {
public:
    virtual ~TKXUIServices() = default;

    // A plain message box with an OK button.
    virtual void ShowMessage(const QString &Text) = 0;
    // Busy cursor on and off; calls nest.
    virtual void BeginBusy() = 0;
    virtual void EndBusy() = 0;
    // Lets the user choose a picture file; Filter is the picture dialog's filter
    // ("Description|*.ext;*.ext|..."). Empty when cancelled.
    virtual QString ChoosePicture(const QString &Filter, const QString &InitialDir) = 0;
};

// Shows nothing, chooses nothing.
class TKXSilentUIServices final : public TKXUIServices {
public:
    void ShowMessage(const QString &) override {}
    void BeginBusy() override {}
    void EndBusy() override {}
    QString ChoosePicture(const QString &, const QString &) override { return {}; }
};

// Busy cursor for the lifetime of a scope.
class TKXBusyScope {
public:
    explicit TKXBusyScope(TKXUIServices &ui) : FUI(ui) { FUI.BeginBusy(); }
    ~TKXBusyScope() { FUI.EndBusy(); }
    TKXBusyScope(const TKXBusyScope &) = delete;
    TKXBusyScope &operator=(const TKXBusyScope &) = delete;

private:
    TKXUIServices &FUI;
};

} // namespace kx
