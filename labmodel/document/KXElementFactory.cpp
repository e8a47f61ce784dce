#include "document/KXElementFactory.h"

#include "document/KXBaseLab.h"
#include "stream/KXStream.h"

#include <algorithm>
#include <array>
#include <string>

namespace kx {

namespace {

using TTable = std::array<TKXElementFactory::TCreator, EnumCount<TKXEle>()>;

// The creators as registered so far.
TTable &Slots()
{
    static TTable table;
    return table;
}

// The creators, with the library's kinds registered from their one list (elements/)
// before the first look-up.
TTable &Table()
{
    static bool registered = false;
    if (!registered) {
        registered = true; // RegisterKind comes back here while the list registers
        RegisterElementKinds();
    }
    return Slots();
}

} // namespace

void TKXElementFactory::RegisterKind(TKXEle Kind, TCreator Creator)
{
    Table(); // the built-in kinds first
    TCreator &slot = Slots()[Ord(Kind)];
    if (slot)
        throw EKxError("element kind " + std::to_string(Ord(Kind)) + " is registered twice");
    slot = std::move(Creator);
}

TKXFactoryOverride::~TKXFactoryOverride()
{
    for (auto it = FSaved.rbegin(); it != FSaved.rend(); ++it)
        Slots()[Ord(it->first)] = std::move(it->second);
}

void TKXFactoryOverride::Set(TKXEle Kind, TKXElementFactory::TCreator Creator)
{
    TKXElementFactory::TCreator &slot = Table()[Ord(Kind)];
    const bool seen = std::any_of(FSaved.begin(), FSaved.end(), [Kind](const auto &s) { return s.first == Kind; });
    if (!seen)
        FSaved.emplace_back(Kind, slot);
    slot = std::move(Creator);
}

bool TKXElementFactory::IsRegistered(TKXEle Kind)
{
    return Ord(Kind) < Table().size() && bool(Table()[Ord(Kind)]);
}

TKXElement *TKXElementFactory::Create(TKXEle Kind, TKXCustomLab &Lab, uint64_t Serial)
{
    if (Kind == TKXEle::dePoint || Kind == TKXEle::deColRowLay || !IsRegistered(Kind))
        return nullptr;
    return Table()[Ord(Kind)](Lab, Serial);
}

TKXElement *TKXElementFactory::ReadElement(TKXStreamReader &Stream, TKXCustomLab &Lab, uint64_t Serial)
{
    const size_t at = Stream.Position();
    const uint8_t code = Stream.ReadUInt8();
    const auto kind = EnumFromOrdinal<TKXEle>(code);
    TKXElement *element = nullptr;
    if (kind) {
        TKXUnnamedElements unnamed(Lab); // the record names it
        element = Create(*kind, Lab, Serial);
    }
    if (!element)
        throw EKxStreamError("element type " + std::to_string(code) + " unknown at offset " +
                             std::to_string(at));
    try {
        element->LoadFromStream(Stream);
    } catch (...) {
        Lab.RemoveElement(element, false, false);
        throw;
    }
    return element;
}

} // namespace kx
