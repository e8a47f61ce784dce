#include "elements/KXImage.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "core/KXUtils.h"
#include "document/KXBaseLab.h"
#include "platform/KXCanvas.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <utility>

namespace kx {

namespace {

const QString InvalidFile = QStringLiteral("INVALID FILE : ");
constexpr TColor clMaroon = 0x000080;
constexpr TColor clYellow = 0x00FFFF;
constexpr TColor clGrey = 0x808080;

TRect Ordered(TPoint A, TPoint B)
{
    return {std::min(A.x, B.x), std::min(A.y, B.y), std::max(A.x, B.x), std::max(A.y, B.y)};
}

TRect Offset(const TRect &R, TPoint po)
{
    return {ClampCoord(int64_t(R.Left) + po.x), ClampCoord(int64_t(R.Top) + po.y),
            ClampCoord(int64_t(R.Right) + po.x), ClampCoord(int64_t(R.Bottom) + po.y)};
}

// The angles the prepared picture is turned by; any other stored angle draws unturned.
// The most pixels a turned or grey metafile is prepared with (an A4 page at 300 dpi is
// about 8.7 million).
constexpr double MaxPreparedPixels = 16.0e6;

int32_t QuarterTurn(int32_t Angle)
{
    return (Angle == 90 || Angle == 180 || Angle == 270) ? Angle : 0;
}

bool IsBlobField(TKXFieldType Type)
{
    using F = TKXFieldType;
    switch (Type) {
    case F::ftBlob:
    case F::ftGraphic:
    case F::ftTypedBinary:
    case F::ftOraBlob:
    case F::ftParadoxOle:
    case F::ftDBaseOle:
        return true;
    default:
        return false;
    }
}

} // namespace

// ---------------------------------------------------------------------------------------
// Lifecycle and published properties

TKXImage::TKXImage(TKXCustomLab *AOwner) : TKXData(AOwner)
{
    FSelType = TKXSelType::stRect;
}

TKXImage::~TKXImage() = default;

void TKXImage::AddPublished(TKXPropTable &t)
{
    t.Add(PublishProp("ID", "AnsiString", &TKXElement::ID, &TKXElement::SetID));
    t.Add(PublishProp("X1", "Single", &TKXElement::X1, &TKXElement::SetX1));
    t.Add(PublishProp("Y1", "Single", &TKXElement::Y1, &TKXElement::SetY1));
    t.Add(PublishProp("X2", "Single", &TKXElement::X2, &TKXElement::SetX2));
    t.Add(PublishProp("Y2", "Single", &TKXElement::Y2, &TKXElement::SetY2));
    t.Add(PublishProp("Print", "Boolean", &TKXElement::Print, &TKXElement::SetPrint));
    t.Add(PublishProp("Margin", "Single", &TKXElement::Margin, &TKXElement::SetMargin));
    t.Add(PublishProp("EleAlign", "", &TKXElement::EleAlign, &TKXElement::SetEleAlign));
    t.Add(PublishProp("GrayScale", "Boolean", &TKXImage::GrayScale, &TKXImage::SetGrayScale));
    t.Add(PublishProp("FieldName", "AnsiString", &TKXData::FieldName, &TKXData::SetFieldName));
    t.Add(PublishProp("Data", "Boolean", &TKXData::Data, &TKXData::SetData));
    t.Add(PublishProp("Angle", "Integer", &TKXElement::Angle, &TKXElement::SetAngle));
    t.Add(PublishProp("Aspect", "Boolean", &TKXImage::Aspect, &TKXImage::SetAspect));
    t.Add(PublishProp("AutoSize", "Boolean", &TKXImage::AutoSize, &TKXImage::SetAutoSize));
    t.Add(PublishProp("Embeded", "Boolean", &TKXImage::Embeded, &TKXImage::SetEmbeded));
    t.Add(PublishProp("Locked", "Boolean", &TKXElement::Locked, &TKXElement::SetLocked));
    t.Add(PublishProp("FileImage", "WideString", &TKXImage::FileImage, &TKXImage::SetFileImage));
    t.Add(PublishProp("Width", "Single", &TKXImage::ImageWidth, &TKXImage::SetImageWidth));
    t.Add(PublishProp("Height", "Single", &TKXImage::ImageHeight, &TKXImage::SetImageHeight));
    t.Add(PublishProp("ShowBorder", "Boolean", &TKXElement::ShowBorder, &TKXElement::SetShowBorder));
    t.Add(PublishProp("Color", "TColor", &TKXElement::Color, &TKXElement::SetColor));
    t.Add(PublishProp("PenWidth", "Single", &TKXElement::PenWidth, &TKXElement::SetPenWidth));
}

const TKXPropTable &TKXImage::Published() const
{
    return PublishedTable<&AddPublished>();
}

const TKXClassInfo &TKXImage::ClassInfo()
{
    return PublishedClass<&AddPublished>("TKXImage", &TKXData::ClassInfo());
}

QString TKXImage::ProgramFolder()
{
    return QCoreApplication::instance() ? QCoreApplication::applicationDirPath() : QDir::currentPath();
}

// ---------------------------------------------------------------------------------------
// Setters

void TKXImage::SetFileImage(const QString &Value)
{
    if (FDatabase || Value == FFileImage)
        return;
    RecordUndo();
    FFileImage = Value;
    LoadImage();
    FImgChange = true;
    Changed(QStringLiteral("FileImage"));
    MarkModified();
}

void TKXImage::SetGrayScale(bool Value)
{
    if (SetProp(FGrayScale, Value, QStringLiteral("GrayScale")))
        FImgChange = true;
}

void TKXImage::SetAspect(bool Value)
{
    SetProp(FAspect, Value, QStringLiteral("Aspect"));
}

void TKXImage::SetAutoSize(bool Value)
{
    SetProp(FAutoSize, Value, QStringLiteral("Autosize"));
}

float TKXImage::ImageWidth() const { return ToUnits(std::abs(FP2.x - FP1.x)); }
float TKXImage::ImageHeight() const { return ToUnits(std::abs(FP2.y - FP1.y)); }

void TKXImage::SetImageWidth(float Value)
{
    const int32_t w = ToInternal(Value);
    if (w == std::abs(FP2.x - FP1.x))
        return;
    RecordUndo();
    FP2.x = FP1.x + w;
    FWidth = std::abs(w);
    CoordChanged(QStringLiteral("X2"));
    CoordChanged(QStringLiteral("Width"));
    MarkModified();
}

void TKXImage::SetImageHeight(float Value)
{
    const int32_t h = ToInternal(Value);
    if (h == std::abs(FP2.y - FP1.y))
        return;
    RecordUndo();
    FP2.y = FP1.y + h;
    FHeight = std::abs(h);
    CoordChanged(QStringLiteral("Y2"));
    CoordChanged(QStringLiteral("Height"));
    MarkModified();
}

void TKXImage::SetTransparent(bool Value)
{
    if (Value != FTransparent)
        FImgChange = true;
    TKXElement::SetTransparent(Value);
}

void TKXImage::SetAngle(int32_t Value)
{
    if (Value != FAngle)
        FImgChange = true;
    TKXElement::SetAngle(Value);
}

// ---------------------------------------------------------------------------------------
// Loading pictures

void TKXImage::ForgetKeptBytes()
{
    FKeptBytes.clear();
    FKeptEmbedded = false;
}

void TKXImage::LoadImage()
{
    FImgChange = true;
    ForgetKeptBytes();
    if (FFileImage.isEmpty()) {
        // No picture chosen: nothing to load and nothing to report.
        FPic.Clear();
        FValid = false;
        return;
    }
    if (FPic.LoadFromFile(FFileImage)) {
        FValid = true;
        FRelative = QDir(ProgramFolder()).relativeFilePath(QFileInfo(FFileImage).absoluteFilePath());
        return;
    }
    FValid = false;
    // While a label is read the document decides whether to tell (never for a file preview).
    if (FOwner->Loading())
        FOwner->ReportLoadProblem(InvalidFile + FFileImage);
    else
        FOwner->UIServices().ShowMessage(InvalidFile + FFileImage);
}

bool TKXImage::LoadPictureBytes(const QByteArray &Bytes)
{
    const TKXGraphicClass cls = FindGraphicClass(Bytes);
    FImgChange = true;
    ForgetKeptBytes();
    FValid = cls != TKXGraphicClass::gcNone && FPic.Load(cls, Bytes);
    return FValid;
}

const TKXGraphic *TKXImage::PictureToDraw(TKXDrawType DrawType, TKXFillType fill)
{
    FEmptyText = InvalidFile + FFileImage;
    const bool filled = fill == TKXFillType::ftField || fill == TKXFillType::ftFieldCounter;
    if (!FDatabase || !filled)
        return FValid && !FPic.Empty() ? &FPic : nullptr;
    FEmptyText = FFieldName;
    if (DrawType == TKXDrawType::tdLab || DrawType == TKXDrawType::tdOpenDialog)
        return nullptr;
    // Output: the picture in the bound blob field of the current record. Anything else
    // (no dataset, no such field, a field that holds no blob, a null or empty value, bytes
    // of no known picture class) draws the empty image.
    TKXDataSet *ds = FOwner->DataSet();
    if (!ds)
        return nullptr;
    QByteArray bytes;
    try {
        const TKXField *f = ds->FindField(FFieldName);
        if (!f || !IsBlobField(f->DataType()) || f->IsNull())
            return nullptr;
        bytes = f->AsBytes();
    } catch (const EKxError &) {
        return nullptr;
    }
    const TKXGraphicClass cls = FindGraphicClass(bytes);
    if (cls == TKXGraphicClass::gcNone)
        return nullptr;
    if (FFieldPic.Empty() || FFieldPic.Class() != cls || FFieldPic.Bytes() != bytes) {
        FImgChange = true;
        if (!FFieldPic.Load(cls, bytes))
            return nullptr;
    }
    return &FFieldPic;
}

// ---------------------------------------------------------------------------------------
// Placement

void TKXImage::SetBorder(const TRect &Value)
{
    TKXElement::SetBorder(Value);
    if (TKXCustomEditor *ed = FOwner->Editor()) {
        FP2 = {ed->ScreenToLabelX(Value.Right), ed->ScreenToLabelY(Value.Bottom)};
        UpdateExtent();
    }
}

// ---------------------------------------------------------------------------------------
// Drawing

bool TKXImage::DrawsOn(TKXDrawType DrawType) const
{
    switch (DrawType) {
    case TKXDrawType::tdLab:
        return true;
    case TKXDrawType::tdPrint:
        return FPrint && FOwner->CurrentPrint() == TKXPrintKind::pkDriver;
    case TKXDrawType::tdPreview:
    case TKXDrawType::tdOpenDialog:
        return FPrint;
    }
    return false;
}

void TKXImage::Draw(TKXCanvas &Canvas, TPoint po, TKXDrawType DrawType, TKXFillType fill)
{
    if (!DrawsOn(DrawType))
        return;
    Canvas.SaveState();
    const TKXGraphic *g = PictureToDraw(DrawType, fill);
    TKXCustomEditor *ed = FOwner->Editor();
    if (g && FAutoSize && ed) {
        QSize px = g->PixelSize();
        if (QuarterTurn(FAngle) % 180 != 0)
            px.transpose();
        const int32_t border = FShowBorder ? 2 * FPenWidth : 0;
        FP2 = {ClampCoord(int64_t(FP1.x) + ed->UnzoomedToLabelX(px.width()) + border),
               ClampCoord(int64_t(FP1.y) + ed->UnzoomedToLabelY(px.height()) + border)};
        UpdateExtent();
    }

    TRect r = Offset(Ordered(FP1, FP2), po);
    if (FShowBorder) {
        TKXPen pen;
        pen.Color = FColor;
        pen.Width = FPenWidth;
        pen.InsideFrame = true;
        Canvas.SetPen(pen);
        Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
        Canvas.Rectangle({r.Left, r.Top, ClampCoord(int64_t(r.Right) + 1), ClampCoord(int64_t(r.Bottom) + 1)});
        // The picture lies inside the pen; in 64 bits, as the box may lie at the end of the range.
        const int64_t inset = FPenWidth;
        r = {ClampCoord(r.Left + inset), ClampCoord(r.Top + inset), ClampCoord(r.Right - inset),
             ClampCoord(r.Bottom - inset)};
    }
    if (g)
        PaintPicture(Canvas, *g, r);
    else if (DrawType == TKXDrawType::tdLab && FOwner->MarkEmptyImage())
        PaintEmpty(Canvas, r);

    if (DrawType == TKXDrawType::tdLab) {
        if (FLocked)
            PaintLocked(Canvas, po);
        Frame = Ordered(FP1, FP2);
        if (ed) {
            FBorder = Canvas.LPtoDP(Offset(Frame, po));
            ed->DrawSelectionFrame(GetIsSelected(), FDatabase, FSelType, uint16_t(FAngle), Frame, FBorder,
                                   true);
        }
    }
    Canvas.RestoreState();
}

void TKXImage::PaintPicture(TKXCanvas &Canvas, const TKXGraphic &G, const TRect &Box)
{
    const int32_t angle = QuarterTurn(FAngle);
    QSize px = G.PixelSize();
    if (angle % 180 != 0)
        px.transpose();
    TRect r = Box;
    if (r.Right <= r.Left || r.Bottom <= r.Top || px.isEmpty())
        return;
    if (FAspect) {
        // In 64 bits: a box from a damaged file may span the whole coordinate range. The
        // side kept is rounded as MulDiv rounds (halves away from zero; all terms positive).
        const int64_t w = int64_t(r.Right) - r.Left;
        const int64_t h = std::max<int64_t>(1, int64_t(r.Bottom) - r.Top);
        const int64_t pw = std::max(1, px.width()), ph = std::max(1, px.height());
        auto mulDiv = [](int64_t a, int64_t b, int64_t c) { return (2 * a * b + c) / (2 * c); };
        if (double(w) / double(h) > double(pw) / double(ph)) {
            const int64_t d = (w - mulDiv(h, pw, ph)) / 2;
            r.Left = ClampCoord(r.Left + d);
            r.Right = ClampCoord(r.Right - d);
        } else {
            const int64_t d = (h - mulDiv(w, ph, pw)) / 2;
            r.Top = ClampCoord(r.Top + d);
            r.Bottom = ClampCoord(r.Bottom - d);
        }
    }

    if (G.IsVector() && !FGrayScale) {
        // Vectors stay vectors, turned or not; a metafile's strokes may reach past its frame,
        // the picture keeps to its rectangle.
        Canvas.SaveState();
        Canvas.IntersectClipRect(r);
        Canvas.DrawSvg(r, *G.Svg(), angle);
        Canvas.RestoreState();
        return;
    }
    if (FAngle == 0 && !FGrayScale) {
        Canvas.DrawImage(r, G.RasterFor(FTransparent));
        return;
    }
    // The prepared picture: a raster picture at its own pixel size, a metafile at the size
    // it takes on this target.
    QSize target = px;
    if (G.IsVector()) {
        const TRect d = Canvas.LPtoDP(r);
        double tw = std::max(1.0, std::abs(double(d.Right) - d.Left));
        double th = std::max(1.0, std::abs(double(d.Bottom) - d.Top));
        // A box of a damaged file may cover metres of device pixels: the prepared picture
        // keeps at most MaxPreparedPixels, enlarged by the canvas beyond that.
        const double area = tw * th;
        if (area > MaxPreparedPixels) {
            const double k = std::sqrt(MaxPreparedPixels / area);
            tw = std::max(1.0, tw * k);
            th = std::max(1.0, th * k);
        }
        target = QSize(int(tw), int(th));
    }
    if (FImgChange || FBitComoSource != &G || (G.IsVector() && target != FBitComoTarget)) {
        QImage turned = G.Render(target, angle, FTransparent);
        if (!FTransparent && !turned.isNull()) {
            // Where the picture leaves gaps, the background colour shows.
            QImage back(turned.size(), QImage::Format_ARGB32);
            back.fill(QColor(RedOf(FBackColor), GreenOf(FBackColor), BlueOf(FBackColor)));
            QPainter p(&back);
            p.drawImage(0, 0, turned);
            p.end();
            turned = std::move(back);
        }
        if (FGrayScale)
            MakeGrey(turned);
        FBitComo = std::move(turned);
        FBitComoSource = &G;
        FBitComoTarget = target;
        FImgChange = false;
    }
    Canvas.DrawImage(r, FBitComo);
}

void TKXImage::PaintEmpty(TKXCanvas &Canvas, const TRect &R)
{
    TKXPen pen;
    pen.Color = clGrey;
    pen.Width = 5;
    pen.InsideFrame = true;
    Canvas.SetPen(pen);
    Canvas.SetBrush({clWhite, TKXBrushStyle::bsClear});
    Canvas.Rectangle(R);
    const TRect box{ClampCoord(int64_t(R.Left) + 10), ClampCoord(int64_t(R.Top) + 10),
                    ClampCoord(int64_t(R.Right) - 10), ClampCoord(int64_t(R.Bottom) - 10)};
    if (box.Right <= box.Left || box.Bottom <= box.Top)
        return;
    TKXFont font;
    font.Name = QStringLiteral("Arial");
    font.Height = 350;
    font.Color = clRed;
    Canvas.SetFont(font);
    Canvas.SetTextCharacterExtra(0);
    Canvas.SetBkMode(TKXBkMode::bkTransparent);
    const int32_t tw = Canvas.TextExtent(FEmptyText).cx;
    Canvas.SaveState();
    Canvas.IntersectClipRect(box);
    Canvas.TextOut(ClampCoord(box.Left + (int64_t(box.Right) - box.Left - tw) / 2), box.Top, FEmptyText);
    Canvas.RestoreState();
}

void TKXImage::PaintLocked(TKXCanvas &Canvas, TPoint po)
{
    TKXCustomEditor *ed = FOwner->Editor();
    const int32_t side = ed ? ed->ScreenToLabelX(8) : 0;
    if (side <= 0)
        return;
    const int64_t x = int64_t(FP1.x) + po.x, y = int64_t(FP1.y) + po.y, inset = side / 4;
    auto box = [](int64_t l, int64_t t, int64_t r, int64_t b) {
        return TRect{ClampCoord(l), ClampCoord(t), ClampCoord(r), ClampCoord(b)};
    };
    Canvas.SetBrush({clMaroon, TKXBrushStyle::bsSolid});
    Canvas.FillRect(box(x, y, x + side, y + side));
    Canvas.SetBrush({clYellow, TKXBrushStyle::bsSolid});
    Canvas.FillRect(box(x + inset, y + inset, x + side - inset, y + side - inset));
}

// ---------------------------------------------------------------------------------------
// Record

void TKXImage::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteEnum(TKXEle::deImage);
    TKXData::SaveToStream(Stream);
    WriteWideStr(FFileImage.toStdU16String(), Stream);
    WriteWideStr(FRelative.toStdU16String(), Stream);
    Stream.WriteBool(FAspect);
    Stream.WriteBool(FAutoSize);
    Stream.WriteBool(FGrayScale);
    // Only a present picture can be embedded. Its bytes go into every record, so undo steps
    // and the copy stream keep the picture as well as label files do. Embedded bytes that
    // did not decode when they were read are written back as they were.
    const bool kept = FPic.Empty() && FKeptEmbedded;
    FEmbeded = FEmbeded && (!FPic.Empty() || kept);
    Stream.WriteBool(FEmbeded);
    if (!FEmbeded) {
        Stream.WriteInt32(0);
        return;
    }
    const QByteArray &bytes = kept ? FKeptBytes : FPic.Bytes();
    if (bytes.size() > std::numeric_limits<int32_t>::max())
        throw EKxStreamError("PICTURE TOO LARGE");
    Stream.WriteInt32(int32_t(bytes.size()));
    Stream.WriteBytes({reinterpret_cast<const uint8_t *>(bytes.constData()), size_t(bytes.size())});
}

void TKXImage::LoadFromStream(TKXStreamReader &Stream)
{
    TKXData::LoadFromStream(Stream);
    const int32_t version = FOwner->FileVersion();
    if (version <= 18)
        FFileImage = QString::fromStdU16String(AnsiToWide(ReadAnsiStr(Stream)));
    else
        FFileImage = QString::fromStdU16String(ReadWideStr(Stream));
    if (version >= 20)
        FRelative = QString::fromStdU16String(ReadWideStr(Stream));
    FAspect = Stream.ReadBool();
    FAutoSize = Stream.ReadBool();
    if (version >= 20)
        FGrayScale = Stream.ReadBool();
    bool embedded = false;
    int32_t count = 0;
    if (version >= 2800) {
        embedded = Stream.ReadBool();
        count = Stream.ReadInt32();
    }
    // The stored count is only believed as far as the stream goes.
    if (count < 0 || size_t(count) > Stream.Remaining())
        throw EKxStreamError("PICTURE BYTE COUNT BEYOND THE STREAM");
    FEmbeded = embedded;
    FImgChange = true;
    if (embedded) {
        const TBytesArray raw = Stream.ReadBytes(size_t(count));
        const QByteArray bytes(reinterpret_cast<const char *>(raw.data()), qsizetype(raw.size()));
        if (!LoadPictureBytes(bytes)) {
            // A picture this program cannot show is still the user's: it stays in the label.
            FPic.Clear();
            FKeptBytes = bytes;
            FKeptEmbedded = true;
        }
        return;
    }
    // Not embedded: any bytes are not ours to read.
    Stream.Skip(size_t(count));
    // A moved picture is found through its path relative to the program's folder; when it
    // is not there either, the stored name stays as it was read.
    if (!FFileImage.isEmpty() && !QFileInfo::exists(FFileImage) && !FRelative.isEmpty()) {
        const QString moved = QDir(ProgramFolder()).filePath(FRelative);
        if (QFileInfo::exists(moved))
            FFileImage = moved;
    }
    LoadImage();
}

} // namespace kx
