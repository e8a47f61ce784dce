// Drawing a picture element onto the print canvas (the QPainter canvas over a 600 dpi label
// image, as a raster printer gets it), in elements per second: a 400 x 200 PNG stretched
// over 50 x 25 mm as it is, turned a quarter in grey from the prepared copy, and the same
// with the prepared copy made again for every drawing (as when each record brings another
// picture).
#include "document/KXBaseLab.h"
#include "elements/KXImage.h"
#include "platform/KXQtCanvas.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <cstdlib>

namespace {

QByteArray PngBytes()
{
    QImage image(400, 200, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, 200, 200, Qt::red);
    p.fillRect(200, 0, 200, 200, Qt::blue);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// Mode 0: unturned; 1: turned and grey from the prepared copy; 2: the copy made each time.
void BM_DrawPicture(benchmark::State &state)
{
    const int mode = int(state.range(0));
    kx::TKXCustomLab lab;
    auto *im = lab.NewElement<kx::TKXImage>();
    im->SetP1(500, 500);
    im->SetP2(5500, 3000);
    im->SetAspect(false);
    if (!im->LoadPictureBytes(PngBytes())) {
        state.SkipWithError("picture did not load");
        return;
    }
    if (mode > 0) {
        im->SetAngle(90);
        im->SetGrayScale(true);
    }
    const double dpi = 600;
    QImage img(int(60 / 25.4 * dpi), int(35 / 25.4 * dpi), QImage::Format_RGB32);
    img.setDotsPerMeterX(qRound(dpi / 0.0254));
    img.setDotsPerMeterY(qRound(dpi / 0.0254));
    img.fill(Qt::white);
    kx::TKXQtCanvas canvas(&img);
    bool t = true;
    for (auto _ : state) {
        if (mode == 2)
            im->SetTransparent(t = !t); // the prepared copy is stale
        im->Draw(canvas, {0, 0}, kx::TKXDrawType::tdPrint, kx::TKXFillType::ftNone);
    }
    state.counters["elements/s"] = benchmark::Counter(double(state.iterations()), benchmark::Counter::kIsRate);
}
BENCHMARK(BM_DrawPicture)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char **argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
