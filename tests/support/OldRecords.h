// Element records as older label files hold them: the type byte, then record E and record D
// in the layout of a given file version (before version 20 without margin and alignment,
// before version 19 without the character set). The kind's own record follows.
#pragma once

#include "core/KXTypes.h"
#include "stream/KXStream.h"

#include <QString>

namespace kx {
class TKXCustomLab;
}

namespace zt {

struct OldBase {
    kx::TPoint P1{100, 200};
    kx::TPoint P2{-1, -1};
    int32_t FontHeight = 50; // in the units of the version (tenths of a millimetre before 20)
    QString ID = QStringLiteral("T1");
};

// Writes the type byte, record E and record D (colours 0, white and red, solid pen, no
// border, transparent, printed, pen width 1, angle 0, font "Arial", not bound).
void WriteOldBase(kx::TKXStreamWriter &w, kx::TKXEle Kind, int32_t Version, const OldBase &Base = {});

// A label read from an older file, saved at the current version, read back and saved again:
// the second save gives the same bytes as the first (GoogleTest expectation).
void ExpectResavedTheSame(kx::TKXCustomLab &Lab);

} // namespace zt
