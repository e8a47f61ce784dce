// The label document's data binding (datasets, catalogue, caption maps, field texts,
// validation) and its counters.
#include "document/KXBaseLab.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "core/KXFormat.h"

#include <algorithm>

namespace kx {

namespace {

QString AfterLastPoint(const QString &S)
{
    const qsizetype dot = S.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? S : S.mid(dot + 1);
}

AnsiString ToAnsi(const QString &S)
{
    return WideToAnsi(S.toStdU16String());
}

// Format patterns travel to the formatter as UTF-8 and come back the same way.
QString FormatNumber(const QString &Pattern, double Value)
{
    return QString::fromStdString(FormatFloat(Pattern.toStdString(), Value));
}

QString FormatInteger(const QString &Pattern, int64_t Value)
{
    return QString::fromStdString(FormatLargeInt(Pattern.toStdString(), Value));
}

QString FormatDate(const QString &Pattern, double DayNumber)
{
    return QString::fromStdString(FormatDateTime(Pattern.toStdString(), DayNumber));
}

// Field kinds that hold binary objects (a picture element binds to these).
bool IsBlobKind(TKXFieldType T)
{
    using F = TKXFieldType;
    return T == F::ftBlob || T == F::ftGraphic || T == F::ftParadoxOle || T == F::ftDBaseOle ||
           T == F::ftTypedBinary || T == F::ftOraBlob;
}

// Field kinds a symbol element can switch on.
bool IsBoolKind(TKXFieldType T)
{
    using F = TKXFieldType;
    return T == F::ftSmallint || T == F::ftInteger || T == F::ftWord || T == F::ftBoolean ||
           T == F::ftLongWord || T == F::ftShortint;
}

// Field kinds the data grid leaves out unless GridNotDrawFields is set.
bool IsGridHiddenKind(TKXFieldType T)
{
    using F = TKXFieldType;
    return T == F::ftBlob || T == F::ftMemo || T == F::ftGraphic || T == F::ftFmtMemo ||
           T == F::ftWideMemo || T == F::ftStream || T == F::ftObject;
}

bool PassesFieldFilter(TKXFieldType T, bool OnlyBlob, bool OnlyBool, bool RemoveBlob)
{
    if (OnlyBool)
        return IsBoolKind(T);
    if (OnlyBlob)
        return IsBlobKind(T);
    if (RemoveBlob)
        return !IsBlobKind(T);
    return true;
}

const QString NoCaption = QStringLiteral("-");

} // namespace

// ---------------------------------------------------------------------------------------
// Settings

void TKXCustomLab::SetLinkData(bool Value)
{
    if (Value == FDaBa)
        return;
    FDaBa = Value;
    if (!Value)
        FVaDa = false;
}

void TKXCustomLab::SetDataAccessType(TKXDataAccessType Value)
{
    if (Value == FDataAccessType)
        return;
    if (Value == TKXDataAccessType::daBDEAlias) {
        UIServices().ShowMessage(QStringLiteral("64-bit Platform don't let BDE"));
        FDataAccessType = TKXDataAccessType::daNone;
        return;
    }
    FDataAccessType = Value;
}

void TKXCustomLab::SetExtFileType(TKXExtFileType Value)
{
    if (Value == FExtFileType)
        return;
    FExtFileType = Value;
    FModified = true;
}

void TKXCustomLab::SetExtSeparator(TKXExtSeparator Value)
{
    if (Value == FExtSeparator)
        return;
    FExtSeparator = Value;
    FModified = true;
}

void TKXCustomLab::SetExtFileName(const QString &Value)
{
    if (Value == FExtFileName)
        return;
    FExtFileName = Value;
    FModified = true;
}

void TKXCustomLab::SetExtTableName(const QString &Value)
{
    if (Value == FExtTableName)
        return;
    FExtTableName = Value;
    FModified = true;
}

void TKXCustomLab::SetExtTableDisplay(const QString &Value)
{
    if (Value == FExtTableDisplay)
        return;
    FExtTableDisplay = Value;
    FModified = true;
}

void TKXCustomLab::SetApplicationModules(const std::vector<QObject *> &Modules)
{
    FAppModules.assign(Modules.begin(), Modules.end());
}

// ---------------------------------------------------------------------------------------
// Binding datasets

void TKXCustomLab::SetDataSet(TKXDataSet *Value)
{
    FDataSet = Value;
    if (!Value) {
        FDatasetName.clear();
        return;
    }
    FDatasetName = Value->Name();
    if (OnAssignedDataSet)
        OnAssignedDataSet(this, ToAnsi(FDatasetName));
}

void TKXCustomLab::SetDetail(TKXDataSet *Value)
{
    FDetail = Value;
    FDetailName = Value ? Value->Name() : QString();
}

bool TKXCustomLab::FindDataset(const QString &dsName, bool dot, bool isDetail)
{
    if (dsName.isEmpty())
        return false;
    auto bind = [&](TKXDataSet *ds) {
        if (isDetail)
            SetDetail(ds);
        else
            SetDataSet(ds);
    };
    if (QObject *module = FDatMod.data()) {
        for (TKXDataSet *ds : DataSetsOf(*module))
            if (SameName(ds->Name(), dsName)) {
                bind(ds);
                return true;
            }
        return false;
    }
    // Every module is searched; a match in a later module binds again, so the last
    // matching module wins.
    bool found = false;
    for (const QPointer<QObject> &module : FAppModules) {
        if (!module)
            continue;
        for (TKXDataSet *ds : DataSetsOf(*module)) {
            const QString name = dot ? module->objectName() + QLatin1Char('.') + ds->Name() : ds->Name();
            if (SameName(name, dsName)) {
                bind(ds);
                found = true;
                break;
            }
        }
    }
    return found;
}

// ---------------------------------------------------------------------------------------
// Catalogue

TKXDatasetItem *TKXCustomLab::ActiveItem() const
{
    if (!FDataSet)
        return nullptr;
    for (const auto &item : FDatasets)
        if (SameName(item->BaseName(), FDataSet->Name()))
            return item.get();
    return nullptr;
}

TKXDatasetItem *TKXCustomLab::ActiveDetailItem() const
{
    if (!FDetail)
        return nullptr;
    for (const auto &item : FDatasets)
        if (SameName(item->DetailBaseName(), FDetail->Name()))
            return item.get();
    return nullptr;
}

int TKXCustomLab::GetDatasetIndex(const QString &Name) const
{
    const QString base = AfterLastPoint(Name);
    for (int i = 0; i < FDatasets.Count(); ++i)
        if (SameName(FDatasets.Items(i)->BaseName(), base))
            return i;
    return -1;
}

QString TKXCustomLab::GetTableName(const QString &Cap, int &TbIdx) const
{
    TbIdx = -1;
    if (FDatasets.Empty())
        return Cap;
    for (int i = 0; i < FDatasets.Count(); ++i)
        if (SameName(FDatasets.Items(i)->Caption, Cap)) {
            TbIdx = i;
            return FDatasets.Items(i)->BaseName();
        }
    return {};
}

void TKXCustomLab::AssignDetail(const QString &Cap)
{
    for (const auto &item : FDatasets)
        if (SameName(item->Caption, Cap)) {
            if (!item->DetailBaseName().isEmpty())
                FindDataset(item->DetailBaseName(), false, true);
            return;
        }
}

void TKXCustomLab::AssignDetailBaseName(const QString &Name)
{
    const QString base = AfterLastPoint(Name);
    for (const auto &item : FDatasets)
        if (SameName(item->BaseName(), base)) {
            if (!item->DetailBaseName().isEmpty())
                FindDataset(item->DetailBaseName(), false, true);
            return;
        }
}

void TKXCustomLab::PutExtDataAsFirstDataSet()
{
    if (FDatasets.Count() > 1)
        FDatasets.Move(FDatasets.Count() - 1, 0);
}

int TKXCustomLab::GetDatasets(QStringList &List)
{
    if (FDatasets.Empty()) {
        if (!FDataSet)
            return -1;
        List << FDataSet->Name();
        return 0;
    }
    for (const auto &item : FDatasets)
        List << item->Caption;
    if (FDataSet)
        return GetDatasetIndex(FDataSet->Name());
    const TKXDatasetItem &first = *FDatasets.Items(0);
    if (!FindDataset(first.BaseName(), false, false))
        return -1;
    if (!FDetail)
        FindDataset(first.DetailBaseName(), false, true);
    return 0;
}

QString TKXCustomLab::GetActiveDatasetCaption() const
{
    if (!FDaBa)
        return {};
    if (FDatasets.Empty())
        return FDataSet ? FDataSet->Name() : QString();
    const TKXDatasetItem *item = ActiveItem();
    return item ? item->Caption : QString();
}

// ---------------------------------------------------------------------------------------
// Caption and field-name maps

void TKXCustomLab::CaptionToFieldName(const QString &Caption, bool &FloatAsDateTime,
                                      QString &FieldName, bool &IsCounter) const
{
    FloatAsDateTime = false;
    IsCounter = false;
    FieldName.clear();
    if (FindCounter(Caption)) {
        FieldName = Caption;
        IsCounter = true;
        return;
    }
    switch (FDataAccessType) {
    case TKXDataAccessType::daBDEAlias:
        FieldName = Caption;
        return;
    case TKXDataAccessType::daNone:
        return;
    case TKXDataAccessType::daDataSet:
        break;
    }
    if (FDatasets.Empty()) {
        FieldName = Caption;
        return;
    }
    const TKXDatasetItem *item = ActiveItem();
    if (!item)
        return;
    if (item->Fields().Empty()) {
        FieldName = Caption;
        return;
    }
    // Captions are what the user sees: matched exactly.
    for (const auto &f : item->Fields())
        if (f->Caption == Caption) {
            FieldName = f->Name();
            FloatAsDateTime = f->FloatAsDateTime;
            return;
        }
}

QString TKXCustomLab::FieldNameToCaption(const QString &FieldName, bool &FloatAsDateTime,
                                         bool IsCounter) const
{
    FloatAsDateTime = false;
    if (IsCounter)
        return FieldName;
    if (!FDataSet || !FDaBa || FDataAccessType == TKXDataAccessType::daNone)
        return NoCaption;
    if (FDataAccessType == TKXDataAccessType::daBDEAlias) {
        const TKXField *f = FDataSet->FindField(FieldName);
        return f ? f->DisplayLabel() : NoCaption;
    }
    if (FDatasets.Empty())
        return FieldName;
    const TKXDatasetItem *item = ActiveItem();
    if (!item)
        return NoCaption;
    if (item->Fields().Empty())
        return FieldName;
    for (const auto &f : item->Fields())
        if (SameName(f->Name(), FieldName)) {
            FloatAsDateTime = f->FloatAsDateTime;
            return f->Caption;
        }
    return NoCaption;
}

void TKXCustomLab::DetailCaptionToFieldName(const QString &Caption, bool &FloatAsDateTime,
                                            QString &FieldName) const
{
    FloatAsDateTime = false;
    FieldName.clear();
    if (FDataAccessType == TKXDataAccessType::daNone)
        return;
    if (FDataAccessType == TKXDataAccessType::daBDEAlias || FDatasets.Empty()) {
        FieldName = Caption;
        return;
    }
    const TKXDatasetItem *item = ActiveDetailItem();
    if (!item)
        return;
    if (item->DetailFields().Empty()) {
        FieldName = Caption;
        return;
    }
    for (const auto &f : item->DetailFields())
        if (f->Caption == Caption) {
            FieldName = f->Name();
            FloatAsDateTime = f->FloatAsDateTime;
            return;
        }
}

QString TKXCustomLab::DetailFieldNameToCaption(const QString &FieldName, bool &FloatAsDateTime) const
{
    FloatAsDateTime = false;
    if (!FDetail || !FDaBa || FDataAccessType == TKXDataAccessType::daNone)
        return NoCaption;
    if (FDataAccessType == TKXDataAccessType::daBDEAlias)
        return FieldName;
    if (FDatasets.Empty()) {
        if (FieldName.isEmpty())
            return {};
        const TKXField *f = FDetail->FindField(FieldName);
        return f ? f->DisplayLabel() : NoCaption;
    }
    const TKXDatasetItem *item = ActiveDetailItem();
    if (!item)
        return NoCaption;
    if (item->DetailFields().Empty())
        return FieldName;
    for (const auto &f : item->DetailFields())
        if (SameName(f->Name(), FieldName)) {
            FloatAsDateTime = f->FloatAsDateTime;
            return f->Caption;
        }
    return NoCaption;
}

bool TKXCustomLab::IsFloatAsDateTime(const QString &FieldName) const
{
    if (!FDaBa || !FDataSet || FDataAccessType != TKXDataAccessType::daDataSet)
        return false;
    const TKXDatasetItem *item = ActiveItem();
    if (!item)
        return false;
    for (const auto &f : item->Fields())
        if (SameName(f->Name(), FieldName))
            return f->FloatAsDateTime;
    return false;
}

// ---------------------------------------------------------------------------------------
// Lists

void TKXCustomLab::GetDataFields(QStringList &List, bool AddCounters, bool OnlyBlob, bool OnlyBool,
                                 bool RemoveBlob) const
{
    List.clear();
    if (FDaBa && FDataSet) {
        const TKXDatasetItem *item =
            FDataAccessType == TKXDataAccessType::daDataSet && !FDatasets.Empty() ? ActiveItem() : nullptr;
        const bool ownFields = FDataAccessType == TKXDataAccessType::daBDEAlias ||
                               (FDataAccessType == TKXDataAccessType::daDataSet &&
                                (FDatasets.Empty() || (item && item->Fields().Empty())));
        if (ownFields) {
            for (int i = 0; i < FDataSet->FieldCount(); ++i) {
                const TKXField &f = FDataSet->Fields(i);
                if (PassesFieldFilter(f.DataType(), OnlyBlob, OnlyBool, RemoveBlob))
                    List << f.DisplayLabel();
            }
        } else if (item) {
            for (const auto &fi : item->Fields()) {
                const TKXField &f = FDataSet->FieldByName(fi->Name());
                if (PassesFieldFilter(f.DataType(), OnlyBlob, OnlyBool, RemoveBlob))
                    List << fi->Caption;
            }
        }
    }
    if (AddCounters)
        for (const auto &c : FCounters)
            List << c->Name;
}

void TKXCustomLab::GetDetailFields(QStringList &List) const
{
    List.clear();
    if (!FDaBa || !FDetail || FDataAccessType == TKXDataAccessType::daNone)
        return;
    const TKXDatasetItem *item = ActiveDetailItem();
    if (FDataAccessType == TKXDataAccessType::daBDEAlias || FDatasets.Empty() ||
        (item && item->DetailFields().Empty())) {
        for (int i = 0; i < FDetail->FieldCount(); ++i)
            List << FDetail->Fields(i).DisplayLabel();
    } else if (item) {
        for (const auto &fi : item->DetailFields())
            List << fi->Caption;
    }
}

void TKXCustomLab::FillDBGrid(TKXDataGrid &Grid, int Idx) const
{
    Grid.BeginUpdate();
    struct EndUpdate {
        TKXDataGrid &G;
        ~EndUpdate() { G.EndUpdate(); }
    } end{Grid};
    Grid.ClearColumns();
    if (Idx < 0)
        return;
    auto shown = [this](const TKXField &f) { return FGridNotDrawFields || !IsGridHiddenKind(f.DataType()); };
    if (FDatasets.Empty()) {
        if (!FDataSet)
            return;
        for (int i = 0; i < FDataSet->FieldCount(); ++i) {
            TKXField &f = FDataSet->Fields(i);
            if (shown(f))
                Grid.AddColumn(f, f.DisplayLabel(), TAlignment::taCenter);
        }
        return;
    }
    const TKXDatasetItem *item = FDatasets.Items(Idx);
    if (!item || item->Fields().Empty() || !FDataSet)
        return;
    for (const auto &fi : item->Fields()) {
        TKXField &f = FDataSet->FieldByName(fi->Name());
        if (shown(f))
            Grid.AddColumn(f, fi->Caption, TAlignment::taCenter);
    }
}

// ---------------------------------------------------------------------------------------
// Field texts

void TKXCustomLab::GetFieldText(const QString &FieldName, const QString &DisplayFormat,
                                bool FloatAsDateTime, QString &Text) const
{
    Text.clear();
    if (!FDataSet)
        return;
    const TKXField &f = FDataSet->FieldByName(FieldName);
    if (f.IsNull())
        return;
    if (DisplayFormat.isEmpty()) {
        Text = f.AsString();
        return;
    }
    if (FloatAsDateTime) {
        Text = FormatDate(DisplayFormat, f.AsFloat());
        return;
    }
    // Every type is formatted as its family: the sources map their columns onto auto-
    // increments, 64-bit and unsigned integers, singles and time stamps as well.
    const TKXFieldType type = f.DataType();
    if (IsIntegerFieldType(type))
        Text = FormatInteger(DisplayFormat, f.AsLargeInt()); // the whole 64-bit value, every digit exact
    else if (IsFloatFieldType(type))
        Text = FormatNumber(DisplayFormat, f.AsFloat());
    else if (IsDateTimeFieldType(type))
        Text = FormatDate(DisplayFormat, f.AsDateTime());
    else
        Text = f.AsString();
}

// ---------------------------------------------------------------------------------------
// Validation

bool TKXCustomLab::ValidateData(bool UpdateNumber, bool CheckFieldNames, bool FullRange)
{
    bool answer = false;
    bool masterOpen = false;
    QString missingDataset;
    FValidationProblems.clear();
    if (FDaBa) {
        if (FDataAccessType == TKXDataAccessType::daDataSet) {
            // The stored name is the component's own name; a qualified "Module.Name" is
            // looked up with its module.
            FindDataset(FDatasetName, FDatasetName.contains(QLatin1Char('.')), false);
            if (!FDataSet && !FDatasetName.isEmpty())
                missingDataset = QStringLiteral("DATASET NOT FOUND :") + FDatasetName;
        }
        if (TKXDataSet *master = FDataSet.data()) {
            try {
                if (!master->Filter().isEmpty())
                    master->SetFiltered(true);
                if (FOpenCloseData) {
                    master->SetActive(true);
                    if (FDetail)
                        FDetail->SetActive(true);
                }
            } catch (const std::exception &e) {
                throw EKxError(std::string("CAN'T OPEN DATASET : ") + e.what());
            }
            // A closed dataset (OpenCloseData off) has no records to count and, for some
            // sources, no fields yet: what needs them waits until it is opened.
            masterOpen = master->Active();
            if (UpdateNumber && masterOpen) {
                TKXPrintInfo &pi = *FPrintInfo;
                const int32_t n = master->RecordCount();
                if (n < pi.LastLab() || pi.LastLab() == 0 || FullRange) {
                    if (n < 1)
                        pi.SetLastLabZero();
                    else
                        pi.SetLastLab(n);
                }
                if (pi.LastLab() == 0)
                    pi.SetLastLab(1);
                if (n < pi.FirstLab())
                    pi.SetFirstLab(1);
                pi.SetNumLabs(pi.LastLab() < 1 ? n - pi.FirstLab() + 1 : pi.LastLab() - pi.FirstLab() + 1);
            }
            answer = true;
        }
    }
    auto dataElement = [this](int32_t i) { return dynamic_cast<TKXData *>(FElements[size_t(i)].get()); };
    auto inspect = [this] {
        if (FEditor && FEditor->Inspector)
            FEditor->Inspector->Inspect();
    };
    if (CheckFieldNames && !FCounters.empty()) {
        for (int32_t i = ElementCount() - 1; i >= 0; --i) {
            TKXData *d = dataElement(i);
            if (!d || !d->FDatabase)
                continue;
            if (d->FFieldName.isEmpty()) {
                d->FDatabase = false;
            } else if (FindCounter(d->FFieldName)) {
                d->FIsCounter = true;
                d->FDatabase = true;
            } else {
                d->FIsCounter = false;
            }
        }
        inspect();
    }
    if (CheckFieldNames && answer && masterOpen) {
        // Every missing field is reported, and the bindings stay as they are: switching
        // them off here would lose them at the next save.
        QStringList missing;
        for (int32_t i = ElementCount() - 1; i >= 0; --i) {
            TKXData *d = dataElement(i);
            if (!d || !d->FDatabase)
                continue;
            if (d->FFieldName.isEmpty())
                d->SetData(false);
            else if (!d->FIsCounter && !FDataSet->FindField(d->FFieldName))
                missing << QStringLiteral("INVALID FIELD NAME :") + d->FieldName();
        }
        inspect();
        if (!missing.isEmpty()) {
            FValidationProblems = missing + FValidationProblems;
            throw EKxError(FValidationProblems.join(QLatin1Char('\n')).toStdString());
        }
    }
    if (!missingDataset.isEmpty()) {
        FValidationProblems << missingDataset;
        // A bound label without its dataset would print its captions as a fixed run: the
        // checks before printing and previewing say so instead.
        if (CheckFieldNames)
            throw EKxError(missingDataset.toStdString());
    }
    return answer;
}

// ---------------------------------------------------------------------------------------
// Counters

TKXCounter *TKXCustomLab::NewCounter()
{
    FCounters.push_back(std::make_unique<TKXCounter>(this));
    return FCounters.back().get();
}

TKXCounter *TKXCustomLab::GetCounter(int32_t CounterNo) const
{
    if (CounterNo < 1 || CounterNo > CounterCount())
        return nullptr;
    return FCounters[size_t(CounterNo - 1)].get();
}

TKXCounter *TKXCustomLab::FindCounter(const QString &coName) const
{
    for (const auto &c : FCounters)
        if (SameName(c->Name, coName))
            return c.get();
    return nullptr;
}

bool TKXCustomLab::RemoveCounter(TKXCounter *Counter)
{
    const auto it = std::find_if(FCounters.begin(), FCounters.end(),
                                 [Counter](const auto &c) { return c.get() == Counter; });
    if (it == FCounters.end())
        return false;
    // Names compare as linking compares them (ASCII case ignored), so no element stays
    // bound to the counter that goes.
    for (const auto &e : FElements) {
        auto *d = dynamic_cast<TKXData *>(e.get());
        if (!d || !d->FIsCounter || !SameName(d->FFieldName, Counter->Name))
            continue;
        d->FIsCounter = false;
        d->FFieldName.clear();
        d->SetData(false);
    }
    FCounters.erase(it);
    return true;
}

void TKXCustomLab::ClearCounters()
{
    while (!FCounters.empty())
        FCounters.pop_back();
}

int32_t TKXCustomLab::InitCounters()
{
    int32_t answer = 0;
    if (FCounters.empty())
        return 0;
    for (const auto &c : FCounters)
        c->FActive = false;
    for (size_t i = 0; i < FElements.size(); ++i) {
        auto *d = dynamic_cast<TKXData *>(FElements[i].get());
        if (!d || !d->FDatabase)
            continue;
        TKXCounter *c = FindCounter(d->FFieldName);
        if (!c)
            continue;
        if (OnAskDataCounter) {
            int64_t from = c->NumFrom, to = c->NumTo;
            OnAskDataCounter(c, ToAnsi(c->Name), from, to);
            c->NumFrom = from;
            c->NumTo = to;
        }
        c->CheckStep();
        c->FActive = true;
        c->Counter = c->NumFrom;
        answer = std::max(answer, c->ValueCount());
        FormatCounter(*c);
    }
    return answer;
}

void TKXCustomLab::StepCounters()
{
    for (const auto &c : FCounters)
        if (c->FActive)
            c->StepValue();
}

void TKXCustomLab::SetCountersToLabel(int32_t n)
{
    for (const auto &c : FCounters)
        if (c->FActive)
            c->SetToValue(int64_t(n) - 1);
}

void TKXCustomLab::FormatCounter(TKXCounter &Counter)
{
    Counter.FormatValue();
}

} // namespace kx
