// What an undo that touches layouts must give back: every element's record and serial front to
// back, every element's cell, the (first) layout's identifier and its members in their order,
// and the label file.
#pragma once

#include "core/KXTypes.h"

#include <cstdint>
#include <ostream>
#include <vector>

namespace kx {
class TKXCustomLab;
}

namespace zt {

struct LayoutSnapshot {
    std::vector<kx::TBytesArray> Records;
    std::vector<uint64_t> Serials;
    std::vector<std::vector<int32_t>> Cells; // IDLayout, column, row
    int32_t LayoutID = 0;
    std::vector<uint64_t> Members;
    kx::TBytesArray File;
    bool operator==(const LayoutSnapshot &) const = default;
};

LayoutSnapshot TakeLayoutSnapshot(kx::TKXCustomLab &Lab);
// Readable failures: the cells, the identifier and the members in full, the records and the
// file by size.
void PrintTo(const LayoutSnapshot &S, std::ostream *Os);

} // namespace zt
