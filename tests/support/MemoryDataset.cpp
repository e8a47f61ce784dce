#include "MemoryDataset.h"

#include "core/KXError.h"

MemoryDataset::MemoryDataset(const QString &Name, QObject *Parent) : kx::TKXDataSet(Name, Parent) {}

kx::TKXField &MemoryDataset::AddColumn(const QString &Name, kx::TKXFieldType Type, int Size)
{
    FDefs.push_back({Name, Type, Size});
    SetFieldDefs(FDefs);
    for (TKXRecord &r : FRows)
        r.resize(FDefs.size());
    return Fields(FieldCount() - 1);
}

void MemoryDataset::AddRow(const QVariantList &Values)
{
    TKXRecord r(Values.begin(), Values.end());
    r.resize(FDefs.size());
    FRows.push_back(std::move(r));
}

void MemoryDataset::DoOpen()
{
    if (FailOpen)
        throw kx::EKxError("cannot open " + Name().toStdString());
    ++OpenCount;
}

bool MemoryDataset::Linked(const TKXRecord &Row) const
{
    for (const TKXLinkCondition &c : LinkConditions())
        if (!LinkValueMatches(Row[size_t(c.FieldIndex)], c.Value))
            return false;
    return true;
}

bool MemoryDataset::FetchFrom(size_t From, TKXRecord &Row)
{
    for (FPos = From; FPos < FRows.size(); ++FPos) {
        if (Linked(FRows[FPos])) {
            Row = FRows[FPos];
            return true;
        }
    }
    return false;
}

bool MemoryDataset::DoFetchFirst(TKXRecord &Row)
{
    return FetchFrom(0, Row);
}

bool MemoryDataset::DoFetchNext(TKXRecord &Row)
{
    return FPos < FRows.size() && FetchFrom(FPos + 1, Row);
}

int64_t MemoryDataset::DoRecordCount()
{
    int64_t n = 0;
    for (const TKXRecord &r : FRows)
        n += Linked(r);
    return n;
}
