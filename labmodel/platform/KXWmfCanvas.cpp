#include "platform/KXWmfCanvas.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"

#include <algorithm>
#include <cmath>
#include <string>

namespace kx {

namespace {

// Record functions of the 16-bit metafile format (MS-WMF 2.1.1.1, RecordType).
enum : uint16_t {
    META_EOF = 0x0000,
    META_SAVEDC = 0x001E,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETPOLYFILLMODE = 0x0106,
    META_RESTOREDC = 0x0127,
    META_SELECTOBJECT = 0x012D,
    META_SETTEXTALIGN = 0x012E,
    META_DELETEOBJECT = 0x01F0,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYGON = 0x0324,
    META_POLYLINE = 0x0325,
    META_POLYPOLYGON = 0x0538,
    META_EXTTEXTOUT = 0x0A32,
    META_STRETCHDIB = 0x0F43,
};
// Mapping, background, fill and alignment values (MS-WMF 2.1.1).
constexpr uint16_t MM_ANISOTROPIC = 8, TRANSPARENT = 1, ALTERNATE = 1, WINDING = 2;
constexpr uint16_t TA_BASELINE = 24;
constexpr uint16_t PS_NULL = 5, BS_SOLID = 0, BS_NULL = 1;
constexpr uint32_t SRCCOPY = 0x00CC0020;
constexpr uint32_t PlaceableKey = 0x9AC6CDD7;

int16_t Clamp16(double V) { return int16_t(std::clamp<long>(std::lround(V), -32768, 32767)); }

// One record: its size in 16-bit words, the function and the parameters.
class TRecord {
public:
    explicit TRecord(uint16_t Function) : FFunction(Function) {}
    TRecord &W(uint16_t V)
    {
        FWords.push_back(V);
        return *this;
    }
    TRecord &S(int16_t V) { return W(uint16_t(V)); }
    TRecord &D(uint32_t V) { return W(uint16_t(V & 0xFFFF)).W(uint16_t(V >> 16)); }
    // Bytes, padded to a whole word.
    TRecord &Bytes(const uint8_t *P, size_t N)
    {
        for (size_t i = 0; i < N; i += 2)
            W(uint16_t(P[i] | (i + 1 < N ? P[i + 1] << 8 : 0)));
        return *this;
    }
    uint16_t Function() const { return FFunction; }
    const std::vector<uint16_t> &Words() const { return FWords; }

private:
    uint16_t FFunction;
    std::vector<uint16_t> FWords;
};

class TWmfSink final : public TKXVectorSink {
public:
    TWmfSink(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight)
    {
        // The file's unit: a hundredth of a millimetre times the smallest divisor of 2540
        // that keeps the page's sides within 16 bits.
        for (int d : {1, 2, 4, 5, 10, 20, 40, 50, 100}) {
            FDivisor = d;
            if (std::max(Width, Height) / d <= 32000)
                break;
        }
        FK = double(Width) / DeviceWidth / FDivisor;
        FW = int16_t(Width / FDivisor);
        FH = int16_t(Height / FDivisor);
        Add(TRecord(META_SETMAPMODE).W(MM_ANISOTROPIC));
        Add(TRecord(META_SETWINDOWORG).S(0).S(0));
        Add(TRecord(META_SETWINDOWEXT).S(FH).S(FW));
        Add(TRecord(META_SETBKMODE).W(TRANSPARENT));
        // The white sheet: players that size the picture by what is drawn (libwmf) then
        // show the whole page, not the box around its labels.
        FillPolygons({QPolygonF(QRectF(0, 0, DeviceWidth, DeviceHeight))}, clWhite, false);
    }

    void FillPolygons(const std::vector<QPolygonF> &Polygons, TColor Color, bool Winding) override
    {
        Begin();
        Create(TRecord(META_CREATEBRUSHINDIRECT).W(BS_SOLID).D(Color).W(0));
        Create(TRecord(META_CREATEPENINDIRECT).W(PS_NULL).S(0).S(0).D(0));
        Add(TRecord(META_SETPOLYFILLMODE).W(Winding ? WINDING : ALTERNATE));
        // A count is 16 bits: very long outlines go in more than one record, which draws
        // the same unless they overlap one another.
        size_t i = 0;
        while (i < Polygons.size()) {
            TRecord r(META_POLYPOLYGON);
            std::vector<const QPolygonF *> batch;
            size_t points = 0;
            while (i < Polygons.size() && batch.size() < 8000 &&
                   (batch.empty() || points + size_t(Polygons[i].size()) <= 30000)) {
                batch.push_back(&Polygons[i]);
                points += size_t(std::min<qsizetype>(Polygons[i].size(), 30000));
                ++i;
            }
            r.W(uint16_t(batch.size()));
            for (const QPolygonF *p : batch)
                r.W(uint16_t(std::min<qsizetype>(p->size(), 30000)));
            for (const QPolygonF *p : batch)
                for (qsizetype k = 0; k < std::min<qsizetype>(p->size(), 30000); ++k)
                    Point(r, (*p)[k]);
            Add(r);
        }
        End(2);
    }

    void StrokePolyline(const QPolygonF &Points, bool Closed, const TStroke &Pen) override
    {
        static const uint16_t styles[] = {0, 1, 2, 3, 4};               // solid, dash, dot, dash-dot, dash-dot-dot
        static const uint16_t caps[] = {0x0000, 0x0100, 0x0200};        // round, square, flat
        static const uint16_t joins[] = {0x0000, 0x1000, 0x2000};       // round, bevel, miter
        const uint16_t style = uint16_t(styles[std::clamp(int(Pen.Style), 0, 4)] | caps[std::clamp(int(Pen.Cap), 0, 2)] |
                                        joins[std::clamp(int(Pen.Join), 0, 2)]);
        Begin();
        Create(TRecord(META_CREATEPENINDIRECT).W(style).S(std::max<int16_t>(1, Clamp16(Pen.Width * FK))).S(0).D(Pen.Color));
        Create(TRecord(META_CREATEBRUSHINDIRECT).W(BS_NULL).D(0).W(0));
        for (qsizetype from = 0; from < Points.size(); from += 30000) {
            const qsizetype n = std::min<qsizetype>(Points.size() - from, 30000 + (from + 30000 < Points.size()));
            TRecord r(Closed && Points.size() <= 30000 ? META_POLYGON : META_POLYLINE);
            r.S(int16_t(n));
            for (qsizetype k = 0; k < n; ++k)
                Point(r, Points[from + k]);
            Add(r);
        }
        End(2);
    }

    bool Text(const TKXTextRun &Run) override
    {
        const std::u16string wide = Run.Text.toStdU16String();
        if (!IsAnsiText(wide) || wide.size() > 8000)
            return false;
        const std::string ansi = WideToAnsi(wide);
        std::string face = WideToAnsi(Run.Font.Name.left(31).toStdU16String());
        face.resize(32, '\0');
        Begin();
        TRecord font(META_CREATEFONTINDIRECT);
        font.S(int16_t(-std::max<int16_t>(1, Clamp16(Run.EmHeight * FK))))
            .S(0)
            .S(int16_t(Run.Font.Escapement))
            .S(int16_t(Run.Font.Escapement))
            .S(Run.Font.Bold ? 700 : 400)
            .W(uint16_t(Run.Font.Italic ? 1 : 0) | uint16_t(Run.Font.Underline ? 1 : 0) << 8)
            .W(uint16_t(Run.Font.StrikeOut ? 1 : 0) | uint16_t(0) << 8) // strike-out, ANSI character set
            .W(uint16_t(7) | uint16_t(0) << 8)                          // TrueType precision, default clipping
            .W(uint16_t(4) | uint16_t(0) << 8);                         // antialiased, default pitch
        font.Bytes(reinterpret_cast<const uint8_t *>(face.data()), face.size());
        Create(font);
        Add(TRecord(META_SETTEXTCOLOR).D(Run.Font.Color));
        Add(TRecord(META_SETTEXTALIGN).W(TA_BASELINE));
        TRecord text(META_EXTTEXTOUT);
        text.S(Clamp16(Run.Origin.y() * FK)).S(Clamp16(Run.Origin.x() * FK)).S(int16_t(ansi.size())).W(0);
        text.Bytes(reinterpret_cast<const uint8_t *>(ansi.data()), ansi.size());
        // One advance a byte, from rounded pen positions; a character outside the basic plane
        // is one byte ('?') and its two UTF-16 units' advances go together.
        double at = 0;
        int32_t placed = 0;
        size_t unit = 0;
        for (size_t b = 0; b < ansi.size(); ++b) {
            double a = unit < Run.Advances.size() ? Run.Advances[unit] : 0;
            if (unit + 1 < wide.size() && QChar::isHighSurrogate(wide[unit]) && QChar::isLowSurrogate(wide[unit + 1])) {
                ++unit;
                a += unit < Run.Advances.size() ? Run.Advances[unit] : 0;
            }
            ++unit;
            at += a * FK;
            const int32_t next = int32_t(std::lround(at));
            text.S(int16_t(std::clamp(next - placed, -32768, 32767)));
            placed = next;
        }
        Add(text);
        End(1);
        return true;
    }

    void Image(const QRectF &Dest, const QImage &Picture) override
    {
        if (Picture.width() > 32767 || Picture.height() > 32767)
            throw EKxError("A picture is too large for a 16-bit metafile");
        const std::vector<uint8_t> bits = DibBits24(Picture);
        TRecord r(META_STRETCHDIB);
        const int16_t x = Clamp16(Dest.left() * FK), y = Clamp16(Dest.top() * FK);
        const int16_t w = int16_t(Clamp16(Dest.right() * FK) - x), h = int16_t(Clamp16(Dest.bottom() * FK) - y);
        r.D(SRCCOPY).W(0) // DIB_RGB_COLORS
            .S(int16_t(Picture.height())).S(int16_t(Picture.width())).S(0).S(0)
            .S(h).S(w).S(y).S(x);
        // BITMAPINFOHEADER: 40 bytes, bottom-up rows of 24 bits, no compression.
        r.D(40).D(uint32_t(Picture.width())).D(uint32_t(Picture.height())).W(1).W(24).D(0).D(uint32_t(bits.size()))
            .D(0).D(0).D(0).D(0);
        r.Bytes(bits.data(), bits.size());
        Add(r);
    }

    QByteArray Finish() const
    {
        QByteArray out;
        auto put16 = [&out](uint16_t V) {
            out.append(char(V & 0xFF));
            out.append(char(V >> 8));
        };
        auto put32 = [&put16](uint32_t V) {
            put16(uint16_t(V & 0xFFFF));
            put16(uint16_t(V >> 16));
        };
        // Placeable header (22 bytes).
        put32(PlaceableKey);
        put16(0); // no handle
        put16(0);
        put16(0);
        put16(uint16_t(FW));
        put16(uint16_t(FH));
        put16(uint16_t(2540 / FDivisor)); // units per inch
        put32(0);
        put16(PlaceableChecksum(reinterpret_cast<const uint8_t *>(out.constData())));
        // Metafile header (9 words), then the records and the end record.
        const uint32_t eofWords = 3;
        const uint32_t total = 9 + uint32_t(FBody.size()) + eofWords;
        put16(1);      // in memory
        put16(9);      // header words
        put16(0x0300); // Windows 3.0
        put32(total);
        put16(2);      // objects at most at once: pen and brush, or one font
        put32(std::max(FMaxRecord, eofWords));
        put16(0);
        for (uint16_t w : FBody)
            put16(w);
        put32(eofWords);
        put16(META_EOF);
        return out;
    }

private:
    void Add(const TRecord &R)
    {
        const uint32_t size = 3 + uint32_t(R.Words().size());
        FBody.push_back(uint16_t(size & 0xFFFF));
        FBody.push_back(uint16_t(size >> 16));
        FBody.push_back(R.Function());
        FBody.insert(FBody.end(), R.Words().begin(), R.Words().end());
        FMaxRecord = std::max(FMaxRecord, size);
    }
    void Point(TRecord &R, const QPointF &P) const { R.S(Clamp16(P.x() * FK)).S(Clamp16(P.y() * FK)); }
    // Every primitive saves the context, creates its objects into the lowest free slots
    // (0, then 1) and selects them; End restores the context, which selects the defaults
    // again, and deletes the objects.
    void Begin()
    {
        Add(TRecord(META_SAVEDC));
        FObjects = 0;
    }
    void Create(const TRecord &R)
    {
        Add(R);
        Add(TRecord(META_SELECTOBJECT).W(FObjects));
        ++FObjects;
    }
    void End(uint16_t)
    {
        Add(TRecord(META_RESTOREDC).S(-1));
        for (uint16_t i = 0; i < FObjects; ++i)
            Add(TRecord(META_DELETEOBJECT).W(i));
        FObjects = 0;
    }

    int FDivisor = 1;
    double FK = 1;   // device units to file units
    int16_t FW = 0;  // page in file units
    int16_t FH = 0;
    std::vector<uint16_t> FBody;
    uint32_t FMaxRecord = 0;
    uint16_t FObjects = 0;
};

std::unique_ptr<TKXVectorSink> MakeSink(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight)
{
    if (Width <= 0 || Height <= 0 || DeviceWidth <= 0 || DeviceHeight <= 0)
        throw EKxError("EMPTY METAFILE");
    if (std::max(Width, Height) / 100 > 32000)
        throw EKxError("The page is too large for a 16-bit metafile");
    return std::make_unique<TWmfSink>(Width, Height, DeviceWidth, DeviceHeight);
}

} // namespace

uint16_t PlaceableChecksum(const uint8_t *Header)
{
    uint16_t sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= uint16_t(Header[2 * i] | (Header[2 * i + 1] << 8));
    return sum;
}

TKXWmfCanvas::TKXWmfCanvas(int32_t Width, int32_t Height, int32_t DeviceWidth, int32_t DeviceHeight)
    : TKXVectorCanvas(MakeSink(Width, Height, DeviceWidth, DeviceHeight),
                      TKXMapping::FromExtents(Width, Height, DeviceWidth, DeviceHeight))
{
    SetBounds(QRectF(0, 0, DeviceWidth, DeviceHeight));
}

TKXWmfCanvas::~TKXWmfCanvas() = default;

QByteArray TKXWmfCanvas::Finish() { return static_cast<const TWmfSink &>(Sink()).Finish(); }

} // namespace kx
