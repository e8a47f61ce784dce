// How GoogleTest shows the model's small records in failure messages.
#pragma once

#include "core/KXTypes.h"

#include <ostream>

namespace kx {

inline void PrintTo(const TPoint &p, std::ostream *os)
{
    *os << "(" << p.x << ", " << p.y << ")";
}

inline void PrintTo(const TRect &r, std::ostream *os)
{
    *os << "(" << r.Left << ", " << r.Top << ", " << r.Right << ", " << r.Bottom << ")";
}

} // namespace kx
