// The one element factory: label files, undo records and the editor's copy stream all
// create elements from their type byte through it.
//
// Each element kind registers a creator for its TKXEle code (RegisterKind), the library's
// own kinds from the one list in elements/ (RegisterElementKinds). A creator makes the element on a document
// through TKXCustomLab::NewElement, so the new element is appended to the document's list
// (the bottom of the z-order); ReadElement creates it without a name, its record names it.
//
// The factory is process-wide: a kind registers once, and a test that stands in for a kind
// does so through TKXFactoryOverride, which puts the previous creator back when it ends.
#pragma once

#include "core/KXTypes.h"

#include <cstdint>
#include <functional>
#include <utility>
#include <vector>

namespace kx {

class TKXCustomLab;
class TKXElement;
class TKXStreamReader;

class TKXElementFactory {
public:
    // Creates an element of the kind on the document; Serial as for NewElement.
    using TCreator = std::function<TKXElement *(TKXCustomLab &Lab, uint64_t Serial)>;

    // Registers the creator of a kind that has none yet; a second registration of a kind
    // raises EKxError (replacing one is TKXFactoryOverride's).
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

// Replaces the creators of kinds for its lifetime (a test standing in for a kind, or for
// one not built yet); the previous creators, or none, are back when it ends.
class TKXFactoryOverride {
public:
    TKXFactoryOverride() = default;
    TKXFactoryOverride(TKXEle Kind, TKXElementFactory::TCreator Creator) { Set(Kind, std::move(Creator)); }
    ~TKXFactoryOverride();
    TKXFactoryOverride(const TKXFactoryOverride &) = delete;
    TKXFactoryOverride &operator=(const TKXFactoryOverride &) = delete;

    // Kind's creator from now on (the first Set of a kind remembers what it replaces).
    void Set(TKXEle Kind, TKXElementFactory::TCreator Creator);
    // The same with a creator of T through NewElement.
    template <class T>
    void Set(TKXEle Kind)
    {
        Set(Kind, TKXElementFactory::CreatorOf<T>());
    }

private:
    std::vector<std::pair<TKXEle, TKXElementFactory::TCreator>> FSaved; // in order of Set
};

// Registers every element kind of the library (defined in elements/KXElementKinds.cpp, the
// one list of kinds). The factory calls it once, before its first look-up.
void RegisterElementKinds();

} // namespace kx
