// The picture element: fitting the picture into its rectangle, sizing itself to the picture,
// its setters, the empty-image marker, pictures from a bound field, and its record: old
// versions, embedded bytes in label files, undo steps and the copy stream.
#include "elements/KXImage.h"
#include "document/KXElementFactory.h"
#include "FakeDesignerServices.h"
#include "GuiApp.h"
#include "LabTestPrint.h"
#include "LabelFileComposer.h"
#include "MemoryDataset.h"
#include "PictureFixtures.h"
#include "RecordingCanvas.h"
#include "stream/KXStream.h"
#include "TestElements.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace kx;

namespace {

class ImageElement : public ::testing::Test {
protected:
    ImageElement()
    {
        zt::RequireGuiApp();
        lab.SetUIServices(&ui);
        lab.SetCheckBounds(false);
    }
    // A picture file in the temporary folder.
    QString File(const QString &Name, const QByteArray &Bytes)
    {
        const QString path = dir.filePath(Name);
        EXPECT_TRUE(zt::WriteFile(path, Bytes));
        return path;
    }
    QString Png(int w, int h, const QString &Name = "pic.png")
    {
        return File(Name, zt::Encode(zt::TwoColourImage(w, h), "PNG"));
    }
    TKXImage *Image(const QString &FileName, TRect R)
    {
        auto *im = lab.NewElement<TKXImage>();
        im->SetP1(R.Left, R.Top);
        im->SetP2(R.Right, R.Bottom);
        if (!FileName.isEmpty())
            im->SetFileImage(FileName);
        return im;
    }
    // The rectangle the picture was stretched into by the last drawing.
    std::string Drawn(TKXImage &im, TKXDrawType DrawType = TKXDrawType::tdPrint,
                      TKXFillType Fill = TKXFillType::ftField)
    {
        zt::RecordingCanvas canvas(100);
        im.Draw(canvas, {0, 0}, DrawType, Fill);
        const auto calls = canvas.Texts("Draw");
        return calls.empty() ? std::string() : calls.back();
    }

    TKXCustomLab lab;
    zt::FakeUIServices ui;
    QTemporaryDir dir;
};

TEST_F(ImageElement, AspectFitCaseTable)
{
    struct Case {
        const char *Name;
        QSize Pixels;
        TRect R;
        int32_t Angle;
        bool Aspect;
        const char *Expected;
    } cases[] = {
        // A square picture in a rectangle twice as wide as high: equal bands left and right.
        {"square in wide", {100, 100}, {0, 0, 4000, 2000}, 0, true, "DrawImage(1000,0,3000,2000,100x100)"},
        {"square in tall", {100, 100}, {0, 0, 2000, 4000}, 0, true, "DrawImage(0,1000,2000,3000,100x100)"},
        {"wide in square", {400, 200}, {0, 0, 3000, 3000}, 0, true, "DrawImage(0,750,3000,2250,400x200)"},
        // MulDiv(1001, 100, 300) = 334; (1000 - 334) / 2 = 333 (halves toward zero).
        {"odd sizes", {300, 100}, {0, 0, 1001, 1000}, 0, true, "DrawImage(0,333,1001,667,300x100)"},
        {"aspect off", {100, 100}, {0, 0, 4000, 2000}, 0, false, "DrawImage(0,0,4000,2000,100x100)"},
        // Turned a quarter: the picture is 200 wide and 400 high, from the prepared copy.
        {"turned", {400, 200}, {0, 0, 3000, 3000}, 90, true, "DrawImage(750,0,2250,3000,200x400)"},
        {"flat rectangle", {100, 100}, {500, 500, 2500, 500}, 0, true, ""},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Name);
        TKXImage *im = Image(Png(c.Pixels.width(), c.Pixels.height(), QString(c.Name) + ".png"), c.R);
        im->SetAngle(c.Angle);
        im->SetAspect(c.Aspect);
        EXPECT_EQ(Drawn(*im), c.Expected);
    }

    // With a border the picture fits inside it.
    TKXImage *im = Image(Png(100, 100, "b.png"), {0, 0, 4200, 2200});
    im->SetShowBorder(true);
    im->SetPenWidth(1); // 1 mm
    zt::RecordingCanvas canvas(100);
    im->Draw(canvas, {1000, 2000}, TKXDrawType::tdPrint, TKXFillType::ftNone);
    const auto &border = canvas.Last("Rectangle");
    EXPECT_EQ(border.Text, "Rectangle(1000,2000,5201,4201)");
    EXPECT_TRUE(border.Pen.InsideFrame);
    EXPECT_EQ(border.Brush.Style, TKXBrushStyle::bsClear);
    EXPECT_EQ(canvas.Last("DrawImage").Text, "DrawImage(2100,2100,4100,4100,100x100)");
}

TEST_F(ImageElement, AutoSizeAtEachAngleWithAndWithoutBorder)
{
    // 600 x 350 pixels show the 60 x 35 mm label: 10 label units a pixel at 100 %.
    zt::FakeDesignerServices ed(lab, 600, 350);
    const QString png = Png(400, 200);
    struct Case {
        int32_t Angle;
        bool Border;
        TPoint P2;
    } cases[] = {
        {0, false, {100 + 4000, 200 + 2000}},  {90, false, {100 + 2000, 200 + 4000}},
        {180, false, {100 + 4000, 200 + 2000}}, {270, false, {100 + 2000, 200 + 4000}},
        // Plus twice the pen width (0.3 mm).
        {0, true, {100 + 4060, 200 + 2060}},   {90, true, {100 + 2060, 200 + 4060}},
        {180, true, {100 + 4060, 200 + 2060}},  {270, true, {100 + 2060, 200 + 4060}},
    };
    lab.SetCheckBounds(false);
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.Angle << (c.Border ? " border" : ""));
        TKXImage *im = Image(png, {100, 200, 300, 300});
        im->SetAngle(c.Angle);
        im->SetShowBorder(c.Border);
        im->SetPenWidth(0.3f);
        im->SetAutoSize(true);
        zt::RecordingCanvas canvas(100);
        im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
        EXPECT_EQ(im->P2(), c.P2);
        EXPECT_EQ(im->Width(), c.P2.x - 100);
        EXPECT_EQ(im->Height(), c.P2.y - 200);
    }
    // At 200 % the same picture takes twice as many label units.
    ed.Zoom = 2.0;
    TKXImage *im = Image(png, {100, 200, 300, 300});
    im->SetAutoSize(true);
    zt::RecordingCanvas canvas(100);
    im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_EQ(im->P2(), (TPoint{8100, 4200}));
}

TEST_F(ImageElement, SettersRecordNotifyAndMarkModified)
{
    zt::FakeDesignerServices ed(lab);
    zt::RecordingUndoRecorder &undo = zt::InstallUndoRecorder(lab);
    TKXImage *im = Image({}, {100, 100, 1100, 600});
    const QString png = Png(10, 10);
    struct Effect {
        int Undo;
        std::vector<std::string> Notified;
        bool Modified;
        bool operator==(const Effect &) const = default;
    };
    auto run = [&](const std::function<void()> &Change) {
        lab.SetModified(false);
        ed.Reset();
        undo.Entries.clear();
        Change();
        Effect e{int(undo.Entries.size()), {}, lab.Modified()};
        for (const std::string &call : ed.Log)
            if (call.rfind("RefreshView(0,", 0) == 0)
                e.Notified.push_back(call.substr(14, call.size() - 15));
        return e;
    };
    using N = std::vector<std::string>;
    EXPECT_EQ(run([&] { im->SetFileImage(png); }), (Effect{1, N{"FileImage"}, true}));
    EXPECT_TRUE(im->Valid());
    EXPECT_EQ(run([&] { im->SetFileImage(png); }), (Effect{0, N{}, false})); // same path
    EXPECT_EQ(run([&] { im->SetGrayScale(true); }), (Effect{1, N{"GrayScale"}, true}));
    EXPECT_EQ(run([&] { im->SetAspect(false); }), (Effect{1, N{"Aspect"}, true}));
    EXPECT_EQ(run([&] { im->SetAutoSize(true); }), (Effect{1, N{"Autosize"}, true}));
    EXPECT_EQ(run([&] { im->SetAutoSize(true); }), (Effect{0, N{}, false}));
    EXPECT_EQ(run([&] { im->SetEmbeded(true); }), (Effect{0, N{}, false}));
    EXPECT_EQ(run([&] { im->SetTransparent(false); }), (Effect{1, N{"Transparent"}, true}));
    // Width and Height move P2 and notify the coordinate and then the size.
    EXPECT_EQ(run([&] { im->SetImageWidth(20); }), (Effect{1, N{"X2", "Width"}, true}));
    EXPECT_EQ(im->P2().x, 2100);
    EXPECT_FLOAT_EQ(im->ImageWidth(), 20.0f);
    EXPECT_EQ(run([&] { im->SetImageWidth(20.001f); }), (Effect{0, N{}, false}));
    EXPECT_EQ(run([&] { im->SetImageHeight(7.5f); }), (Effect{1, N{"Y2", "Height"}, true}));
    EXPECT_EQ(im->Height(), 750);

    // While bound to a field the file is not taken.
    im->SetData(true);
    EXPECT_EQ(run([&] { im->SetFileImage(dir.filePath("other.png")); }), (Effect{0, N{}, false}));
    EXPECT_EQ(im->FileImage(), png);

    // The published list, in order.
    EXPECT_EQ(im->Published().Names(),
              (QStringList{"ID", "X1", "Y1", "X2", "Y2", "Print", "Margin", "EleAlign", "GrayScale", "FieldName",
                           "Data", "Angle", "Aspect", "AutoSize", "Embeded", "Locked", "FileImage", "Width",
                           "Height", "ShowBorder", "Color", "PenWidth"}));
    EXPECT_EQ(im->ID(), "Image1");
    EXPECT_EQ(im->SelType(), TKXSelType::stRect);
}

TEST_F(ImageElement, EditorPlacementTakesP2FromTheBorder)
{
    zt::FakeDesignerServices ed(lab, 600, 350); // 10 label units a pixel
    TKXImage *im = Image({}, {0, 0, 100, 100});
    im->SetBorder({10, 20, 110, 70});
    EXPECT_EQ(im->P2(), (TPoint{1100, 700}));
    EXPECT_EQ(im->GetRect().Right, 1100);
    EXPECT_EQ(im->Height(), std::abs(700 - im->P1().y));
}

TEST_F(ImageElement, MissingFileIsReportedAndDrawsTheEmptyMarker)
{
    zt::FakeDesignerServices ed(lab);
    const QString missing = dir.filePath("gone.png");
    TKXImage *im = Image(missing, {100, 100, 3100, 2100});
    ASSERT_EQ(ui.Messages, (std::vector<QString>{"INVALID FILE : " + missing}));
    EXPECT_FALSE(im->Valid());

    zt::RecordingCanvas canvas(100);
    im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    const auto &box = canvas.Last("Rectangle");
    EXPECT_EQ(box.Text, "Rectangle(100,100,3100,2100)");
    EXPECT_EQ(box.Pen.Width, 5);
    EXPECT_EQ(box.Pen.Color, 0x808080u);
    const auto &text = canvas.Last("TextOut");
    EXPECT_EQ(text.Font.Height, 350);
    EXPECT_EQ(text.Font.Color, 0x0000FFu);
    EXPECT_EQ(text.Font.Name, "Arial");
    const std::string message = ("INVALID FILE : " + missing).toStdString();
    EXPECT_NE(text.Text.find(message), std::string::npos);
    // Centred at the top of the box shrunk by 10: 100 units a character.
    const int32_t tw = 100 * int32_t(message.size());
    EXPECT_EQ(text.Text, "TextOut(" + std::to_string(110 + (2980 - tw) / 2) + ",110,\"" + message + "\")");

    // Not on the printer, and not without the marker setting.
    EXPECT_EQ(Drawn(*im), "");
    canvas.Clear();
    lab.SetMarkEmptyImage(false);
    im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_TRUE(canvas.Texts("TextOut").empty());

    // An element with no picture chosen asks nothing when it is read back.
    ui.Messages.clear();
    TKXImage *empty = Image({}, {0, 0, 100, 100});
    TKXStreamWriter w;
    empty->SaveToStream(w);
    TKXStreamReader r(w.Bytes());
    ASSERT_NE(TKXElementFactory::ReadElement(r, lab), nullptr);
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(ImageElement, LockedMarkerOnTheDesignSurface)
{
    zt::FakeDesignerServices ed(lab, 600, 350); // 8 pixels are 80 label units
    TKXImage *im = Image(Png(10, 10), {100, 200, 1100, 1200});
    im->SetLocked(true);
    zt::RecordingCanvas canvas(100);
    im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    const auto fills = canvas.Texts("FillRect");
    ASSERT_GE(fills.size(), 2u);
    EXPECT_EQ(fills[fills.size() - 2], "FillRect(100,200,180,280)");
    EXPECT_EQ(fills.back(), "FillRect(120,220,160,260)");
    EXPECT_EQ(canvas.Last("FillRect").Brush.Color, 0x00FFFFu);
    EXPECT_EQ(im->Frame, (TRect{100, 200, 1100, 1200}));
    EXPECT_TRUE(ed.Has("DrawSelectionFrame(0,0,stRect,0,100 200 1100 1200,10 20 110 120,1)"));
}

// ---------------------------------------------------------------------------------------
// Pictures from a bound field

class BoundImage : public ImageElement {
protected:
    BoundImage()
    {
        auto ds = std::make_unique<MemoryDataset>("Pics");
        ds->AddColumn("PIC", TKXFieldType::ftBlob);
        ds->AddColumn("NOTE", TKXFieldType::ftString);
        pics = ds.release();
        pics->setParent(&module);
        lab.SetDataMod(&module);
        lab.SetDatasetName("Pics");
        lab.SetLinkData(true);
        lab.SetOpenCloseData(true);
        EXPECT_TRUE(lab.FindDataset("Pics", false, false));
    }
    TKXImage *Bound(const QString &Field)
    {
        TKXImage *im = Image({}, {0, 0, 2000, 1000});
        im->SetData(true);
        im->SetFieldName(Field);
        return im;
    }
    QObject module;
    MemoryDataset *pics = nullptr;
};

TEST_F(BoundImage, EachRecordDrawsItsPicture)
{
    const QByteArray png = zt::Encode(zt::TwoColourImage(40, 20), "PNG");
    const QByteArray jpg = zt::Encode(zt::TwoColourImage(30, 30), "JPG");
    QByteArray tiff = zt::Encode(zt::TwoColourImage(30, 30), "TIFF");
    if (tiff.isEmpty())
        tiff = QByteArray("II*\0", 4) + QByteArray(60, '\0');
    pics->AddRow({QVariant(png), QVariant("a")});
    pics->AddRow({QVariant(jpg), QVariant("b")});
    pics->AddRow({QVariant(tiff), QVariant("c")});        // refused
    pics->AddRow({QVariant(png.left(43)), QVariant("d")}); // 43 bytes: refused
    pics->AddRow({QVariant(), QVariant("e")});            // null
    TKXImage *im = Bound("PIC");
    pics->Open();
    pics->First();
    std::vector<std::string> drawn;
    while (!pics->Eof()) {
        drawn.push_back(Drawn(*im, TKXDrawType::tdPrint).substr(0, 9) + "/" + Drawn(*im, TKXDrawType::tdPreview));
        pics->Next();
    }
    // Aspect keeps each picture's proportions in the 2000 x 1000 box.
    EXPECT_EQ(drawn, (std::vector<std::string>{"DrawImage/DrawImage(0,0,2000,1000,40x20)",
                                               "DrawImage/DrawImage(500,0,1500,1000,30x30)", "/", "/", "/"}));
    EXPECT_EQ(im->EmptyText(), "PIC");
    // The design surface shows the field's name.
    zt::RecordingCanvas canvas(100);
    im->Draw(canvas, {0, 0}, TKXDrawType::tdLab, TKXFillType::ftField);
    EXPECT_NE(canvas.Last("TextOut").Text.find("\"PIC\""), std::string::npos);
    // Fixed contents (ftNone) do not read the field.
    EXPECT_EQ(Drawn(*im, TKXDrawType::tdPreview, TKXFillType::ftNone), "");
}

// Mended: a field that holds no blob drew nothing but stopped the print run with an error.
TEST_F(BoundImage, FieldThatIsNoBlobDrawsTheEmptyImage)
{
    pics->AddRow({QVariant(zt::Encode(zt::TwoColourImage(4, 4), "PNG")), QVariant("text")});
    TKXImage *im = Bound("NOTE");
    TKXImage *missing = Bound("NOSUCH");
    pics->Open();
    pics->First();
    EXPECT_EQ(Drawn(*im, TKXDrawType::tdPrint), "");
    EXPECT_EQ(im->EmptyText(), "NOTE");
    EXPECT_EQ(Drawn(*missing, TKXDrawType::tdPrint), "");
    zt::RecordingCanvas canvas(100);
    EXPECT_NO_THROW(lab.DrawElements(canvas, {0, 0}, TKXDrawType::tdPrint, TKXFillType::ftField));
}

// Mended: a print run no longer replaces the element's own picture with the last record's.
TEST_F(BoundImage, PrintingKeepsTheElementsOwnPicture)
{
    pics->AddRow({QVariant(zt::Encode(zt::TwoColourImage(30, 30), "PNG")), QVariant("a")});
    TKXImage *im = Image(Png(40, 20), {0, 0, 2000, 1000});
    im->SetData(true);
    im->SetFieldName("PIC");
    pics->Open();
    pics->First();
    EXPECT_EQ(Drawn(*im), "DrawImage(500,0,1500,1000,30x30)");
    im->SetData(false);
    EXPECT_EQ(Drawn(*im), "DrawImage(0,0,2000,1000,40x20)");
}

// ---------------------------------------------------------------------------------------
// The record

// An image record (type 7) at Version, after records E and D.
zt::Bytes ImageRecord(int32_t Version, const std::string &File, const std::u16string &Relative, uint8_t Grey,
                      uint8_t Embedded, int32_t Count, const QByteArray &Bytes)
{
    zt::ComposedElement e;
    e.Code = 7;
    e.ID = "Image1";
    e.HasData = true;
    e.P1x = 10;
    e.P1y = 20;
    e.P2x = 210;
    e.P2y = 120;
    const bool old = Version < 2000; // wide strings without their byte length
    zt::LeBytes b;
    b.Raw(zt::ComposeElement(e, Version, old));
    if (Version <= 18)
        b.Ansi(File);
    else
        b.Wide(std::u16string(File.begin(), File.end()), old);
    if (Version >= 20)
        b.Wide(Relative, old);
    b.U8(1).U8(0); // Aspect, AutoSize
    if (Version >= 20)
        b.U8(Grey);
    if (Version >= 2800) {
        b.U8(Embedded).I32(Count);
        b.Raw(zt::Bytes(Bytes.begin(), Bytes.end()));
    }
    return b.B;
}

TEST_F(ImageElement, OldVersionRecords)
{
    const QString png = Png(40, 20);
    const std::string path = png.toStdString();
    const QByteArray jpg = zt::Encode(zt::TwoColourImage(16, 8), "JPG");
    struct Case {
        int32_t Version;
        zt::Bytes Record;
        bool Grey, Embedded;
        QSize Pixels;
        TPoint P2;
    } cases[] = {
        {18, ImageRecord(18, path, u"", 0, 0, 0, {}), false, false, {40, 20}, {2100, 1200}}, // tenths
        {19, ImageRecord(19, path, u"", 0, 0, 0, {}), false, false, {40, 20}, {2100, 1200}},
        {20, ImageRecord(20, path, u"x.png", 1, 0, 0, {}), true, false, {40, 20}, {210, 120}},
        {2700, ImageRecord(2700, path, u"", 1, 0, 0, {}), true, false, {40, 20}, {210, 120}},
        {2800, ImageRecord(2800, "", u"", 0, 1, int32_t(jpg.size()), jpg), false, true, {16, 8}, {210, 120}},
        {2811, ImageRecord(2811, "", u"", 1, 1, int32_t(jpg.size()), jpg), true, true, {16, 8}, {210, 120}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.Version);
        zt::ComposedLabel l;
        l.Version = c.Version;
        l.OldLayout = c.Version < 2000;
        l.ExtraElementBytes = c.Record;
        l.ExtraElementCount = 1;
        const zt::Bytes file = zt::ComposeLabel(l);
        TKXCustomLab doc;
        doc.SetUIServices(&ui);
        TKXStreamReader r(file);
        doc.LoadFromStream(r, false);
        ASSERT_EQ(doc.ElementCount(), 1);
        auto *im = dynamic_cast<TKXImage *>(doc.GetElement(1));
        ASSERT_NE(im, nullptr);
        EXPECT_TRUE(im->Valid());
        EXPECT_EQ(im->GrayScale(), c.Grey);
        EXPECT_EQ(im->Embeded(), c.Embedded);
        EXPECT_EQ(im->Picture().PixelSize(), c.Pixels);
        EXPECT_EQ(im->P2(), c.P2);
        EXPECT_TRUE(im->Aspect());
    }
    EXPECT_TRUE(ui.Messages.empty());
}

// Mended: the stored byte count was believed whatever the file held.
TEST_F(ImageElement, ByteCountBeyondTheFileIsAnError)
{
    const QByteArray jpg = zt::Encode(zt::TwoColourImage(16, 8), "JPG");
    for (int32_t count : {int32_t(jpg.size()) + 1, int32_t(jpg.size()) + 100000, -1, INT32_MAX}) {
        SCOPED_TRACE(count);
        zt::ComposedLabel l;
        l.ExtraElementBytes = ImageRecord(2811, "", u"", 0, 1, count, jpg);
        l.ExtraElementCount = 1;
        const zt::Bytes file = zt::ComposeLabel(l);
        TKXCustomLab doc;
        TKXStreamReader r(file);
        EXPECT_THROW(doc.LoadFromStream(r, false), EKxError);
        EXPECT_EQ(doc.ElementCount(), 0);
    }
    // Bytes of no known class: the element stays, without a picture, and the rest is read.
    zt::ComposedLabel l;
    l.ExtraElementBytes = ImageRecord(2811, "", u"", 0, 1, 50, QByteArray(50, 'x'));
    l.ExtraElementCount = 1;
    zt::ComposedElement rect;
    l.Elements.push_back(rect);
    const zt::Bytes file = zt::ComposeLabel(l);
    TKXCustomLab doc;
    zt::TestKinds kinds;
    TKXStreamReader r(file);
    ASSERT_NO_THROW(doc.LoadFromStream(r, false));
    ASSERT_EQ(doc.ElementCount(), 2);
    auto *im = dynamic_cast<TKXImage *>(doc.GetElement(2));
    ASSERT_NE(im, nullptr);
    EXPECT_FALSE(im->Valid());
}

// Mended: embedded bytes that no picture class decodes were dropped at the next save, and the
// file read again resolved the picture's name against the program's folder, so the second
// save held another name. The bytes and the names stay as read: two saves are identical.
TEST_F(ImageElement, UndecodablePictureIsKeptByteForByte)
{
    const QByteArray tiff = QByteArray("II*\0", 4) + QByteArray(60, '\x11');
    const QByteArray junk(50, 'x');
    // A placeable metafile whose bitmap record has a header size of 0.
    const QByteArray badWmf =
        zt::TwoColourWmfWith(QByteArray::fromHex("0b000000" "4201" "0300" "0000" "00000000" "0000000000000000"));
    const struct {
        const char *note;
        std::string file;
        std::u16string relative;
        uint8_t embedded;
        QByteArray bytes;
    } cases[] = {
        {"TIFF", "/nowhere/scan.tif", u"scan.tif", 1, tiff},
        {"no picture class", "/nowhere/junk.bin", u"junk.bin", 1, junk},
        {"refused metafile", "/nowhere/logo.wmf", u"logo.wmf", 1, badWmf},
        {"embedded, no bytes", "/nowhere/none.png", u"none.png", 1, {}},
        {"a missing file", "/nowhere/gone.png", u"gone.png", 0, {}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.note);
        zt::ComposedLabel l;
        l.ExtraElementBytes = ImageRecord(2811, c.file, c.relative, 0, c.embedded, int32_t(c.bytes.size()), c.bytes);
        l.ExtraElementCount = 1;
        zt::Bytes file = zt::ComposeLabel(l);
        std::vector<zt::Bytes> saves;
        for (int round = 0; round < 2; ++round) {
            TKXCustomLab doc;
            doc.SetUIServices(&ui);
            TKXStreamReader r(file);
            ASSERT_NO_THROW(doc.LoadFromStream(r, false));
            auto *im = dynamic_cast<TKXImage *>(doc.GetElement(1));
            ASSERT_NE(im, nullptr);
            EXPECT_FALSE(im->Valid());
            EXPECT_EQ(im->FileImage().toStdString(), c.file);
            EXPECT_EQ(im->Relative().toStdU16String(), c.relative);
            EXPECT_EQ(im->Embeded(), c.embedded != 0);
            TKXStreamWriter w;
            doc.SaveToStream(w);
            saves.push_back(w.Bytes());
            file = w.Bytes();
            // The element's own record carries the bytes again.
            const QByteArray saved(reinterpret_cast<const char *>(file.data()), qsizetype(file.size()));
            QByteArray counted(1, char(c.embedded));
            for (int i = 0; i < 4; ++i)
                counted.append(char((c.bytes.size() >> (8 * i)) & 0xFF));
            EXPECT_TRUE(saved.contains(counted + c.bytes));
        }
        EXPECT_EQ(saves[0], saves[1]);
    }
}

// Another picture replaces the kept bytes.
TEST_F(ImageElement, NewPictureReplacesKeptBytes)
{
    zt::ComposedLabel l;
    l.ExtraElementBytes = ImageRecord(2811, "", u"", 0, 1, 50, QByteArray(50, 'x'));
    l.ExtraElementCount = 1;
    const zt::Bytes file = zt::ComposeLabel(l);
    TKXStreamReader r(file);
    lab.LoadFromStream(r, false);
    auto *im = dynamic_cast<TKXImage *>(lab.GetElement(1));
    ASSERT_NE(im, nullptr);
    const QByteArray png = zt::Encode(zt::TwoColourImage(8, 4), "PNG");
    ASSERT_TRUE(im->LoadPictureBytes(png));
    TKXStreamWriter w;
    im->SaveToStream(w);
    const QByteArray saved(reinterpret_cast<const char *>(w.Bytes().data()), qsizetype(w.Bytes().size()));
    EXPECT_TRUE(saved.endsWith(png));
    EXPECT_FALSE(saved.contains(QByteArray(50, 'x')));
    // And an empty file name removes the picture: nothing is embedded any more.
    im->SetFileImage("/nowhere/x.png");
    im->SetFileImage("");
    TKXStreamWriter w2;
    im->SaveToStream(w2);
    EXPECT_FALSE(im->Embeded());
}

TEST_F(ImageElement, WholeLabelSaveWritesTheBytesAfterTheCount)
{
    const QByteArray jpg = zt::Encode(zt::TwoColourImage(32, 16), "JPG");
    TKXImage *im = Image(File("photo.jpg", jpg), {100, 100, 2100, 1100});
    im->SetEmbeded(true);
    TKXStreamWriter w;
    lab.SaveToStream(w);
    const QByteArray saved(reinterpret_cast<const char *>(w.Bytes().data()), qsizetype(w.Bytes().size()));
    QByteArray counted;
    for (int i = 0; i < 4; ++i)
        counted.append(char((jpg.size() >> (8 * i)) & 0xFF));
    EXPECT_TRUE(saved.contains(QByteArray(1, '\1') + counted + jpg)); // Embeded, count, bytes

    // Read back without the file: the picture comes from the label.
    QFile::remove(dir.filePath("photo.jpg"));
    TKXCustomLab doc;
    doc.SetUIServices(&ui);
    TKXStreamReader r(w.Bytes());
    doc.LoadFromStream(r, false);
    auto *back = dynamic_cast<TKXImage *>(doc.GetElement(1));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->Valid());
    EXPECT_EQ(back->Picture().Bytes(), jpg);
    EXPECT_TRUE(ui.Messages.empty());

    // Without a picture the flag is not kept.
    TKXImage *none = Image({}, {0, 0, 10, 10});
    none->SetEmbeded(true);
    TKXStreamWriter w2;
    none->SaveToStream(w2);
    EXPECT_FALSE(none->Embeded());
}

// Mended: undo records and the copy stream wrote an embedded picture without its bytes, so
// undoing its deletion or pasting it lost the picture.
TEST_F(ImageElement, UndoAndCopyKeepAnEmbeddedPicture)
{
    const QByteArray jpg = zt::Encode(zt::TwoColourImage(32, 16), "JPG");
    const QString path = File("photo.jpg", jpg);
    TKXImage *im = Image(path, {100, 100, 2100, 1100});
    im->SetEmbeded(true);
    QFile::remove(path); // only the element holds the picture now

    // The copy stream: the element's record read back into another label.
    TKXStreamWriter copy;
    im->SaveToStream(copy);
    TKXCustomLab other;
    other.SetUIServices(&ui);
    TKXStreamReader cr(copy.Bytes());
    auto *pasted = dynamic_cast<TKXImage *>(TKXElementFactory::ReadElement(cr, other));
    ASSERT_NE(pasted, nullptr);
    EXPECT_TRUE(pasted->Valid());
    EXPECT_EQ(pasted->Picture().Bytes(), jpg);

    // Deleted and brought back by undo.
    const uint64_t serial = im->Serial();
    lab.SetUnReIni(1);
    ASSERT_TRUE(lab.RemoveElement(im, false, true));
    lab.UndoRedo(TKXURAction::urUndo);
    auto *back = dynamic_cast<TKXImage *>(lab.ElementBySerial(serial));
    ASSERT_NE(back, nullptr);
    EXPECT_TRUE(back->Valid());
    EXPECT_EQ(back->Picture().Bytes(), jpg);
    // A property step undone keeps it too.
    back->SetGrayScale(true);
    lab.UndoRedo(TKXURAction::urUndo);
    EXPECT_FALSE(back->GrayScale());
    EXPECT_EQ(back->Picture().Bytes(), jpg);
    EXPECT_TRUE(ui.Messages.empty());
}

TEST_F(ImageElement, MovedPictureIsFoundThroughTheRelativePath)
{
    // A folder under the program's folder holds the picture; the stored absolute path is
    // gone.
    QTemporaryDir local(TKXImage::ProgramFolder() + "/zt-image-XXXXXX");
    ASSERT_TRUE(local.isValid());
    ASSERT_TRUE(zt::WriteFile(local.filePath("logo.png"), zt::Encode(zt::TwoColourImage(12, 6), "PNG")));
    const QString rel = QDir(TKXImage::ProgramFolder()).relativeFilePath(local.filePath("logo.png"));
    zt::ComposedLabel l;
    l.ExtraElementBytes = ImageRecord(2811, "/nowhere/old-install/logo.png", rel.toStdU16String(), 0, 0, 0, {});
    l.ExtraElementCount = 1;
    const zt::Bytes file = zt::ComposeLabel(l);
    TKXCustomLab doc;
    doc.SetUIServices(&ui);
    TKXStreamReader r(file);
    doc.LoadFromStream(r, false);
    auto *im = dynamic_cast<TKXImage *>(doc.GetElement(1));
    ASSERT_NE(im, nullptr);
    EXPECT_TRUE(im->Valid());
    EXPECT_EQ(im->Picture().PixelSize(), QSize(12, 6));
    EXPECT_EQ(QFileInfo(im->FileImage()).canonicalFilePath(), QFileInfo(local.filePath("logo.png")).canonicalFilePath());
    EXPECT_EQ(im->Relative(), rel);
    EXPECT_TRUE(ui.Messages.empty());
}

// Reading labels for the open dialog's file preview shows no message box for a picture
// that is not there; opening the label tells it once.
TEST_F(ImageElement, MissingPictureIsNotReportedWhileReadingAFilePreview)
{
    zt::ComposedLabel l;
    const zt::Bytes one = ImageRecord(2811, "/nowhere/gone.png", u"", 0, 0, 0, {});
    l.ExtraElementBytes = one;
    l.ExtraElementBytes.insert(l.ExtraElementBytes.end(), one.begin(), one.end());
    l.ExtraElementCount = 2;
    const zt::Bytes file = zt::ComposeLabel(l);
    for (bool preview : {true, false}) {
        ui.Messages.clear();
        TKXCustomLab doc;
        doc.SetUIServices(&ui);
        TKXStreamReader r(file);
        doc.LoadFromStream(r, preview);
        EXPECT_EQ(doc.ElementCount(), 2);
        EXPECT_EQ(ui.Messages, preview ? std::vector<QString>{}
                                       : std::vector<QString>{"INVALID FILE : /nowhere/gone.png"});
    }
}

} // namespace
