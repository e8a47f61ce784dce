#include "PictureFixtures.h"

#include <algorithm>

#include <QBuffer>
#include <QFile>
#include <QPainter>

#include <cstdint>
#include <string>
#include <vector>

// The libEMF part lives in its own file: its Windows-style headers do not mix with Qt's.
std::string ZtWriteTwoColourEmf();

namespace zt {

QImage TwoColourImage(int w, int h, QColor Left, QColor Right)
{
    QImage image(w, h, QImage::Format_RGB32);
    QPainter p(&image);
    p.fillRect(0, 0, w / 2, h, Left);
    p.fillRect(w / 2, 0, w - w / 2, h, Right);
    return image;
}

QByteArray Encode(const QImage &Image, const char *Format, int Quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    Image.save(&buffer, Format, Quality);
    return bytes;
}

QByteArray TwoColourEmf()
{
    const std::string b = ZtWriteTwoColourEmf();
    return QByteArray(b.data(), qsizetype(b.size()));
}

namespace {

struct Words {
    QByteArray B;
    Words &U16(int v)
    {
        B.append(char(v & 0xFF));
        B.append(char((v >> 8) & 0xFF));
        return *this;
    }
    Words &U32(uint32_t v) { return U16(int(v & 0xFFFF)).U16(int(v >> 16)); }
    // One record: its size in 16-bit words, the function number, the parameters.
    Words &Record(int Function, std::vector<int> Params)
    {
        U32(uint32_t(3 + Params.size()));
        U16(Function);
        for (int p : Params)
            U16(p);
        return *this;
    }
};

} // namespace

QByteArray TwoColourWmf()
{
    // Placeable header: key, handle, box (0, 0, 200, 100), 100 units per inch, reserved,
    // then the checksum: the XOR of the ten words before it.
    Words head;
    head.U32(0x9AC6CDD7u).U16(0).U16(0).U16(0).U16(200).U16(100).U16(100).U32(0);
    uint16_t sum = 0;
    for (int i = 0; i < 20; i += 2)
        sum ^= uint16_t(uint8_t(head.B[i]) | (uint8_t(head.B[i + 1]) << 8));
    head.U16(sum);

    Words rec;
    rec.Record(0x020B, {0, 0});                    // SetWindowOrg (y, x)
    rec.Record(0x020C, {100, 200});                // SetWindowExt (y, x)
    rec.Record(0x02FA, {5, 0, 0, 0, 0});           // CreatePenIndirect: null pen -> object 0
    rec.Record(0x012D, {0});                       // SelectObject 0
    rec.Record(0x02FC, {0, 0x00FF, 0x0000, 0});    // CreateBrushIndirect: solid red -> 1
    rec.Record(0x012D, {1});
    rec.Record(0x041B, {100, 100, 0, 0});          // Rectangle (bottom, right, top, left)
    rec.Record(0x01F0, {1});                       // DeleteObject 1
    rec.Record(0x02FC, {0, 0x0000, 0x00FF, 0});    // solid blue -> 1
    rec.Record(0x012D, {1});
    rec.Record(0x041B, {100, 200, 0, 100});
    rec.Record(0x0000, {});                        // end of file

    Words meta; // the metafile header: type, header words, version, size, objects, largest record
    meta.U16(1).U16(9).U16(0x0300).U32(uint32_t((18 + rec.B.size()) / 2)).U16(2).U32(8).U16(0);
    return head.B + meta.B + rec.B;
}

QByteArray TwoColourWmfWith(const QByteArray &Record)
{
    QByteArray wmf = TwoColourWmf();
    wmf.insert(wmf.size() - 6, Record);
    // At 22 + 6 the metafile's size in words, at 22 + 10 its object slots (room for the
    // record's own object), at 22 + 12 its largest record's size.
    wmf[22 + 10] = 8;
    const uint32_t words = uint32_t((wmf.size() - 22) / 2);
    const uint32_t largest = std::max<uint32_t>(8, uint32_t(Record.size() / 2));
    for (int i = 0; i < 4; ++i) {
        wmf[22 + 6 + i] = char((words >> (8 * i)) & 0xFF);
        wmf[22 + 12 + i] = char((largest >> (8 * i)) & 0xFF);
    }
    return wmf;
}

bool WriteFile(const QString &File, const QByteArray &Bytes)
{
    QFile f(File);
    return f.open(QIODevice::WriteOnly) && f.write(Bytes) == Bytes.size();
}

} // namespace zt
