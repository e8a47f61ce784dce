// Published properties: what the property inspector lists, reads and writes.
//
// Each element class has a hand-written table of the properties it publishes, base class
// first and in publish order, and a class record (TKXClassInfo) that names the class and its
// parent, so the class a mixed selection shares is found by walking the chain. An entry
// carries the name, the kind of value it holds (TKXPropKind), the type name the inspector shows
// ("Single", "TColor", "Boolean", "AnsiString", "WideString", "Integer", or the name of an
// enumeration), the enumeration's value names where it has them, and a getter and setter that
// go through the element's real getters and setters, so a change made by the inspector runs
// the same undo, notification and modified steps as any other.
//
// Values travel as QVariant: Single as float (in the document's units), Integer as int,
// TColor as uint, Boolean as bool, texts as QString, enumerations as their ordinal (int).
//
// An entry belongs to its class: given an element of another class it reads an invalid
// QVariant and writes nothing. A multi-selection of several kinds that share a property
// name goes through each element's own table (GetPublishedProp, SetPublishedProp).
#pragma once

#include "core/KXTypes.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <type_traits>
#include <utility>
#include <vector>

namespace kx {

class TKXElement;

// The kind of value a property holds, declared with each entry (never worked out from its
// type name). The inspector lists the first five kinds; sets, objects and events are
// published for the files and dialogs only. Booleans are enumerations (type name
// "Boolean"), colours integers (type name "TColor").
enum class TKXPropKind : uint8_t {
    pkInteger,     // int; QVariant int (TColor: uint)
    pkChar,        // one character; QVariant one-character QString
    pkEnumeration, // ordinal as int; Boolean as bool
    pkFloat,       // float in the document's units
    pkString,      // 8-bit and wide texts alike; QString
    pkSet,
    pkClass,
    pkMethod,
};

// The kind of a getter's value type.
template <typename V>
constexpr TKXPropKind PropKindOf()
{
    if constexpr (std::is_same_v<V, bool> || std::is_enum_v<V>)
        return TKXPropKind::pkEnumeration;
    else if constexpr (std::is_same_v<V, char16_t> || std::is_same_v<V, char> || std::is_same_v<V, QChar>)
        return TKXPropKind::pkChar;
    else if constexpr (std::is_integral_v<V>)
        return TKXPropKind::pkInteger;
    else if constexpr (std::is_floating_point_v<V>)
        return TKXPropKind::pkFloat;
    else if constexpr (std::is_same_v<V, QString>)
        return TKXPropKind::pkString;
    else
        static_assert(std::is_same_v<V, bool>, "a published property needs a value kind");
}

struct TKXPropInfo {
    QString Name;
    QString TypeName;
    TKXPropKind Kind = TKXPropKind::pkClass; // entries made by hand name their kind
    QStringList EnumNames; // empty unless the type is an enumeration
    std::function<QVariant(const TKXElement &)> Get;
    std::function<void(TKXElement &, const QVariant &)> Set; // empty for read-only entries

    bool IsEnum() const { return !EnumNames.isEmpty(); }
};

class TKXPropTable {
public:
    void Add(TKXPropInfo Info) { FItems.push_back(std::move(Info)); }
    int Count() const { return int(FItems.size()); }
    const TKXPropInfo &operator[](int i) const { return FItems[size_t(i)]; }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }
    // By name, without regard to case (the inspector's rule); null when not published.
    const TKXPropInfo *Find(const QString &Name) const
    {
        for (const auto &p : FItems)
            if (p.Name.compare(Name, Qt::CaseInsensitive) == 0)
                return &p;
        return nullptr;
    }
    QStringList Names() const
    {
        QStringList n;
        for (const auto &p : FItems)
            n << p.Name;
        return n;
    }

private:
    std::vector<TKXPropInfo> FItems;
};

// One class of the chain of element classes that publish properties: its name, its parent
// (null for TKXElement) and its table (the parent's entries first). Each element class
// answers its own through TKXElement::ClassType().
class TKXClassInfo {
public:
    TKXClassInfo(QString Name, const TKXClassInfo *Parent, const TKXPropTable &Props)
        : FName(std::move(Name)), FParent(Parent), FProps(&Props)
    {
    }
    const QString &ClassName() const { return FName; }
    const TKXClassInfo *ClassParent() const { return FParent; }
    const TKXPropTable &Props() const { return *FProps; }
    // True when this class is Other or descends from it.
    bool InheritsFrom(const TKXClassInfo &Other) const
    {
        for (const TKXClassInfo *c = this; c; c = c->FParent)
            if (c == &Other)
                return true;
        return false;
    }

private:
    QString FName;
    const TKXClassInfo *FParent;
    const TKXPropTable *FProps;
};

// The published table of one class level, built once from that level's AddPublished
// (which adds its parent's entries first). A level's Published() returns
// PublishedTable<&AddPublished>().
template <void (*Add)(TKXPropTable &)>
const TKXPropTable &PublishedTable()
{
    static const TKXPropTable t = [] { TKXPropTable p; Add(p); return p; }();
    return t;
}

// The class record of one level: its name, its parent's record and the table that the
// level's AddPublished builds. A level's ClassInfo() returns
// PublishedClass<&AddPublished>("TKXText", &TKXShadowDataText::ClassInfo()).
template <void (*Add)(TKXPropTable &)>
const TKXClassInfo &PublishedClass(const char *Name, const TKXClassInfo *Parent)
{
    static const TKXClassInfo c(QString::fromLatin1(Name), Parent, PublishedTable<Add>());
    return c;
}

namespace detail {

template <typename E>
QStringList EnumNameList()
{
    QStringList names;
    for (auto n : EnumInfo<E>::Names)
        names << QString::fromLatin1(n.data(), qsizetype(n.size()));
    return names;
}

} // namespace detail

// An entry for a property of class C with getter `G get() const` and setter `set(S)`.
// Enumerations are exposed by ordinal and carry their name table.
template <class C, class G, class S>
TKXPropInfo PublishProp(const QString &Name, const QString &TypeName, G (C::*get)() const,
                        void (C::*set)(S))
{
    using V = std::decay_t<S>;
    TKXPropInfo info;
    info.Name = Name;
    info.Kind = PropKindOf<std::decay_t<G>>();
    if constexpr (std::is_enum_v<V>) {
        info.TypeName = QString::fromLatin1(EnumInfo<V>::TypeName.data(),
                                            qsizetype(EnumInfo<V>::TypeName.size()));
        info.EnumNames = detail::EnumNameList<V>();
        info.Get = [get](const TKXElement &e) {
            const C *c = dynamic_cast<const C *>(&e);
            return c ? QVariant(int(Ord((c->*get)()))) : QVariant();
        };
        info.Set = [set](TKXElement &e, const QVariant &v) {
            if (C *c = dynamic_cast<C *>(&e))
                if (auto value = EnumFromOrdinal<V>(v.toInt()))
                    (c->*set)(*value);
        };
    } else {
        info.TypeName = TypeName;
        info.Get = [get](const TKXElement &e) {
            const C *c = dynamic_cast<const C *>(&e);
            return c ? QVariant::fromValue((c->*get)()) : QVariant();
        };
        info.Set = [set](TKXElement &e, const QVariant &v) {
            if (C *c = dynamic_cast<C *>(&e))
                (c->*set)(v.value<V>());
        };
    }
    return info;
}

// The element's own entry for the property Name (found ignoring case), read or written:
// invalid / false when its class does not publish it or the entry is read-only.
QVariant GetPublishedProp(const TKXElement &Element, const QString &Name);
bool SetPublishedProp(TKXElement &Element, const QString &Name, const QVariant &Value);

} // namespace kx
