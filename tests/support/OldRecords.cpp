#include "OldRecords.h"

#include "document/KXBaseLab.h"
#include "stream/KXStreamStr.h"

#include <gtest/gtest.h>

namespace zt {

void WriteOldBase(kx::TKXStreamWriter &w, kx::TKXEle Kind, int32_t Version, const OldBase &Base)
{
    w.WriteUInt8(kx::Ord(Kind));
    // record E
    for (int32_t colour : {0, 0xFFFFFF, 0xFF})
        w.WriteInt32(colour);
    w.WriteUInt8(0);     // pen style
    w.WriteBool(false);  // ShowBorder
    w.WriteBool(true);   // Transparent
    w.WriteBool(true);   // Print
    w.WriteInt32(1);     // pen width
    for (int32_t v : {Base.P1.x, Base.P1.y, Base.P2.x, Base.P2.y})
        w.WriteInt32(v);
    w.WriteInt32(0);     // angle
    w.WriteInt32(0);     // TextD
    if (Version >= 20) {
        w.WriteInt32(0); // margin
        w.WriteUInt8(kx::Ord(kx::TKXEleAlign::eaNone));
    }
    // record D
    kx::WriteAnsiStr(Base.ID.toStdString(), w);
    kx::WriteAnsiStr("Arial", w);
    kx::WriteAnsiStr("", w);
    w.WriteInt32(Base.FontHeight);
    w.WriteBool(false);  // data
    if (Version >= 19)
        w.WriteUInt8(0); // charset
}

void ExpectResavedTheSame(kx::TKXCustomLab &Lab)
{
    kx::TKXStreamWriter w;
    Lab.SaveToStream(w);
    kx::TKXCustomLab again;
    kx::TKXStreamReader r(w.Bytes());
    again.LoadLabStream(r, false);
    kx::TKXStreamWriter w2;
    again.SaveToStream(w2);
    EXPECT_EQ(w2.Bytes(), w.Bytes());
}

} // namespace zt
