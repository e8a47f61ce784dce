// The catalogue of bindable datasets a label document keeps (its `Datasets`): for each
// dataset the registered name, the caption shown to the user and, optionally, catalogue
// fields with their own captions, for the master and for its detail dataset. Elements store
// real field names; the document maps them to and from these captions. The alias catalogue
// (`BDEAlias`) is kept for label files and dialogs that still carry it.
//
// Collections own their items; Add answers the new item; Assign copies the other
// collection item by item. Names compare ignoring ASCII case (SameName), captions exactly.
#pragma once

#include "core/KXTypes.h"

#include <QString>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

namespace kx {

class TKXDataSet;
class TKXField;
class TKXStreamReader;
class TKXStreamWriter;

// An owning list of items of one kind, in order.
template <class Item>
class TKXCollection {
public:
    TKXCollection() = default;
    TKXCollection(const TKXCollection &) = delete;
    TKXCollection &operator=(const TKXCollection &) = delete;

    int Count() const { return int(FItems.size()); }
    bool Empty() const { return FItems.empty(); }
    // 0-based; null outside 0 .. Count - 1.
    Item *Items(int Index) const
    {
        return Index >= 0 && Index < Count() ? FItems[size_t(Index)].get() : nullptr;
    }
    Item &Add()
    {
        FItems.push_back(std::make_unique<Item>());
        return *FItems.back();
    }
    void Delete(int Index)
    {
        if (Index >= 0 && Index < Count())
            FItems.erase(FItems.begin() + Index);
    }
    void Clear() { FItems.clear(); }
    // Moves the item at From to To (both 0-based, clamped).
    void Move(int From, int To)
    {
        if (From < 0 || From >= Count())
            return;
        To = std::clamp(To, 0, Count() - 1);
        auto item = std::move(FItems[size_t(From)]);
        FItems.erase(FItems.begin() + From);
        FItems.insert(FItems.begin() + To, std::move(item));
    }
    void Assign(const TKXCollection &Source)
    {
        if (&Source == this)
            return;
        FItems.clear();
        for (const auto &item : Source.FItems)
            Add().Assign(*item);
    }
    auto begin() const { return FItems.begin(); }
    auto end() const { return FItems.end(); }

private:
    std::vector<std::unique_ptr<Item>> FItems;
};

// ---------------------------------------------------------------------------------------
// Field items

// One field of a catalogue dataset.
class TKXFieldItem {
public:
    // The field's name in the dataset. Setting it fills an empty Caption with it.
    const QString &Name() const { return FName; }
    void SetName(const QString &Value);
    // The name shown to the user.
    QString Caption;
    // The field holds a date and time as a floating number.
    bool FloatAsDateTime = false;
    // A field-kind code kept with the label file's external-file block; not interpreted.
    int16_t FieldType = 0;

    // Name or, when empty, the collection's default display name.
    QString DisplayName() const;
    void Assign(const TKXFieldItem &Source);

    // The field record of the label file's external-file block: Name and Caption (wide
    // strings), FloatAsDateTime (UInt8), FieldType (Int16).
    void SaveToStream(TKXStreamWriter &Stream) const;
    void LoadFromStream(TKXStreamReader &Stream);

private:
    QString FName;
};

using TKXFields = TKXCollection<TKXFieldItem>;

// ---------------------------------------------------------------------------------------
// Dataset items

// One bindable dataset.
class TKXDatasetItem {
public:
    // The registered name, possibly qualified by a module name and a point; setting it sets
    // BaseName to the part after the last point.
    const QString &Name() const { return FName; }
    void SetName(const QString &Value);
    // The dataset component's own name (compared with the bound master's name).
    const QString &BaseName() const { return FBaseName; }
    void SetBaseName(const QString &Value) { FBaseName = Value; }
    QString Caption;
    // Catalogue fields of the master; empty: the dataset's own fields are used.
    TKXFields &Fields() { return FFields; }
    const TKXFields &Fields() const { return FFields; }
    void SetFields(const TKXFields &Value) { FFields.Assign(Value); }
    // The detail dataset's registered name; setting it sets DetailBaseName likewise.
    const QString &DetailDataset() const { return FDetailDataset; }
    void SetDetailDataset(const QString &Value);
    const QString &DetailBaseName() const { return FDetailBaseName; }
    void SetDetailBaseName(const QString &Value) { FDetailBaseName = Value; }
    TKXFields &DetailFields() { return FDetailFields; }
    const TKXFields &DetailFields() const { return FDetailFields; }
    void SetDetailFields(const TKXFields &Value) { FDetailFields.Assign(Value); }
    // Kind of external file the dataset comes from; not copied by Assign.
    TKXExtFileType ExtFileType = TKXExtFileType::efNone;

    QString DisplayName() const { return FName; }
    void Assign(const TKXDatasetItem &Source);

private:
    QString FName;
    QString FBaseName;
    TKXFields FFields;
    QString FDetailDataset;
    QString FDetailBaseName;
    TKXFields FDetailFields;
};

using TKXDatasets = TKXCollection<TKXDatasetItem>;

// ---------------------------------------------------------------------------------------
// Alias catalogue

class TKXAliasItem;

class TKXTableItem {
public:
    // Setting it fills an empty Caption.
    const QString &TableName() const { return FTableName; }
    void SetTableName(const QString &Value);
    QString Caption;
    // The AliasName of the alias item whose Tables hold this item (set by that item).
    QString Alias() const;

    QString DisplayName() const { return FTableName; }
    void Assign(const TKXTableItem &Source);

private:
    friend class TKXTables;
    QString FTableName;
    const TKXAliasItem *FAliasItem = nullptr;
};

class TKXTables : public TKXCollection<TKXTableItem> {
public:
    explicit TKXTables(const TKXAliasItem *Owner = nullptr) : FOwner(Owner) {}
    TKXTableItem &Add();
    void Assign(const TKXTables &Source);

private:
    const TKXAliasItem *FOwner;
};

class TKXAliasItem {
public:
    QString AliasName;
    QString Caption;
    TKXTables &Tables() { return FTables; }
    const TKXTables &Tables() const { return FTables; }
    void SetTables(const TKXTables &Value) { FTables.Assign(Value); }

    QString DisplayName() const { return Caption; }
    void Assign(const TKXAliasItem &Source);

private:
    TKXTables FTables{this};
};

using TKXAlias = TKXCollection<TKXAliasItem>;

// ---------------------------------------------------------------------------------------
// The data grid of the label dialog's data preview, as the document fills it.

class TKXDataGrid {
public:
    virtual ~TKXDataGrid() = default;
    virtual void BeginUpdate() = 0;
    virtual void EndUpdate() = 0;
    virtual void ClearColumns() = 0;
    // A column showing Field, titled Title with the title's alignment.
    virtual void AddColumn(TKXField &Field, const QString &Title, TAlignment TitleAlignment) = 0;
};

} // namespace kx
