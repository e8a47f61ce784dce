#include "data/KXDatasets.h"

#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

namespace kx {

namespace {

// "DM.Customers" -> "Customers"; a name without a point stays whole.
QString AfterLastPoint(const QString &S)
{
    const qsizetype dot = S.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? S : S.mid(dot + 1);
}

} // namespace

// ---------------------------------------------------------------------------------------
// TKXFieldItem

void TKXFieldItem::SetName(const QString &Value)
{
    FName = Value;
    if (Caption.isEmpty())
        Caption = Value;
}

QString TKXFieldItem::DisplayName() const
{
    return FName.isEmpty() ? QStringLiteral("TKXFieldItem") : FName;
}

void TKXFieldItem::Assign(const TKXFieldItem &Source)
{
    SetName(Source.FName);
    Caption = Source.Caption;
    FloatAsDateTime = Source.FloatAsDateTime;
    FieldType = Source.FieldType;
}

void TKXFieldItem::SaveToStream(TKXStreamWriter &Stream) const
{
    WriteWideStr(FName.toStdU16String(), Stream);
    WriteWideStr(Caption.toStdU16String(), Stream);
    Stream.WriteBool(FloatAsDateTime);
    Stream.WriteInt16(FieldType);
}

void TKXFieldItem::LoadFromStream(TKXStreamReader &Stream)
{
    const QString name = QString::fromStdU16String(ReadWideStr(Stream));
    const QString caption = QString::fromStdU16String(ReadWideStr(Stream));
    const bool asDate = Stream.ReadBool();
    const int16_t type = Stream.ReadInt16();
    FName = name;
    Caption = caption;
    FloatAsDateTime = asDate;
    FieldType = type;
}

// ---------------------------------------------------------------------------------------
// TKXDatasetItem

void TKXDatasetItem::SetName(const QString &Value)
{
    FName = Value;
    FBaseName = AfterLastPoint(Value);
}

void TKXDatasetItem::SetDetailDataset(const QString &Value)
{
    FDetailDataset = Value;
    FDetailBaseName = AfterLastPoint(Value);
}

void TKXDatasetItem::Assign(const TKXDatasetItem &Source)
{
    if (&Source == this)
        return;
    SetName(Source.FName);
    SetBaseName(Source.FBaseName);
    Caption = Source.Caption;
    FFields.Assign(Source.FFields);
    SetDetailDataset(Source.FDetailDataset);
    SetDetailBaseName(Source.FDetailBaseName);
    FDetailFields.Assign(Source.FDetailFields);
}

// ---------------------------------------------------------------------------------------
// Alias catalogue

void TKXTableItem::SetTableName(const QString &Value)
{
    FTableName = Value;
    if (Caption.isEmpty())
        Caption = Value;
}

QString TKXTableItem::Alias() const
{
    return FAliasItem ? FAliasItem->AliasName : QString();
}

void TKXTableItem::Assign(const TKXTableItem &Source)
{
    SetTableName(Source.FTableName);
    Caption = Source.Caption;
}

TKXTableItem &TKXTables::Add()
{
    TKXTableItem &item = TKXCollection<TKXTableItem>::Add();
    item.FAliasItem = FOwner;
    return item;
}

void TKXTables::Assign(const TKXTables &Source)
{
    if (&Source == this)
        return;
    Clear();
    for (const auto &item : Source)
        Add().Assign(*item);
}

void TKXAliasItem::Assign(const TKXAliasItem &Source)
{
    if (&Source == this)
        return;
    AliasName = Source.AliasName;
    Caption = Source.Caption;
    FTables.Assign(Source.FTables);
}

} // namespace kx
