// The one element factory: label files, undo records and the editor's copy stream all
// create elements from their type byte through it.
//
// Each element kind registers a creator for its TKXEle code (RegisterKind), the library's
// own kinds from the one list in elements/ (RegisterElementKinds). A creator makes the element on a document
// through TKXCustomLab::NewElement, so the new element is appended to the document's list
// (the bottom of the z-order) and named like any other.
#pragma once

#include "core/KXTypes.h"

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

    // A creator that makes a T on the document through NewElement.
    template <class T>
    static TCreator CreatorOf()
    {
        // Generic, so the document's header is needed only where a kind registers.
        return [](auto &Lab, uint64_t Serial) -> TKXElement * { return Lab.template NewElement<T>(Serial); };
    }
};

// Registers every element kind of the library (defined in elements/KXElementKinds.cpp, the
// one list of kinds). The factory calls it once, before its first look-up.
void RegisterElementKinds();

} // namespace kx
