// Writes a contact sheet of the 64 built-in pictograms at 600 dpi, each in a 16 mm square
// under its number, so a person can look at them side by side.
//   sheet_pictograms [out.png] [angle]
#include "document/KXBaseLab.h"
#include "elements/KXSymbol.h"
#include "platform/KXQtCanvas.h"

#include <QGuiApplication>
#include <QImage>

#include <cstdio>

using namespace kx;

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QGuiApplication app(argc, argv);
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("pictograms.png");
    const int angle = argc > 2 ? std::atoi(argv[2]) : 0;

    constexpr int cols = 8, cell = 2200, side = 1600; // hundredths of a millimetre
    constexpr double dpi = 600;
    const double px = dpi / 2540.0;
    QImage img(int(cols * cell * px), int(cols * cell * px), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);

    TKXCustomLab lab;
    auto *symbol = lab.NewElement<TKXSymbol>();
    symbol->SetAngle(angle);
    symbol->SetTransparent(false);
    {
        TKXQtCanvas canvas(&img);
        canvas.SetMapping(TKXMapping::ForResolution(dpi, dpi));
        for (int n = 1; n <= 64; ++n) {
            const int x = ((n - 1) % cols) * cell + 300, y = ((n - 1) / cols) * cell + 450;
            TKXFont font;
            font.Height = 300;
            canvas.SetFont(font);
            canvas.SetBkMode(TKXBkMode::bkTransparent);
            canvas.TextOut(x, y - 400, QString::number(n));
            // The square's corner turns with the angle: keep the drawn square in its cell.
            const int ox = angle == 180 || angle == 270 ? side : 0;
            const int oy = angle == 90 || angle == 180 ? side : 0;
            symbol->DrawSymbolNumber(canvas, x + ox, y + oy, side, n, clBlack, clWhite, 0x3A3A3A, true, true);
        }
    }
    if (!img.save(out)) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(out));
        return 1;
    }
    std::printf("%s\n", qPrintable(out));
    return 0;
}
