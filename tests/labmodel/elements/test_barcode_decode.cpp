// Barcode elements drawn on the print target through the real QPainter canvas and read back
// with zxing-cpp: every symbology zxing reads, at whole-pixel module widths (254 dpi, so 10
// label units are one pixel), at the four angles. The decoded text is the element's value
// with its check characters, and the reading direction follows the angle.
#include "document/KXBaseLab.h"
#include "document/KXCounter.h"
#include "elements/KXBarCode.h"
#include "GuiApp.h"
#include "platform/KXQtCanvas.h"
#include "SymbolDecode.h"

#include <gtest/gtest.h>

#include <QImage>

using namespace kx;

namespace {

// A 160 mm square label drawn at 254 dpi (1600 x 1600 pixels); the element's anchor in the
// middle, so that the barcode fits at every angle.
constexpr int ImagePx = 1600;
constexpr int32_t Centre = 8000; // label units

zt::GreyImage Render(TKXCustomLab &lab, TKXDrawType DrawType = TKXDrawType::tdPrint,
                     TKXFillType Fill = TKXFillType::ftNone)
{
    QImage img(ImagePx, ImagePx, QImage::Format_RGB32);
    img.setDotsPerMeterX(10000); // 254 dpi
    img.setDotsPerMeterY(10000);
    img.fill(Qt::white);
    {
        TKXQtCanvas canvas(&img);
        lab.DrawElements(canvas, {0, 0}, DrawType, Fill);
    }
    zt::GreyImage g;
    g.width = img.width();
    g.height = img.height();
    g.pixels.resize(size_t(g.width) * size_t(g.height));
    for (int y = 0; y < g.height; ++y)
        for (int x = 0; x < g.width; ++x)
            g.pixels[size_t(y) * g.width + x] = uint8_t(qGray(img.pixel(x, y)));
    return g;
}

// The orientation zxing reports, as 0 .. 359.
int Orientation(const zt::Decoded &d)
{
    return ((d.orientation % 360) + 360) % 360;
}

struct DecodeCase {
    TKXBar bar;
    const char *code;     // the element's fixed code
    bool checkSum;
    float factor;         // wide to narrow
    const char *format;   // zxing's format name
    const char *expected; // what zxing reads: the value with its check characters
    bool extended = false;
};

// Check characters worked by hand: EAN/UPC from the standards' examples, Code 39 "ABC" sums
// to 33 ('X'), Code 128 C and 2 of 5 "12345" get the weighted digit 7 (3 + 4 + 9 + 2 + 3 +
// 4 ... = 23 -> 7) and a zero in front for an even length.
const DecodeCase Cases[] = {
    {TKXBar::EAN13, "400638133393", true, 2, "EAN-13", "4006381333931"},
    {TKXBar::EAN8, "9638507", true, 2, "EAN-8", "96385074"},
    {TKXBar::UPCA, "036000291452", false, 2, "UPC-A", "036000291452"},
    {TKXBar::UPCE0, "0425261", true, 2, "UPC-E", "04252614"},
    {TKXBar::CODE39, "ABC", true, 3, "Code39", "ABCX"},
    {TKXBar::CODE39, "ART-2024/08", false, 2, "Code39", "ART-2024/08"},
    {TKXBar::CODE39EX, "Lot a-17", false, 3, "Code39", "Lot a-17", true},
    {TKXBar::CODE93, "SHELF 12.4", false, 2, "Code93", "SHELF 12.4"},
    {TKXBar::CODE93EX, "Box 7 of 12", false, 2, "Code93", "Box 7 of 12"},
    {TKXBar::CODABAR, "31117013206375", false, 3, "Codabar", "31117013206375"},
    {TKXBar::EAN128A, "10ABC123", false, 2, "Code128", "10ABC123"},
    {TKXBar::EAN128B, "10abc123", false, 2, "Code128", "10abc123"},
    {TKXBar::EAN128C, "0109501101530003", false, 2, "Code128", "0109501101530003"},
    {TKXBar::CODE128A, "PALLET 0042", false, 2, "Code128", "PALLET 0042"},
    {TKXBar::CODE128B, "Order #88213-b", false, 2, "Code128", "Order #88213-b"},
    {TKXBar::CODE128C, "12345", true, 2, "Code128", "123457"},
    {TKXBar::CODE128C, "12345", false, 2, "Code128", "012345"},
    {TKXBar::INTER_25, "12345", true, 3, "ITF", "123457"},
    {TKXBar::INTER_25, "1234567", false, 2, "ITF", "01234567"},
};

class BarcodeDecode : public ::testing::TestWithParam<DecodeCase> {
protected:
    BarcodeDecode() { zt::RequireGuiApp(); }
};

TEST_P(BarcodeDecode, ReadsTheValueWithItsCheckAtEveryAngle)
{
    const DecodeCase &c = GetParam();
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(160, 160);
    auto *bar = lab.NewElement<TKXBarCode>();
    bar->SetP1(Centre, Centre);
    bar->SetCodeType(c.bar);
    bar->SetBarCode(QString::fromLatin1(c.code));
    bar->SetChecksum(c.checkSum);
    bar->SetFactor(c.factor);
    bar->SetBarWidth(0.3f); // 3 pixels
    bar->SetTransparent(false);
    zt::DecodeOptions opt;
    opt.formats = c.format;
    opt.code39Extended = c.extended;
    opt.pure = false;
    opt.tryRotate = true;
    for (const int angle : {0, 90, 180, 270}) {
        SCOPED_TRACE(angle);
        bar->SetAngle(angle);
        const zt::Decoded d = zt::Decode(Render(lab), opt);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.text, c.expected);
        // The label's angles turn counter-clockwise; the image's y grows downwards.
        EXPECT_EQ(Orientation(d), (360 - angle) % 360);
    }
}

std::string CaseName(const testing::TestParamInfo<DecodeCase> &info)
{
    return std::string(EnumName(info.param.bar)) + "_" + std::to_string(info.index);
}

INSTANTIATE_TEST_SUITE_P(Symbologies, BarcodeDecode, testing::ValuesIn(Cases), CaseName);

// A counter-bound element prints the counter's value on output and its fixed code on the
// design surface.
TEST(BarcodeCounter, PrintsTheCounterValue)
{
    zt::RequireGuiApp();
    TKXCustomLab lab;
    lab.Measure()->SetLabelSizeMM(160, 160);
    TKXCounter *serial = lab.NewCounter();
    serial->Name = "Serial";
    serial->NumFrom = 41;
    serial->NumTo = 99;
    serial->Format = "000000";
    auto *bar = lab.NewElement<TKXBarCode>();
    bar->SetP1(Centre, Centre);
    bar->SetCodeType(TKXBar::CODE128C);
    bar->SetBarWidth(0.3f);
    bar->SetData(true);
    bar->SetFieldName("Serial");
    ASSERT_TRUE(bar->IsCounter());
    bar->SetBarCode("777777");
    ASSERT_EQ(lab.InitCounters(), 59); // 41 .. 99
    zt::DecodeOptions opt;
    opt.formats = "Code128";
    opt.pure = false;
    for (const char *want : {"000041", "000042"}) {
        const zt::Decoded d = zt::Decode(Render(lab, TKXDrawType::tdPrint, TKXFillType::ftCounter), opt);
        ASSERT_TRUE(d.ok);
        EXPECT_EQ(d.text, want);
        lab.StepCounters();
    }
    const zt::Decoded design = zt::Decode(Render(lab, TKXDrawType::tdLab, TKXFillType::ftCounter), opt);
    ASSERT_TRUE(design.ok);
    EXPECT_EQ(design.text, "777777");
}

} // namespace
