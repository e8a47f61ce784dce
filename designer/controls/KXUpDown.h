// The small up-down button of the number fields: two arrows stacked, each click (and each
// auto-repeat while an arrow is held) one step, reported as next (up) or previous (down).
#pragma once

#include <QWidget>

#include <functional>

class QToolButton;

namespace kx::designer {

enum class TKXUDBtnType : uint8_t { btNext, btPrev };

class TKxUpDown : public QWidget {
public:
    explicit TKxUpDown(QWidget *Parent = nullptr);
    ~TKxUpDown() override;

    // One step per click or auto-repeat, whatever the range.
    std::function<void(TKXUDBtnType)> OnClick;

    // The button's width: the system's vertical scroll-bar width, at most 15 pixels.
    static int UpDownWidth();

    QToolButton *UpButton() const { return FUp; }
    QToolButton *DownButton() const { return FDown; }

protected:
    void resizeEvent(QResizeEvent *Event) override;

private:
    void Click(TKXUDBtnType Kind);
    QToolButton *FUp = nullptr;
    QToolButton *FDown = nullptr;
    bool FInClick = false; // a click being handled: a nested one is dropped
};

} // namespace kx::designer
