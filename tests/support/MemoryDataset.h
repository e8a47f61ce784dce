// An in-memory dataset for tests: typed columns, rows of values, and a record of how the
// code under test used it (opens, filter switches, bound controls).
#pragma once

#include "data/KXDataset.h"

#include <QVariantList>

#include <vector>

class MemoryDataset : public kx::TKXDataSet {
public:
    explicit MemoryDataset(const QString &Name = {}, QObject *Parent = nullptr);

    // Columns first, then rows; a row holds one value per column (QVariant() is null; dates
    // are day numbers as doubles). Missing trailing values are null.
    kx::TKXField &AddColumn(const QString &Name, kx::TKXFieldType Type, int Size = 0);
    void AddRow(const QVariantList &Values);
    int RowCount() const { return int(FRows.size()); }

    // --- What the code under test did --------------------------------------------------------
    int OpenCount = 0;             // DoOpen calls
    std::vector<bool> FilterLog;   // Filtered() after each change of filter text or switch
    // Opening fails with EKxError("cannot open <name>") while this is set.
    bool FailOpen = false;

protected:
    void DoOpen() override;
    void DoClose() override {}
    bool DoFetchFirst(TKXRecord &Row) override;
    bool DoFetchNext(TKXRecord &Row) override;
    int64_t DoRecordCount() override;
    void DoFilterChanged() override { FilterLog.push_back(Filtered()); }

private:
    bool Linked(const TKXRecord &Row) const;
    bool FetchFrom(size_t From, TKXRecord &Row);

    std::vector<kx::TKXFieldDef> FDefs;
    std::vector<TKXRecord> FRows;
    size_t FPos = 0; // index of the row last fetched
};
