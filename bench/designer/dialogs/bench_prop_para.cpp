// One keystroke at the end of a long code in the code text dialog: the key reaches the box,
// the element encodes its symbol again and the design editor redraws. A 2,000-character QR
// Code and a 1,800-character PDF417 code; the goal is under 50 ms a keystroke. Keystrokes
// alternate between a digit and Backspace so the code keeps its length.
#include "component/KXLab.h"
#include "dialogs/KXPropPara.h"
#include "editor/KXEditor.h"
#include "elements/KXMatrixCodes.h"
#include "elements/KXPdf417.h"

#include <QApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>

#include "BenchApp.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <type_traits>

namespace {

using namespace kx;

// Mixed text, as a person would put in a code: words, digits and punctuation; for PDF417,
// whose symbol holds about 1,100 bytes of such text, serial numbers (numeric compaction).
QString CodeText(int Length, bool Digits)
{
    const QString words = Digits ? QStringLiteral("4006381333931%1") : QStringLiteral("Lot 4711, best before 2027-03-01; batch ZX-%1. ");
    QString text;
    for (int i = 0; text.size() < Length; ++i)
        text += words.arg(i);
    return text.left(Length);
}

template <class T>
void Keystroke(benchmark::State &State, int Length)
{
    RequireBenchApp();
    designer::TKXLab lab;
    lab.NewLabel();
    designer::TKXEditor editor;
    editor.SetZantor(&lab);
    editor.resize(900, 700);
    editor.show();
    lab.SetUnReIni(0);
    T *element = lab.NewElement<T>();
    element->SetP1(500, 500);
    element->SetCode(CodeText(Length, std::is_same_v<T, TKXPdf417>));
    lab.SetUnReIni(1);
    bool symbol = false;
    if constexpr (std::is_same_v<T, TKXPdf417>)
        symbol = element->HasSymbol();
    else
        symbol = element->Encoded();
    if (element->Code().size() != Length || !symbol) {
        State.SkipWithError("the code makes no symbol");
        return;
    }
    designer::TPropPara dialog;
    dialog.Ini(lab, *element);
    dialog.show();
    dialog.MemText->moveCursor(QTextCursor::End);
    bool letter = true; // a digit, else Backspace
    for (auto _ : State) {
        QKeyEvent press(QEvent::KeyPress, letter ? Qt::Key_7 : Qt::Key_Backspace, Qt::NoModifier,
                        letter ? QStringLiteral("7") : QString());
        QApplication::sendEvent(dialog.MemText, &press);
        editor.repaint();
        letter = !letter;
    }
    if (element->Code().size() < Length)
        State.SkipWithError("the keystrokes did not reach the code");
    dialog.reject();
}

void BM_KeystrokeQRCode2000(benchmark::State &State) { Keystroke<TKXQRCode>(State, 2000); }
void BM_KeystrokePdf417_1800(benchmark::State &State) { Keystroke<TKXPdf417>(State, 1800); }

} // namespace

BENCHMARK(BM_KeystrokeQRCode2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_KeystrokePdf417_1800)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
