#include "data/KXDataset.h"

#include "core/KXError.h"
#include "core/KXFormat.h"
#include "data/KXDatasetFilter.h"

#include <cmath>
#include <limits>

namespace kx {

// ---------------------------------------------------------------------------------------
// Kinds and names

bool IsIntegerFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftSmallint || T == ftInteger || T == ftWord || T == ftAutoInc || T == ftLargeint ||
           T == ftLongWord || T == ftShortint || T == ftByte;
}

bool IsFloatFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftFloat || T == ftCurrency || T == ftBCD || T == ftFMTBcd || T == ftExtended ||
           T == ftSingle;
}

bool IsDateTimeFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftDate || T == ftTime || T == ftDateTime || T == ftTimeStamp || T == ftOraTimeStamp;
}

bool IsStringFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftString || T == ftFixedChar || T == ftWideString || T == ftFixedWideChar ||
           T == ftGuid;
}

bool IsMemoFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftMemo || T == ftFmtMemo || T == ftWideMemo || T == ftOraClob;
}

bool IsBinaryFieldType(TKXFieldType T)
{
    using enum TKXFieldType;
    return T == ftBytes || T == ftVarBytes || T == ftBlob || T == ftGraphic || T == ftParadoxOle ||
           T == ftDBaseOle || T == ftTypedBinary || T == ftOraBlob || T == ftStream;
}

bool SameName(const QString &A, const QString &B)
{
    if (A.size() != B.size())
        return false;
    for (qsizetype i = 0; i < A.size(); ++i) {
        char16_t a = A[i].unicode(), b = B[i].unicode();
        if (a >= u'a' && a <= u'z')
            a = char16_t(a - u'a' + u'A');
        if (b >= u'a' && b <= u'z')
            b = char16_t(b - u'a' + u'A');
        if (a != b)
            return false;
    }
    return true;
}

std::vector<TKXDataSet *> DataSetsOf(const QObject &Owner)
{
    std::vector<TKXDataSet *> out;
    for (QObject *child : Owner.children())
        if (auto *ds = dynamic_cast<TKXDataSet *>(child))
            out.push_back(ds);
    return out;
}

// ---------------------------------------------------------------------------------------
// Field values

namespace {

[[noreturn]] void ConversionError(const QVariant &v, const char *what)
{
    throw EKxError("'" + v.toString().toStdString() + "' is not a valid " + what);
}

bool IsNumberType(int id)
{
    return id == QMetaType::Int || id == QMetaType::UInt || id == QMetaType::LongLong ||
           id == QMetaType::ULongLong || id == QMetaType::Double || id == QMetaType::Float ||
           id == QMetaType::Short || id == QMetaType::UShort || id == QMetaType::Long ||
           id == QMetaType::ULong || id == QMetaType::Char || id == QMetaType::SChar ||
           id == QMetaType::UChar;
}

bool IsIntegralType(int id)
{
    return IsNumberType(id) && id != QMetaType::Double && id != QMetaType::Float;
}

// Reads a number from text with '.' or the default decimal separator.
bool TextToDouble(QString s, double &out)
{
    s = s.trimmed();
    const QString sep = QString::fromStdString(DefaultFormatSettings().DecimalSeparator);
    if (sep != QLatin1String(".") && !sep.isEmpty())
        s.replace(sep, QLatin1String("."));
    bool ok = false;
    out = s.toDouble(&ok);
    return ok && std::isfinite(out);
}

QString ToQ(const std::string &s)
{
    return QString::fromUtf8(s.data(), qsizetype(s.size()));
}

} // namespace

bool IsoTextToDayNumber(const QString &text, double &out)
{
    const QString s = text.trimmed();
    int y = 1899, mo = 12, d = 30, h = 0, mi = 0, sec = 0, ms = 0;
    auto num = [&](qsizetype at, int len, int &v) {
        if (at + len > s.size())
            return false;
        bool ok = false;
        v = s.mid(at, len).toInt(&ok);
        for (qsizetype k = at; k < at + len; ++k)
            ok = ok && s[k].isDigit();
        return ok;
    };
    qsizetype p = 0;
    if (s.size() >= 10 && s[4] == QLatin1Char('-') && s[7] == QLatin1Char('-')) {
        if (!num(0, 4, y) || !num(5, 2, mo) || !num(8, 2, d))
            return false;
        p = 10;
        if (p < s.size()) {
            if (s[p] != QLatin1Char(' ') && s[p] != QLatin1Char('T'))
                return false;
            ++p;
        }
    }
    if (p < s.size()) {
        if (!num(p, 2, h) || p + 2 >= s.size() || s[p + 2] != QLatin1Char(':') || !num(p + 3, 2, mi))
            return false;
        p += 5;
        if (p < s.size()) {
            if (s[p] != QLatin1Char(':') || !num(p + 1, 2, sec))
                return false;
            p += 3;
            if (p < s.size()) {
                if (s[p] != QLatin1Char('.'))
                    return false;
                const QString frac = s.mid(p + 1, 3);
                if (frac.isEmpty() || !num(p + 1, int(frac.size()), ms))
                    return false;
                for (qsizetype k = frac.size(); k < 3; ++k)
                    ms *= 10;
                for (qsizetype k = p + 1 + frac.size(); k < s.size(); ++k)
                    if (!s[k].isDigit())
                        return false;
            }
        }
    }
    if (s.isEmpty())
        return false;
    try {
        out = EncodeDateTime(y, mo, d, h, mi, sec, ms);
    } catch (const EKxError &) {
        return false;
    }
    return true;
}

TKXField::TKXField(TKXDataSet &DataSet, int Index, const TKXFieldDef &Def)
    : FDataSet(DataSet), FIndex(Index), FDef(Def)
{
}

QVariant TKXField::Value() const
{
    return FDataSet.CurrentValue(FIndex);
}

bool TKXField::IsNull() const
{
    return !Value().isValid();
}

QString TKXField::AsString() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return {};
    const int id = v.typeId();
    if (id == QMetaType::Bool)
        return v.toBool() ? QStringLiteral("True") : QStringLiteral("False");
    if (id == QMetaType::QByteArray)
        return QString::fromLatin1(v.toByteArray());
    using enum TKXFieldType;
    if (IsDateTimeFieldType(FDef.DataType) && IsNumberType(id)) {
        const char *pattern = FDef.DataType == ftDate ? "ddddd" : FDef.DataType == ftTime ? "tt" : "c";
        return ToQ(FormatDateTime(pattern, v.toDouble()));
    }
    if (id == QMetaType::Double || id == QMetaType::Float)
        return ToQ(FloatToStr(v.toDouble()));
    return v.toString();
}

bool TKXField::TryAsLargeInt(int64_t &Out) const
{
    const QVariant v = Value();
    const int id = v.typeId();
    if (!v.isValid()) {
        Out = 0;
        return true;
    }
    if (id == QMetaType::Bool) {
        Out = v.toBool() ? 1 : 0;
        return true;
    }
    if (id == QMetaType::ULongLong) {
        const qulonglong u = v.toULongLong();
        if (u > qulonglong(std::numeric_limits<int64_t>::max()))
            return false;
        Out = int64_t(u);
        return true;
    }
    if (IsIntegralType(id)) {
        Out = v.toLongLong();
        return true;
    }
    double d = 0;
    if (id == QMetaType::Double || id == QMetaType::Float) {
        d = v.toDouble();
    } else if (id == QMetaType::QString) {
        bool ok = false;
        const qlonglong n = v.toString().trimmed().toLongLong(&ok);
        if (ok) {
            Out = n;
            return true;
        }
        if (!TextToDouble(v.toString(), d) || d != std::trunc(d))
            return false;
    } else {
        return false;
    }
    // Halves away from zero; 2^63 itself is out of range.
    if (!std::isfinite(d) || std::fabs(d) >= 9223372036854775808.0)
        return false;
    Out = std::llround(d);
    return true;
}

int64_t TKXField::AsLargeInt() const
{
    int64_t n = 0;
    if (!TryAsLargeInt(n))
        ConversionError(Value(), "integer value");
    return n;
}

int32_t TKXField::AsInteger() const
{
    const int64_t n = AsLargeInt();
    if (n < std::numeric_limits<int32_t>::min() || n > std::numeric_limits<int32_t>::max())
        throw EKxError("Integer value " + std::to_string(n) + " of field '" +
                       FDef.Name.toStdString() + "' is out of range");
    return int32_t(n);
}

double TKXField::AsFloat() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    const int id = v.typeId();
    if (id == QMetaType::Bool)
        return v.toBool() ? 1 : 0;
    if (IsNumberType(id))
        return v.toDouble();
    double d = 0;
    if (id == QMetaType::QString && TextToDouble(v.toString(), d))
        return d;
    ConversionError(v, "floating point value");
}

bool TKXField::AsBoolean() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return false;
    const int id = v.typeId();
    if (id == QMetaType::Bool)
        return v.toBool();
    if (IsNumberType(id))
        return v.toDouble() != 0;
    if (id == QMetaType::QString) {
        const QString s = v.toString().trimmed().toUpper();
        if (s == QLatin1String("TRUE") || s == QLatin1String("T") || s == QLatin1String("YES") ||
            s == QLatin1String("Y") || s == QLatin1String("1"))
            return true;
        if (s == QLatin1String("FALSE") || s == QLatin1String("F") || s == QLatin1String("NO") ||
            s == QLatin1String("N") || s == QLatin1String("0"))
            return false;
    }
    ConversionError(v, "boolean value");
}

double TKXField::AsDateTime() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return 0;
    const int id = v.typeId();
    if (IsNumberType(id))
        return v.toDouble();
    double d = 0;
    if (id == QMetaType::QString && IsoTextToDayNumber(v.toString(), d))
        return d;
    ConversionError(v, "date and time");
}

QByteArray TKXField::AsBytes() const
{
    const QVariant v = Value();
    if (!v.isValid())
        return {};
    if (v.typeId() == QMetaType::QByteArray)
        return v.toByteArray();
    return AsString().toUtf8();
}

// ---------------------------------------------------------------------------------------
// Dataset

TKXDataSet::TKXDataSet(const QString &Name, QObject *Parent) : QObject(Parent)
{
    setObjectName(Name);
}

TKXDataSet::~TKXDataSet() = default;

TKXField &TKXDataSet::Fields(int Index) const
{
    if (Index < 0 || Index >= FieldCount())
        throw EKxError("List index out of bounds (" + std::to_string(Index) + ")");
    return *FFields[size_t(Index)];
}

TKXField *TKXDataSet::FindField(const QString &FieldName) const
{
    for (const auto &f : FFields)
        if (SameName(f->FieldName(), FieldName))
            return f.get();
    return nullptr;
}

TKXField &TKXDataSet::FieldByName(const QString &FieldName) const
{
    if (TKXField *f = FindField(FieldName))
        return *f;
    throw EKxError("Field '" + FieldName.toStdString() + "' not found");
}

void TKXDataSet::SetFieldDefs(const std::vector<TKXFieldDef> &Defs)
{
    std::vector<std::unique_ptr<TKXField>> fields;
    fields.reserve(Defs.size());
    for (size_t i = 0; i < Defs.size(); ++i) {
        const TKXFieldDef &d = Defs[i];
        if (i < FFields.size() && FFields[i]->FDef.Name == d.Name &&
            FFields[i]->FDef.DataType == d.DataType && FFields[i]->FDef.Size == d.Size)
            fields.push_back(std::move(FFields[i]));
        else
            fields.push_back(std::make_unique<TKXField>(*this, int(i), d));
    }
    FFields = std::move(fields);
    FFilterExpr.reset(); // indexes may have moved; compiled again on the next open
}

void TKXDataSet::CheckActive() const
{
    if (!FActive)
        throw EKxError("Cannot perform this operation on a closed dataset");
}

void TKXDataSet::SetActive(bool Value)
{
    if (Value)
        Open();
    else
        Close();
}

void TKXDataSet::Open()
{
    if (FActive)
        return;
    DoOpen();
    FActive = true;
    FLinkValid = false;
    FLink.clear();
    try {
        CompileFilter(FFilter, FFiltered);
        if (FMaster)
            SyncWithMaster();
        else
            FetchFirst();
    } catch (...) {
        Close();
        throw;
    }
}

void TKXDataSet::Close()
{
    if (!FActive)
        return;
    FActive = false;
    DoClose();
    FHasRecord = false;
    FEof = true;
    FRecNo = 0;
    FCurrent.clear();
    FFilterExpr.reset();
    RecordChanged();
}

void TKXDataSet::CompileFilter(const QString &Text, bool On)
{
    if (!On || Text.trimmed().isEmpty()) {
        FFilterExpr.reset();
        return;
    }
    FFilterExpr = TKXFilterExpression::Parse(
        Text,
        [this](const QString &name) {
            const TKXField *f = FindField(name);
            return f ? f->Index() : -1;
        },
        [this](int index) { return IsDateTimeFieldType(Fields(index).DataType()); });
}

void TKXDataSet::SetFilter(const QString &Text)
{
    if (Text == FFilter)
        return;
    if (FActive) {
        CompileFilter(Text, FFiltered); // a bad text raises before anything changes
        FFilter = Text;
        FetchFirst();
    } else {
        FFilter = Text;
    }
    DoFilterChanged();
}

void TKXDataSet::SetFiltered(bool Value)
{
    if (Value == FFiltered)
        return;
    if (FActive) {
        CompileFilter(FFilter, Value);
        FFiltered = Value;
        FetchFirst();
    } else {
        FFiltered = Value;
    }
    DoFilterChanged();
}

bool TKXDataSet::Accepts(const TKXRecord &Row) const
{
    return !FFilterExpr || FFilterExpr->Matches(Row);
}

bool TKXDataSet::LinkValueMatches(const QVariant &Value, const QVariant &Wanted)
{
    if (!Value.isValid() || !Wanted.isValid())
        return false;
    if (IsNumberType(Value.typeId()) && IsNumberType(Wanted.typeId())) {
        if (IsIntegralType(Value.typeId()) && IsIntegralType(Wanted.typeId()))
            return Value.toLongLong() == Wanted.toLongLong();
        return Value.toDouble() == Wanted.toDouble();
    }
    return Value == Wanted;
}

std::vector<TKXDataSet::TKXLinkCondition> TKXDataSet::ResolveLink()
{
    std::vector<TKXLinkCondition> link;
    TKXDataSet *master = FMaster.data();
    if (!master)
        return link;
    if (FMasterFields.size() != FDetailFields.size() || FMasterFields.isEmpty())
        throw EKxError("Master and detail field lists of '" + Name().toStdString() + "' do not match");
    for (qsizetype i = 0; i < FMasterFields.size(); ++i) {
        const TKXField &mf = master->FieldByName(FMasterFields[i]);
        const TKXField &df = FieldByName(FDetailFields[i]);
        // A closed master or one without records links to nothing.
        const QVariant v = master->Active() ? mf.Value() : QVariant();
        link.push_back({df.Index(), v});
    }
    return link;
}

// Re-reads the link when the master's current record has changed since it was taken, and
// then starts again from the first record, as a detail does when its master scrolls.
void TKXDataSet::SyncWithMaster()
{
    if (!FActive)
        return;
    TKXDataSet *master = FMaster.data();
    if (!master) {
        if (!FLink.empty()) { // the master went away: the link goes with it
            FLink.clear();
            FLinkValid = true;
            FetchFirst();
        }
        return;
    }
    if (master->Active())
        master->SyncWithMaster(); // a chain of details: the master may itself follow one
    if (FLinkValid && FLinkSerial == master->FRecordSerial)
        return;
    FLinkSerial = master->FRecordSerial;
    FLinkValid = true;
    FLink = ResolveLink();
    FetchFirst();
}

void TKXDataSet::FetchFirst()
{
    FHasRecord = false;
    FEof = true;
    FRecNo = 0;
    bool more = DoFetchFirst(FScratch);
    while (more && !Accepts(FScratch))
        more = DoFetchNext(FScratch);
    if (more) {
        FCurrent.swap(FScratch);
        FHasRecord = true;
        FEof = false;
        FRecNo = 1;
    } else {
        FCurrent.clear();
    }
    RecordChanged();
}

bool TKXDataSet::FetchNext()
{
    if (FEof)
        return false;
    bool more = DoFetchNext(FScratch);
    while (more && !Accepts(FScratch))
        more = DoFetchNext(FScratch);
    if (!more) {
        FEof = true; // stays on the last record
        return false;
    }
    FCurrent.swap(FScratch);
    ++FRecNo;
    RecordChanged();
    return true;
}

void TKXDataSet::RecordChanged()
{
    ++FRecordSerial;
    if (OnDataChange && FDisableCount == 0)
        OnDataChange(*this);
}

QVariant TKXDataSet::CurrentValue(int Index)
{
    CheckActive();
    SyncWithMaster();
    if (!FHasRecord || Index < 0 || size_t(Index) >= FCurrent.size())
        return {};
    return FCurrent[size_t(Index)];
}

int TKXDataSet::RecordCount()
{
    CheckActive();
    SyncWithMaster();
    if (!FFilterExpr) {
        const int64_t n = DoRecordCount();
        return n > std::numeric_limits<int>::max() ? std::numeric_limits<int>::max() : int(n);
    }
    // Filtered: count what the filter lets through, then come back to the same record.
    const int recNo = FRecNo;
    const bool eof = FEof;
    int count = 0;
    TKXRecord row;
    for (bool more = DoFetchFirst(row); more; more = DoFetchNext(row))
        if (Accepts(row))
            ++count;
    const int keep = FDisableCount;
    FDisableCount = std::max(FDisableCount, 1); // the walk back is not a change to show
    FetchFirst();
    while (FRecNo < recNo && FetchNext()) {
    }
    FEof = eof || FEof;
    FDisableCount = keep;
    return count;
}

void TKXDataSet::First()
{
    CheckActive();
    SyncWithMaster();
    FetchFirst();
}

void TKXDataSet::Next()
{
    CheckActive();
    SyncWithMaster();
    FetchNext();
}

int TKXDataSet::MoveBy(int Count)
{
    CheckActive();
    SyncWithMaster();
    if (Count > 0 && (FFilterExpr || FEof)) {
        int moved = 0;
        while (moved < Count && FetchNext())
            ++moved;
        return moved;
    }
    if (Count > 0) {
        // Unfiltered: every record counts, so the source may pass over all but the last.
        const int64_t moved = DoFetchAhead(Count, FScratch);
        if (moved < Count)
            FEof = true; // stays on the last record
        if (moved > 0) {
            FCurrent.swap(FScratch);
            FRecNo += int(moved);
            RecordChanged();
        }
        return int(moved);
    }
    if (Count < 0 && FRecNo > 1) {
        // A forward cursor: start again and walk to the record wanted.
        const int from = FRecNo;
        const int target = std::max(1, from + Count);
        FetchFirst();
        while (FRecNo < target && FetchNext()) {
        }
        return FRecNo - from;
    }
    return 0;
}

int64_t TKXDataSet::DoFetchAhead(int64_t Count, TKXRecord &Row)
{
    int64_t fetched = 0;
    TKXRecord next;
    while (fetched < Count && DoFetchNext(next)) {
        Row.swap(next);
        ++fetched;
    }
    return fetched;
}

bool TKXDataSet::Eof()
{
    CheckActive();
    SyncWithMaster();
    return FEof;
}

int TKXDataSet::RecNo()
{
    CheckActive();
    SyncWithMaster();
    return FRecNo;
}

void TKXDataSet::DisableControls()
{
    ++FDisableCount;
}

void TKXDataSet::EnableControls()
{
    if (FDisableCount == 0)
        return;
    if (--FDisableCount == 0 && OnDataChange)
        OnDataChange(*this);
}

void TKXDataSet::SetMasterLink(TKXDataSet *Master, const QStringList &MasterFields,
                               const QStringList &DetailFields)
{
    if (Master == this)
        throw EKxError("A dataset cannot be its own master");
    for (TKXDataSet *m = Master; m; m = m->FMaster.data())
        if (m == this)
            throw EKxError("Circular master-detail link");
    FMaster = Master;
    FMasterFields = MasterFields;
    FDetailFields = DetailFields;
    FLink.clear();
    FLinkValid = false;
    if (FActive && !Master)
        FetchFirst();
}

} // namespace kx
