// The one element factory: label files, undo records and the editor's copy stream all
// create elements from their type byte through it.
//
// Each element kind registers a creator for its TKXEle code (RegisterKind, usually from
// RegisterBuiltInKinds in the factory's source). A creator makes the element on a document
// through TKXCustomLab::NewElement, so the new element is appended to the document's list
// (the bottom of the z-order) and named like any other.
#pragma once

#include "KXTypes.h"

#include <cstdint>
#include <functional>

namespace kx {

class TKXCustomLab;
class TKXElement;
class TKXStreamReader;

class TKXElementFactory {
public:
    // Creates an element of the kind on the document; Serial as for NewElement.
    using TCreator = std::function<TKXElement *(TKXCustomLab &Lab, uint64_t Serial)>;

    // Registers (or replaces) the creator of a kind.
    static void RegisterKind(TKXEle Kind, TCreator Creator);
    static bool IsRegistered(TKXEle Kind);

    // A new element of the kind, appended to Lab's list; null for a kind without a
    // stand-alone record (dePoint, deColRowLay) or not registered.
    static TKXElement *Create(TKXEle Kind, TKXCustomLab &Lab, uint64_t Serial = 0);

    // Reads one element record: the type byte, then the kind's record. The element is
    // created on Lab and reads at Lab's FileVersion. An unknown type byte or a failed read
    // raises EKxStreamError (the element that failed to read is removed again).
    static TKXElement *ReadElement(TKXStreamReader &Stream, TKXCustomLab &Lab, uint64_t Serial = 0);
};

} // namespace kx
