#include "document/KXCounter.h"

#include "core/KXCodec1252.h"
#include "core/KXError.h"
#include "core/KXFormat.h"
#include "stream/KXStream.h"
#include "stream/KXStreamStr.h"

#include <algorithm>
#include <limits>

namespace kx {

namespace {

// Sequence arithmetic runs in 128 bits: NumTo - NumFrom of two 64-bit values, and the
// value at an index, must not wrap.
using Wide = __int128;

QString AnsiToQString(const AnsiString &S)
{
    return QString::fromStdU16String(AnsiToWide(S));
}

AnsiString QStringToAnsi(const QString &S)
{
    return WideToAnsi(S.toStdU16String());
}

// The index of the last value: (NumTo - NumFrom) / Step truncated toward zero, never below
// 0 (a sequence that starts past its end has its first value only).
Wide LastIndex(const TKXCounter &C)
{
    const Wide k = (Wide(C.NumTo) - Wide(C.NumFrom)) / Wide(C.Step);
    return k < 0 ? 0 : k;
}

} // namespace

bool TKXCounter::ValidStep() const
{
    if (Step == 0)
        return false;
    return Step > 0 || NumTo <= NumFrom;
}

void TKXCounter::CheckStep() const
{
    if (!ValidStep())
        throw EKxError("INVALID COUNTER STEP :" + Name.toStdString());
}

int32_t TKXCounter::ValueCount() const
{
    CheckStep();
    const Wide n = LastIndex(*this) + 1;
    return n > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max() : int32_t(n);
}

void TKXCounter::SetToValue(int64_t Index)
{
    CheckStep();
    const Wide i = std::clamp<Wide>(Index, 0, LastIndex(*this));
    // Lies between NumFrom and NumTo, so it fits 64 bits.
    Counter = int64_t(Wide(NumFrom) + i * Wide(Step));
    FormatValue();
}

void TKXCounter::StepValue()
{
    if (Step != 0) {
        const Wide next = Wide(Counter) + Wide(Step);
        // Up: NumTo >= Counter and NumTo >= Counter + Step; down (a negative step) the
        // mirror image, so both stop at their last value that does not pass NumTo.
        const bool has = Step > 0 ? (NumTo >= Counter && Wide(NumTo) >= next)
                                  : (NumTo <= Counter && Wide(NumTo) <= next);
        if (has)
            Counter = int64_t(next);
    }
    FormatValue();
}

void TKXCounter::FormatValue()
{
    QString text;
    if (NumBefore != -1)
        text += QString::number(NumBefore);
    if (!Format.isEmpty())
        // Every digit of the 64-bit value is kept (a double would round beyond 2^53).
        text += QString::fromStdString(FormatLargeInt(Format.toStdString(), Counter));
    else
        text += QString::number(Counter);
    if (NumAfter != -1)
        text += QString::number(NumAfter);
    FValue = text;
}

void TKXCounter::SaveToStream(TKXStreamWriter &Stream) const
{
    Stream.WriteInt64(NumFrom);
    Stream.WriteInt64(NumTo);
    Stream.WriteInt32(Num);
    Stream.WriteInt32(Step);
    Stream.WriteInt32(NumBefore);
    Stream.WriteInt32(NumAfter);
    WriteAnsiStr(QStringToAnsi(Format), Stream);
    WriteAnsiStr(QStringToAnsi(Name), Stream);
}

void TKXCounter::LoadFromStream(TKXStreamReader &Stream)
{
    NumFrom = Stream.ReadInt64();
    NumTo = Stream.ReadInt64();
    Num = Stream.ReadInt32();
    Step = Stream.ReadInt32();
    NumBefore = Stream.ReadInt32();
    NumAfter = Stream.ReadInt32();
    Format = AnsiToQString(ReadAnsiStr(Stream));
    Name = AnsiToQString(ReadAnsiStr(Stream));
    Counter = 1;
    FActive = false;
    FValue.clear();
}

} // namespace kx
