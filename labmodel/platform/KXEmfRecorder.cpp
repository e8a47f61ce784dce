#include "platform/KXEmfRecorder.h"

#include "core/KXError.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <libEMF/emf.h>
// The Windows headers' macros of these names hide the standard algorithms.
#undef min
#undef max

namespace kx {

struct TKXEmfRecorder::TState {
    FILE *File = nullptr;
    HDC Dc = 0;
    bool Failed = false; // a drawing call was refused; Finish reports it
    std::string Failure;

    void Check(bool Ok, const char *What)
    {
        if (!Ok && !Failed) {
            Failed = true;
            Failure = What;
        }
    }
};

namespace {

// Picks a created object, draws, and puts the stock objects back before it is deleted.
class TSelected {
public:
    TSelected(HDC Dc, HGDIOBJ Object, int Stock) : FDc(Dc), FObject(Object), FStock(Stock)
    {
        if (FObject != 0)
            SelectObject(FDc, FObject);
    }
    ~TSelected()
    {
        if (FObject == 0)
            return;
        SelectObject(FDc, GetStockObject(FStock));
        DeleteObject(FObject);
    }
    bool Valid() const { return FObject != 0; }

private:
    HDC FDc;
    HGDIOBJ FObject;
    int FStock;
};

std::vector<POINT> ToPoints(const std::vector<TKXEmfRecorder::TPt> &Points)
{
    std::vector<POINT> out(Points.size());
    for (size_t i = 0; i < Points.size(); ++i)
        out[i] = POINT{LONG(Points[i].x), LONG(Points[i].y)};
    return out;
}

} // namespace

TKXEmfRecorder::TKXEmfRecorder(int32_t Width, int32_t Height, const std::string &Description)
    : F(std::make_unique<TState>())
{
    errno = 0;
    F->File = std::tmpfile();
    if (!F->File)
        throw EKxError(std::string("Cannot make a temporary file for the metafile: ") + std::strerror(errno));
    const RECT frame{0, 0, LONG(Width), LONG(Height)};
    // The description: two texts, each ended by a NUL, then one more NUL.
    std::string description = Description;
    description.push_back('\0');
    description.push_back('\0');
    F->Dc = CreateEnhMetaFileWithFILEA(0, F->File, &frame, description.c_str());
    if (!F->Dc) {
        std::fclose(F->File);
        F->File = nullptr;
        throw EKxError("Cannot start an enhanced metafile");
    }
    // Logical units are the device's pixels (MM_TEXT); Finish declares a reference device of
    // a hundred pixels a millimetre, so they are hundredths of a millimetre. Readers then
    // scale coordinates, pen widths and font sizes alike.
    SetBkMode(F->Dc, TRANSPARENT);
}

TKXEmfRecorder::~TKXEmfRecorder()
{
    if (F->Dc) {
        if (HENHMETAFILE mf = CloseEnhMetaFileWithFILE(F->Dc))
            DeleteEnhMetaFile(mf);
    }
    if (F->File)
        std::fclose(F->File);
}

namespace {

// The path's records between BeginPath and EndPath; false when one is refused.
bool RecordPath(HDC Dc, const std::vector<TKXEmfRecorder::TPathStep> &Path)
{
    bool ok = BeginPath(Dc) != 0;
    for (const TKXEmfRecorder::TPathStep &s : Path) {
        switch (s.Kind) {
        case TKXEmfRecorder::TPathStep::Move: ok = ok && MoveToEx(Dc, s.P[0].x, s.P[0].y, nullptr) != 0; break;
        case TKXEmfRecorder::TPathStep::Line: ok = ok && LineTo(Dc, s.P[0].x, s.P[0].y) != 0; break;
        case TKXEmfRecorder::TPathStep::Bezier: {
            const POINT pts[3] = {{LONG(s.P[0].x), LONG(s.P[0].y)},
                                  {LONG(s.P[1].x), LONG(s.P[1].y)},
                                  {LONG(s.P[2].x), LONG(s.P[2].y)}};
            ok = ok && PolyBezierTo(Dc, pts, 3) != 0;
            break;
        }
        case TKXEmfRecorder::TPathStep::Close: ok = ok && CloseFigure(Dc) != 0; break;
        }
    }
    return EndPath(Dc) != 0 && ok;
}

} // namespace

void TKXEmfRecorder::FillPath(const std::vector<TPathStep> &Path, uint32_t Colour, bool Winding)
{
    if (Path.empty())
        return;
    TSelected brush(F->Dc, CreateSolidBrush(COLORREF(Colour)), WHITE_BRUSH);
    F->Check(brush.Valid(), "brush");
    SelectObject(F->Dc, GetStockObject(NULL_PEN));
    SetPolyFillMode(F->Dc, Winding ? WINDING : ALTERNATE);
    F->Check(RecordPath(F->Dc, Path), "path");
    F->Check(::FillPath(F->Dc) != 0, "filled path");
    SelectObject(F->Dc, GetStockObject(BLACK_PEN));
}

void TKXEmfRecorder::StrokePath(const std::vector<TPathStep> &Path, const TPenSpec &Pen)
{
    if (Path.empty())
        return;
    static const DWORD styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    static const DWORD caps[] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT};
    static const DWORD joins[] = {PS_JOIN_ROUND, PS_JOIN_BEVEL, PS_JOIN_MITER};
    LOGBRUSH lb{BS_SOLID, COLORREF(Pen.Colour), 0};
    const DWORD style = PS_GEOMETRIC | styles[std::clamp(Pen.Style, 0, 4)] | caps[std::clamp(Pen.Cap, 0, 2)] |
                        joins[std::clamp(Pen.Join, 0, 2)];
    TSelected pen(F->Dc, ExtCreatePen(style, DWORD(std::max(1, Pen.Width)), &lb, 0, nullptr), BLACK_PEN);
    F->Check(pen.Valid(), "pen");
    F->Check(RecordPath(F->Dc, Path), "path");
    F->Check(::StrokePath(F->Dc) != 0, "stroked path");
}

void TKXEmfRecorder::FillPolygons(const std::vector<TPt> &Points, const std::vector<int32_t> &Counts,
                                  uint32_t Colour, bool Winding)
{
    if (Points.empty() || Counts.empty())
        return;
    const std::vector<POINT> pts = ToPoints(Points);
    const std::vector<INT> counts(Counts.begin(), Counts.end());
    TSelected brush(F->Dc, CreateSolidBrush(COLORREF(Colour)), WHITE_BRUSH);
    F->Check(brush.Valid(), "brush");
    SelectObject(F->Dc, GetStockObject(NULL_PEN));
    SetPolyFillMode(F->Dc, Winding ? WINDING : ALTERNATE);
    F->Check(PolyPolygon(F->Dc, pts.data(), counts.data(), UINT(counts.size())) != 0, "polygons");
    SelectObject(F->Dc, GetStockObject(BLACK_PEN));
}

void TKXEmfRecorder::StrokePolyline(const std::vector<TPt> &Points, bool Closed, const TPenSpec &Pen)
{
    if (Points.size() < 2)
        return;
    static const DWORD styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT};
    static const DWORD caps[] = {PS_ENDCAP_ROUND, PS_ENDCAP_SQUARE, PS_ENDCAP_FLAT};
    static const DWORD joins[] = {PS_JOIN_ROUND, PS_JOIN_BEVEL, PS_JOIN_MITER};
    LOGBRUSH lb{BS_SOLID, COLORREF(Pen.Colour), 0};
    const DWORD style = PS_GEOMETRIC | styles[std::clamp(Pen.Style, 0, 4)] | caps[std::clamp(Pen.Cap, 0, 2)] |
                        joins[std::clamp(Pen.Join, 0, 2)];
    TSelected pen(F->Dc, ExtCreatePen(style, DWORD(std::max(1, Pen.Width)), &lb, 0, nullptr), BLACK_PEN);
    F->Check(pen.Valid(), "pen");
    const std::vector<POINT> pts = ToPoints(Points);
    if (Closed) {
        SelectObject(F->Dc, GetStockObject(NULL_BRUSH));
        F->Check(Polygon(F->Dc, pts.data(), INT(pts.size())) != 0, "outline");
        SelectObject(F->Dc, GetStockObject(WHITE_BRUSH));
    } else {
        F->Check(Polyline(F->Dc, pts.data(), INT(pts.size())) != 0, "line");
    }
}

void TKXEmfRecorder::Text(int32_t X, int32_t Y, const std::u16string &Text, const std::vector<int32_t> &Dx,
                          const TFontSpec &Font)
{
    if (Text.empty())
        return;
    LOGFONTW lf;
    std::memset(&lf, 0, sizeof lf);
    lf.lfHeight = -std::max(1, Font.EmHeight);
    lf.lfWidth = Font.Width;
    lf.lfEscapement = Font.Escapement;
    lf.lfOrientation = Font.Escapement;
    lf.lfWeight = Font.Bold ? FW_BOLD : FW_NORMAL;
    lf.lfItalic = Font.Italic;
    lf.lfUnderline = Font.Underline;
    lf.lfStrikeOut = Font.StrikeOut;
    lf.lfCharSet = DEFAULT_CHARSET;
    lf.lfOutPrecision = OUT_TT_PRECIS;
    lf.lfQuality = ANTIALIASED_QUALITY;
    const size_t n = std::min<size_t>(Font.Name.size(), LF_FACESIZE - 1);
    for (size_t i = 0; i < n; ++i)
        lf.lfFaceName[i] = WCHAR(Font.Name[i]);
    TSelected font(F->Dc, CreateFontIndirectW(&lf), SYSTEM_FONT);
    F->Check(font.Valid(), "font");
    SetTextColor(F->Dc, COLORREF(Font.Colour));
    SetTextAlign(F->Dc, TA_BASELINE | TA_LEFT | TA_NOUPDATECP);
    std::vector<WCHAR> text(Text.begin(), Text.end());
    std::vector<INT> dx(Dx.begin(), Dx.end());
    dx.resize(text.size(), 0);
    F->Check(ExtTextOutW(F->Dc, X, Y, 0, nullptr, text.data(), UINT(text.size()), dx.data()) != 0, "text");
}

void TKXEmfRecorder::Image(int32_t X, int32_t Y, int32_t Width, int32_t Height, int32_t SourceWidth,
                           int32_t SourceHeight, const std::vector<uint8_t> &Bits)
{
    if (SourceWidth <= 0 || SourceHeight <= 0 || Width <= 0 || Height <= 0)
        return;
    BITMAPINFO bmi;
    std::memset(&bmi, 0, sizeof bmi);
    bmi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    bmi.bmiHeader.biWidth = SourceWidth;
    bmi.bmiHeader.biHeight = SourceHeight; // bottom-up rows
    bmi.bmiHeader.biPlanes = 1;
    bmi.bmiHeader.biBitCount = 24;
    bmi.bmiHeader.biCompression = BI_RGB;
    bmi.bmiHeader.biSizeImage = DWORD(Bits.size());
    F->Check(StretchDIBits(F->Dc, X, Y, Width, Height, 0, 0, SourceWidth, SourceHeight, Bits.data(), &bmi,
                           DIB_RGB_COLORS, SRCCOPY) != GDI_ERROR,
             "picture");
}

std::string TKXEmfRecorder::Finish()
{
    if (!F->Dc)
        throw EKxError("The enhanced metafile was closed already");
    HENHMETAFILE mf = CloseEnhMetaFileWithFILE(F->Dc);
    F->Dc = 0;
    if (!mf)
        throw EKxError("Cannot complete the enhanced metafile");
    DeleteEnhMetaFile(mf);
    if (F->Failed)
        throw EKxError("Cannot record the enhanced metafile (" + F->Failure + ")");
    std::string bytes;
    errno = 0;
    const long n = std::ftell(F->File);
    if (n <= 0)
        throw EKxError(std::string("Cannot read the enhanced metafile back: ") + std::strerror(errno));
    std::rewind(F->File);
    bytes.resize(size_t(n));
    if (std::fread(bytes.data(), 1, bytes.size(), F->File) != bytes.size())
        throw EKxError(std::string("Cannot read the enhanced metafile back: ") + std::strerror(errno));
    // The header's bounds and reference device: szlDevice (pixels) at 72, szlMillimeters at 80 and, in
    // a header of 108 bytes or more, szlMicrometers at 100. libEMF describes a screen; the
    // records are in hundredths of a millimetre, so the device has 100 pixels a millimetre.
    auto le32 = [&bytes](size_t At) {
        return uint32_t(uint8_t(bytes[At])) | uint32_t(uint8_t(bytes[At + 1])) << 8 |
               uint32_t(uint8_t(bytes[At + 2])) << 16 | uint32_t(uint8_t(bytes[At + 3])) << 24;
    };
    auto put32 = [&bytes](size_t At, uint32_t V) {
        for (int i = 0; i < 4; ++i)
            bytes[At + i] = char((V >> (8 * i)) & 0xFF);
    };
    if (bytes.size() < 88 || le32(0) != 1)
        throw EKxError("The enhanced metafile has no header");
    const uint32_t headerSize = le32(4);
    // rclBounds (device pixels, at 8) is the frame (hundredths of a millimetre, at 24) now.
    for (size_t i = 0; i < 4; ++i)
        put32(8 + 4 * i, le32(24 + 4 * i));
    const uint32_t mmX = std::max<uint32_t>(1, le32(80)), mmY = std::max<uint32_t>(1, le32(84));
    put32(72, mmX * 100);
    put32(76, mmY * 100);
    if (headerSize >= 108 && bytes.size() >= 108) {
        put32(100, mmX * 1000);
        put32(104, mmY * 1000);
    }
    return bytes;
}

} // namespace kx
