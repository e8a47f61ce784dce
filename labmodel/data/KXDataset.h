// The dataset seam: what the label document needs of a table of records to bind labels to
// data (field texts, repetition counts, table elements, print and preview runs).
//
// TKXDataSet is a forward cursor over records with typed fields. The base class owns the
// semantics every source shares: the current record, the end-of-data flag, record numbers,
// moving by n, the filter (parsed and evaluated here, in C++, for every source), following
// a master dataset's current record, and the bound-controls switch. A source (the in-memory
// test dataset, SQLite tables, external files) only opens, describes its fields, and hands
// over records one after another through the protected Do* operations.
//
// Datasets are QObjects so that a data module can own them as children, find them by
// component name (objectName) and so that holders can forget one when it is destroyed
// (QPointer, or the destroyed signal). The classes use no moc, so qobject_cast and
// findChildren<TKXDataSet *> do not tell them apart from other objects: use DataSetsOf.
//
// Values: strings are QString; integer kinds qint64; float, currency and BCD double;
// booleans bool; date, time and date-time kinds a double day number (whole days since
// 1899-12-30, the time of day as the fraction; the number FormatDateTime takes); blob kinds
// QByteArray. An invalid QVariant is a null value.
#pragma once

#include "core/KXTypes.h"

#include <QByteArray>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

namespace kx {

class TKXDataSet;
class TKXFilterExpression;

// Field kinds. Listed in the order of the platform's field-type codes, so that a stored
// field-kind code (the field items of an external file keep one) reads back as a type.
KX_ENUM(TKXFieldType, ftUnknown, ftString, ftSmallint, ftInteger, ftWord, ftBoolean, ftFloat,
        ftCurrency, ftBCD, ftDate, ftTime, ftDateTime, ftBytes, ftVarBytes, ftAutoInc, ftBlob,
        ftMemo, ftGraphic, ftFmtMemo, ftParadoxOle, ftDBaseOle, ftTypedBinary, ftCursor,
        ftFixedChar, ftWideString, ftLargeint, ftADT, ftArray, ftReference, ftDataSet, ftOraBlob,
        ftOraClob, ftVariant, ftInterface, ftIDispatch, ftGuid, ftTimeStamp, ftFMTBcd,
        ftFixedWideChar, ftWideMemo, ftOraTimeStamp, ftOraInterval, ftLongWord, ftShortint,
        ftByte, ftExtended, ftConnection, ftParams, ftStream, ftTimeStampOffset, ftObject,
        ftSingle)

// Kinds by what their values are.
bool IsIntegerFieldType(TKXFieldType T);  // smallint, integer, word, autoinc, largeint, longword, shortint, byte
bool IsFloatFieldType(TKXFieldType T);    // float, currency, BCD, FMTBcd, extended, single
bool IsDateTimeFieldType(TKXFieldType T); // date, time, date-time, timestamp, Oracle timestamp
bool IsStringFieldType(TKXFieldType T);   // string, fixed char, wide string, fixed wide char, GUID
bool IsMemoFieldType(TKXFieldType T);     // memo, formatted memo, wide memo, Oracle CLOB
bool IsBinaryFieldType(TKXFieldType T);   // bytes, varbytes, blob, graphic, OLE, typed binary, Oracle BLOB, stream

// Names of datasets and fields are equal when they are equal after folding the ASCII
// letters a to z onto A to Z, and nothing else (accented letters must match exactly).
bool SameName(const QString &A, const QString &B);

// The datasets an owner (a data module) holds as direct children, in the order they were
// added.
std::vector<TKXDataSet *> DataSetsOf(const QObject &Owner);

// Reads an ISO date, date-time or time of day ("2024-03-01", "2024-03-01 18:05:09.5", also
// with a 'T', "18:05[:09]") as a day number; false for anything else. For sources that keep
// dates as text.
bool IsoTextToDayNumber(const QString &Text, double &DayNumber);

// ---------------------------------------------------------------------------------------
// Fields

// The description a source gives of one field.
struct TKXFieldDef {
    QString Name;
    TKXFieldType DataType = TKXFieldType::ftUnknown;
    int Size = 0; // declared length of a string field; 0 when none
};

// One field of a dataset; reads the dataset's current record. Owned by its dataset, valid
// until the dataset's field list changes (a source that reopens with other columns).
class TKXField {
public:
    TKXField(TKXDataSet &DataSet, int Index, const TKXFieldDef &Def);
    TKXField(const TKXField &) = delete;
    TKXField &operator=(const TKXField &) = delete;

    // --- Properties ----------------------------------------------------------------------
    TKXDataSet &DataSet() const { return FDataSet; }
    int Index() const { return FIndex; }
    const QString &FieldName() const { return FDef.Name; }
    TKXFieldType DataType() const { return FDef.DataType; }
    int Size() const { return FDef.Size; }
    // The caption shown to the user; the field's name unless a label was set.
    QString DisplayLabel() const { return FDisplayLabel.isEmpty() ? FDef.Name : FDisplayLabel; }
    void SetDisplayLabel(const QString &Label) { FDisplayLabel = Label; }

    // --- Values of the current record ------------------------------------------------------
    // Reading a value of a closed dataset raises EKxError; with no current record (an empty
    // dataset) every field is null.
    bool IsNull() const;
    QVariant Value() const;
    // The value as text: integers in decimal, floats in the general 15-digit format, dates
    // as the short date, times as the long time, date-times as "c", booleans "True"/"False",
    // blobs byte for byte; null gives "".
    QString AsString() const;
    // Integer conversions: floats round half away from zero, booleans give 1/0, texts must
    // hold a decimal integer; null gives 0. A value that does not convert, or that does not
    // fit, raises EKxError.
    int64_t AsLargeInt() const;
    int32_t AsInteger() const;
    bool TryAsLargeInt(int64_t &Value) const; // false instead of raising
    // Null gives 0; texts must hold a number ('.' or the default decimal separator).
    double AsFloat() const;
    double AsCurrency() const { return AsFloat(); }
    // Numbers are true when not 0; texts True/False, T/F, Yes/No, Y/N, 1/0 in any case.
    bool AsBoolean() const;
    // The day number; texts must hold an ISO date ("2024-03-01", "2024-03-01 18:05:09").
    double AsDateTime() const;
    QByteArray AsBytes() const;

private:
    friend class TKXDataSet;
    TKXDataSet &FDataSet;
    int FIndex;
    TKXFieldDef FDef;
    QString FDisplayLabel;
};

// ---------------------------------------------------------------------------------------
// Datasets

class TKXDataSet : public QObject {
public:
    // --- Lifecycle ---------------------------------------------------------------------
    explicit TKXDataSet(const QString &Name = {}, QObject *Parent = nullptr);
    ~TKXDataSet() override;

    // The component name: what labels store and the document looks datasets up by.
    QString Name() const { return objectName(); }
    void SetName(const QString &Name) { setObjectName(Name); }

    // --- Fields ------------------------------------------------------------------------
    int FieldCount() const { return int(FFields.size()); }
    TKXField &Fields(int Index) const; // 0-based; EKxError when out of range
    TKXField *FindField(const QString &FieldName) const; // ignoring ASCII case; none: nullptr
    // EKxError "Field 'X' not found" when there is no such field.
    TKXField &FieldByName(const QString &FieldName) const;

    // --- Opening -------------------------------------------------------------------------
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    // Opens the source and goes to the first record; an error of the source (missing file or
    // table, a filter that does not parse) raises EKxError and leaves the dataset closed.
    void Open();
    void Close();

    // --- Filter --------------------------------------------------------------------------
    // A filter expression over the fields, evaluated record by record:
    //   comparisons  FIELD = 'text'  FIELD >= 3.5  [FIELD NAME] <> 0  FIELD IS [NOT] NULL
    //   with = <> != < > <= >=, joined by AND, OR, NOT and parentheses (AND binds first).
    // Field names ignore ASCII case; texts compare exactly, a text ending in '*' compared
    // with = or <> matches by prefix; numbers, booleans and day numbers compare as numbers.
    // The filter applies while Filtered is on and the text is not empty; switching it on or
    // changing the text of an open dataset goes to the first matching record, and a text
    // that does not parse raises EKxError (Filtered then stays as it was).
    const QString &Filter() const { return FFilter; }
    void SetFilter(const QString &Text);
    bool Filtered() const { return FFiltered; }
    void SetFiltered(bool Value);

    // --- Navigation ----------------------------------------------------------------------
    // All of these raise EKxError on a closed dataset.
    // Records of the dataset (those the filter and the master link let through).
    int RecordCount();
    void First();
    // At the last record Next sets Eof and stays on that record, whose values stay readable.
    void Next();
    // Moves by Count records (negative: back) and answers how many it moved; stops at the
    // first or last record, with Eof set when it ran out going forward.
    int MoveBy(int Count);
    bool Eof();
    // 1-based number of the current record among those let through; 0 when there is none.
    int RecNo();

    // --- Bound controls ------------------------------------------------------------------
    // Nesting switch: controls stay off until every DisableControls has its EnableControls.
    // While off, OnDataChange is not raised; switching back on raises it once.
    void DisableControls();
    void EnableControls();
    bool ControlsDisabled() const { return FDisableCount > 0; }
    std::function<void(TKXDataSet &Sender)> OnDataChange;

    // --- Master-detail ---------------------------------------------------------------------
    // This dataset shows only the records whose DetailFields equal the MasterFields of the
    // master's current record (pairwise; a null master value matches nothing), and goes to
    // its first record whenever the master's current record changes. A master of nullptr
    // removes the link. Field names are resolved when records are read (EKxError when
    // missing). The master is not owned and may be destroyed first.
    void SetMasterLink(TKXDataSet *Master, const QStringList &MasterFields,
                       const QStringList &DetailFields);
    TKXDataSet *MasterSource() const { return FMaster.data(); }

protected:
    using TKXRecord = std::vector<QVariant>;

    // A link condition for the source: the field at FieldIndex must equal Value.
    struct TKXLinkCondition {
        int FieldIndex;
        QVariant Value;
    };

    // --- For sources ---------------------------------------------------------------------
    // Sets the field list. Fields whose name, type and size are unchanged at the same
    // position keep their objects (and display labels).
    void SetFieldDefs(const std::vector<TKXFieldDef> &Defs);

    // Makes the records readable and sets the field list (when it depends on the source).
    virtual void DoOpen() = 0;
    virtual void DoClose() = 0;
    // Fetches the first record (under the current link conditions) into Row, one value per
    // field; false when there is none.
    virtual bool DoFetchFirst(TKXRecord &Row) = 0;
    // Fetches the record after the last one fetched; false at the end.
    virtual bool DoFetchNext(TKXRecord &Row) = 0;
    // Fetches up to Count records after the last one fetched, leaving the last of them in
    // Row; answers how many there were. A source that can pass over records without reading
    // them does so (moving far ahead, a print preview's page seek); the default reads each.
    virtual int64_t DoFetchAhead(int64_t Count, TKXRecord &Row);
    // Number of records under the current link conditions, without the filter.
    virtual int64_t DoRecordCount() = 0;
    // Raised after the filter text or switch changed (for sources that track it).
    virtual void DoFilterChanged() {}

    // The link conditions of the master's current record; empty without a master.
    const std::vector<TKXLinkCondition> &LinkConditions() const { return FLink; }
    // Whether Value satisfies a link condition's Wanted value (null never matches; numbers
    // compare as numbers, everything else exactly).
    static bool LinkValueMatches(const QVariant &Value, const QVariant &Wanted);

private:
    friend class TKXField;
    QVariant CurrentValue(int Index);
    void CheckActive() const;
    void SyncWithMaster();
    void FetchFirst();
    bool FetchNext();
    bool Accepts(const TKXRecord &Row) const;
    void CompileFilter(const QString &Text, bool On);
    void RecordChanged();
    std::vector<TKXLinkCondition> ResolveLink();

    std::vector<std::unique_ptr<TKXField>> FFields;
    bool FActive = false;

    TKXRecord FCurrent;  // the current record; meaningful when FHasRecord
    TKXRecord FScratch;  // the record being fetched
    bool FHasRecord = false;
    bool FEof = true;
    int FRecNo = 0;      // 1-based, 0 without a current record
    uint64_t FRecordSerial = 0; // changes whenever the current record does (details follow it)

    QString FFilter;
    bool FFiltered = false;
    std::unique_ptr<TKXFilterExpression> FFilterExpr; // set while the filter applies

    int FDisableCount = 0;

    QPointer<TKXDataSet> FMaster;
    QStringList FMasterFields, FDetailFields;
    std::vector<TKXLinkCondition> FLink;
    uint64_t FLinkSerial = 0;  // the master's record serial the link was taken from
    bool FLinkValid = false;
};

} // namespace kx
