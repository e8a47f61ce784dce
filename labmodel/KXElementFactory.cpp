#include "KXElementFactory.h"

#include "KXBaseLab.h"
#include "KXStream.h"
#include "KXText.h"

#include <array>
#include <string>

namespace kx {

namespace {

using TTable = std::array<TKXElementFactory::TCreator, EnumCount<TKXEle>()>;

// The element kinds of the library add their line here as they are built.
template <class T>
TKXElementFactory::TCreator Creator()
{
    return [](TKXCustomLab &Lab, uint64_t Serial) -> TKXElement * { return Lab.NewElement<T>(Serial); };
}

void RegisterBuiltInKinds(TTable &t)
{
    t[Ord(TKXEle::deText)] = Creator<TKXText>();
    t[Ord(TKXEle::deAddText)] = Creator<TKXAddText>();
    t[Ord(TKXEle::deAskText)] = Creator<TKXAskText>();
}

TTable &Table()
{
    static TTable table = [] {
        TTable t;
        RegisterBuiltInKinds(t);
        return t;
    }();
    return table;
}

} // namespace

void TKXElementFactory::RegisterKind(TKXEle Kind, TCreator Creator)
{
    Table()[Ord(Kind)] = std::move(Creator);
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
    TKXElement *element = kind ? Create(*kind, Lab, Serial) : nullptr;
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
