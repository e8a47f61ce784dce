#include "core/KXFormat.h"

#include "core/KXError.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace kx {

// ---------------------------------------------------------------------------------------
// Format settings

namespace {
TKXFormatSettings &MutableDefaults()
{
    static TKXFormatSettings settings;
    return settings;
}
} // namespace

const TKXFormatSettings &DefaultFormatSettings()
{
    return MutableDefaults();
}

void SetDefaultFormatSettings(const TKXFormatSettings &Settings)
{
    MutableDefaults() = Settings;
}

// ---------------------------------------------------------------------------------------
// Decimal digits of a value

namespace {

// A magnitude as decimal digits: value = 0.Digits x 10^Exponent. Digits has no leading and
// no trailing zeros; an empty Digits is zero (Exponent 0).
struct Decimal {
    bool Negative = false; // never set for zero
    std::string Digits;
    int Exponent = 0;

    bool IsZero() const { return Digits.empty(); }
};

void TrimTrailingZeros(Decimal &d)
{
    while (!d.Digits.empty() && d.Digits.back() == '0')
        d.Digits.pop_back();
    if (d.Digits.empty()) {
        d.Exponent = 0;
        d.Negative = false;
    }
}

// A double as its 15 significant decimal digits: the precision a double holds reliably, so
// 0.1 + 0.2 formats as 0.3 and 1.005 rounds to 1.01 as the user reads it.
Decimal DecimalFromDouble(double v)
{
    Decimal d;
    if (v == 0)
        return d;
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", std::fabs(v));
    // buf is "d.dddddddddddddde[+-]x..."
    d.Digits.push_back(buf[0]);
    d.Digits.append(buf + 2, 14);
    d.Exponent = std::atoi(std::strchr(buf, 'e') + 1) + 1;
    d.Negative = v < 0;
    TrimTrailingZeros(d);
    return d;
}

Decimal DecimalFromInt(int64_t v)
{
    Decimal d;
    const uint64_t magnitude = v < 0 ? uint64_t(0) - uint64_t(v) : uint64_t(v);
    if (magnitude == 0)
        return d;
    d.Digits = std::to_string(magnitude);
    d.Exponent = int(d.Digits.size());
    d.Negative = v < 0;
    TrimTrailingZeros(d);
    return d;
}

// Keeps the first `keep` significant digits, rounding half away from zero (the digits are
// exact decimal digits, so a 5 in the first dropped place is at least a half).
void RoundToDigits(Decimal &d, int keep)
{
    if (d.IsZero() || size_t(std::max(keep, 0)) >= d.Digits.size())
        return;
    if (keep < 0) {
        d = Decimal{};
        return;
    }
    const bool up = d.Digits[size_t(keep)] >= '5';
    d.Digits.resize(size_t(keep));
    if (up) {
        int i = keep - 1;
        while (i >= 0 && d.Digits[size_t(i)] == '9')
            d.Digits[size_t(i--)] = '0';
        if (i < 0) {
            d.Digits.insert(d.Digits.begin(), '1');
            ++d.Exponent;
        } else {
            ++d.Digits[size_t(i)];
        }
    }
    TrimTrailingZeros(d);
}

void RoundToDecimals(Decimal &d, int decimals)
{
    RoundToDigits(d, d.Exponent + decimals);
}

// The digits before the decimal point ("" for a magnitude below 1).
std::string IntegerDigits(const Decimal &d)
{
    if (d.Exponent <= 0)
        return {};
    std::string s = d.Digits.substr(0, std::min(d.Digits.size(), size_t(d.Exponent)));
    s.append(size_t(d.Exponent) - s.size(), '0');
    return s;
}

// The digits after the decimal point, without trailing zeros.
std::string FractionDigits(const Decimal &d)
{
    if (d.IsZero())
        return {};
    if (d.Exponent >= 0)
        return size_t(d.Exponent) < d.Digits.size() ? d.Digits.substr(size_t(d.Exponent)) : std::string{};
    return std::string(size_t(-d.Exponent), '0') + d.Digits;
}

// The general format of a value already cut to its significant digits.
std::string GeneralFormat(const Decimal &d, int precision, const TKXFormatSettings &fs)
{
    if (d.IsZero())
        return "0";
    std::string out = d.Negative ? "-" : "";
    if (d.Exponent > precision || d.Exponent < -4) {
        // Scientific: one digit before the point, the exponent without padding.
        out += d.Digits[0];
        if (d.Digits.size() > 1)
            out += fs.DecimalSeparator + d.Digits.substr(1);
        const int e = d.Exponent - 1;
        out += 'E';
        out += std::to_string(e);
        return out;
    }
    const std::string ip = IntegerDigits(d);
    const std::string fp = FractionDigits(d);
    out += ip.empty() ? "0" : ip;
    if (!fp.empty())
        out += fs.DecimalSeparator + fp;
    return out;
}

// ---------------------------------------------------------------------------------------
// Number patterns

struct NumToken {
    enum Kind { Literal, IntDigit, FracDigit, Point, Exponent } kind;
    std::string text; // Literal
};

struct NumSection {
    std::vector<NumToken> tokens;
    int intPlaces = 0;  // '0' and '#' before the decimal point
    int minInt = 0;     // places from the first '0' before the point to the point
    int fracPlaces = 0; // '0' and '#' after the point
    int minFrac = 0;    // places up to the last '0' after the point
    bool grouping = false;
    bool scientific = false;
    char expChar = 'E';
    bool expPlus = false; // "E+": positive exponents show their sign too
    int expDigits = 0;    // 0..4
};

// Splits a pattern at the semicolons outside quotes; at most three sections count.
std::vector<std::string_view> SplitSections(std::string_view p)
{
    std::vector<std::string_view> out;
    size_t start = 0;
    char quote = 0;
    for (size_t i = 0; i < p.size(); ++i) {
        const char c = p[i];
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            out.push_back(p.substr(start, i - start));
            start = i + 1;
            if (out.size() == 3)
                return out;
        }
    }
    out.push_back(p.substr(start));
    return out;
}

NumSection ParseSection(std::string_view s)
{
    NumSection sec;
    bool seenPoint = false, seenExp = false;
    int firstZero = -1;
    auto literal = [&](std::string_view text) {
        if (!sec.tokens.empty() && sec.tokens.back().kind == NumToken::Literal)
            sec.tokens.back().text += text;
        else
            sec.tokens.push_back({NumToken::Literal, std::string(text)});
    };
    for (size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' || c == '\'') {
            const size_t close = s.find(c, i + 1);
            const size_t end = close == std::string_view::npos ? s.size() : close;
            literal(s.substr(i + 1, end - i - 1));
            i = end;
        } else if (c == '0' || c == '#' || c == '.' || c == ',') {
            if (seenExp)
                continue; // placeholders after the exponent have no digits left to show
            if (c == ',') {
                sec.grouping = true;
            } else if (c == '.') {
                if (!seenPoint)
                    sec.tokens.push_back({NumToken::Point, {}});
                seenPoint = true;
            } else if (!seenPoint) {
                if (c == '0' && firstZero < 0)
                    firstZero = sec.intPlaces;
                ++sec.intPlaces;
                sec.tokens.push_back({NumToken::IntDigit, {}});
            } else {
                ++sec.fracPlaces;
                if (c == '0')
                    sec.minFrac = sec.fracPlaces;
                sec.tokens.push_back({NumToken::FracDigit, {}});
            }
        } else if ((c == 'E' || c == 'e') && !seenExp && i + 1 < s.size() &&
                   (s[i + 1] == '+' || s[i + 1] == '-')) {
            seenExp = sec.scientific = true;
            sec.expChar = c;
            sec.expPlus = s[i + 1] == '+';
            i += 2;
            while (i < s.size() && s[i] == '0' && sec.expDigits < 4) {
                ++sec.expDigits;
                ++i;
            }
            --i;
            sec.tokens.push_back({NumToken::Exponent, {}});
        } else {
            literal(s.substr(i, 1));
        }
    }
    sec.minInt = firstZero < 0 ? 0 : sec.intPlaces - firstZero;
    return sec;
}

// Rounds the magnitude m as the section shows it.
void RoundForSection(Decimal &m, const NumSection &sec)
{
    if (sec.scientific)
        RoundToDigits(m, std::max(1, sec.intPlaces + sec.fracPlaces));
    else
        RoundToDecimals(m, sec.fracPlaces);
}

// Lays the rounded magnitude m out along the section's tokens.
std::string RenderSection(const NumSection &sec, const Decimal &m, const TKXFormatSettings &fs)
{
    std::string intDigits, fracDigits;
    int exponent = 0;
    if (sec.scientific) {
        // Mantissa with intPlaces digits before the point (one when the pattern has no
        // placeholder at all).
        const int lead = (sec.intPlaces == 0 && sec.fracPlaces == 0) ? 1 : sec.intPlaces;
        if (!m.IsZero()) {
            exponent = m.Exponent - lead;
            intDigits = m.Digits.substr(0, std::min(m.Digits.size(), size_t(lead)));
            intDigits.append(size_t(lead) - intDigits.size(), '0');
            if (m.Digits.size() > size_t(lead))
                fracDigits = m.Digits.substr(size_t(lead));
        }
    } else {
        intDigits = IntegerDigits(m);
        fracDigits = FractionDigits(m);
    }
    if (int(intDigits.size()) < sec.minInt)
        intDigits.insert(0, size_t(sec.minInt) - intDigits.size(), '0');
    if (int(fracDigits.size()) < sec.minFrac)
        fracDigits.append(size_t(sec.minFrac) - fracDigits.size(), '0');

    const int L = int(intDigits.size());
    const int P = sec.intPlaces;
    std::string out;
    bool intWritten = false;
    auto emitInt = [&](int j) {
        out += intDigits[size_t(j)];
        const int rest = L - 1 - j;
        if (sec.grouping && rest > 0 && rest % 3 == 0)
            out += fs.ThousandSeparator;
    };
    auto emitAllInt = [&] {
        for (int j = 0; j < L; ++j)
            emitInt(j);
        intWritten = true;
    };
    int intIdx = 0;
    size_t fracIdx = 0;
    for (const NumToken &t : sec.tokens) {
        switch (t.kind) {
        case NumToken::Literal:
            out += t.text;
            break;
        case NumToken::IntDigit: {
            // Digits are right-aligned to the placeholders; any the placeholders can't hold
            // go out at the first one.
            if (intIdx == 0)
                for (int j = 0; j < L - P; ++j)
                    emitInt(j);
            const int j = intIdx + L - P;
            if (j >= 0)
                emitInt(j);
            ++intIdx;
            intWritten = true;
            break;
        }
        case NumToken::FracDigit:
            if (fracIdx < fracDigits.size())
                out += fracDigits[fracIdx];
            ++fracIdx;
            break;
        case NumToken::Point:
            if (!intWritten)
                emitAllInt();
            if (!fracDigits.empty())
                out += fs.DecimalSeparator;
            break;
        case NumToken::Exponent: {
            if (!intWritten)
                emitAllInt();
            out += sec.expChar;
            if (exponent < 0)
                out += '-';
            else if (sec.expPlus)
                out += '+';
            std::string e = std::to_string(exponent < 0 ? -exponent : exponent);
            if (int(e.size()) < sec.expDigits)
                e.insert(0, size_t(sec.expDigits) - e.size(), '0');
            out += e;
            break;
        }
        }
    }
    if (!intWritten)
        emitAllInt(); // a pattern without placeholders still shows the number
    return out;
}

std::string FormatDecimal(std::string_view pattern, const Decimal &value,
                          const TKXFormatSettings &fs)
{
    const std::vector<std::string_view> sections = SplitSections(pattern);
    auto present = [&](size_t i) { return sections.size() > i && !sections[i].empty(); };

    size_t idx = 0;
    if (value.Negative && present(1))
        idx = 1;
    else if (value.IsZero() && present(2))
        idx = 2;

    NumSection sec = ParseSection(sections[idx]);
    Decimal magnitude = value;
    magnitude.Negative = false;
    RoundForSection(magnitude, sec);
    bool minus = value.Negative && idx == 0;
    if (magnitude.IsZero() && !value.IsZero()) {
        // Rounded away to nothing: shown as zero, never as "-0.00".
        idx = present(2) ? 2 : 0;
        sec = ParseSection(sections[idx]);
        minus = false;
    }
    std::string out = RenderSection(sec, magnitude, fs);
    return minus ? "-" + out : out;
}

bool PositiveSectionEmpty(std::string_view pattern)
{
    return SplitSections(pattern)[0].empty();
}

} // namespace

std::string FormatFloat(std::string_view Pattern, double Value, const TKXFormatSettings &Settings)
{
    if (std::isnan(Value))
        return "NAN";
    if (std::isinf(Value))
        return Value < 0 ? "-INF" : "INF";
    if (PositiveSectionEmpty(Pattern))
        return FloatToStr(Value, Settings);
    return FormatDecimal(Pattern, DecimalFromDouble(Value), Settings);
}

std::string FormatLargeInt(std::string_view Pattern, int64_t Value, const TKXFormatSettings &Settings)
{
    if (PositiveSectionEmpty(Pattern))
        return std::to_string(Value);
    return FormatDecimal(Pattern, DecimalFromInt(Value), Settings);
}

std::string FloatToStr(double Value, const TKXFormatSettings &Settings)
{
    if (std::isnan(Value))
        return "NAN";
    if (std::isinf(Value))
        return Value < 0 ? "-INF" : "INF";
    return GeneralFormat(DecimalFromDouble(Value), 15, Settings);
}

// ---------------------------------------------------------------------------------------
// Calendar

namespace {

constexpr int64_t MSecsPerDay = 86400000;
// Day numbers of 0001-01-01 and 9999-12-31.
constexpr int64_t MinDay = -693593;
constexpr int64_t MaxDay = 2958465;

// Days from 1970-01-01 of a proleptic Gregorian date (the era-of-400-years method: March is
// the first month of the computing year so the leap day falls last).
int64_t DaysFromCivil(int64_t y, int m, int d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;                                   // 0..399
    const int64_t doy = (153 * (m > 2 ? m - 3 : m + 9) + 2) / 5 + d - 1; // 0..365
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;           // 0..146096
    return era * 146097 + doe - 719468;
}

void CivilFromDays(int64_t z, int &year, int &month, int &day)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    day = int(doy - (153 * mp + 2) / 5 + 1);
    month = int(mp < 10 ? mp + 3 : mp - 9);
    year = int(yoe + era * 400 + (month <= 2));
}

} // namespace

bool IsLeapYear(int Year)
{
    return (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
}

int DaysInMonth(int Year, int Month)
{
    static constexpr int days[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (Month < 1 || Month > 12)
        return 0;
    return Month == 2 && IsLeapYear(Year) ? 29 : days[Month - 1];
}

TKXDateTimeParts DecodeDateTime(double DayNumber)
{
    if (!std::isfinite(DayNumber) || DayNumber < double(MinDay) - 1 || DayNumber > double(MaxDay) + 1)
        throw EKxError("Invalid date-time value");
    const double whole = std::trunc(DayNumber);
    int64_t days = int64_t(whole);
    int64_t ms = std::llround(std::fabs(DayNumber - whole) * double(MSecsPerDay));
    if (ms >= MSecsPerDay) { // 23:59:59.9996 and later round into the next day
        ms -= MSecsPerDay;
        ++days;
    }
    if (days < MinDay || days > MaxDay)
        throw EKxError("Invalid date-time value");
    TKXDateTimeParts p;
    CivilFromDays(days - UnixDateDelta, p.Year, p.Month, p.Day);
    p.Hour = int(ms / 3600000);
    p.Minute = int(ms / 60000 % 60);
    p.Second = int(ms / 1000 % 60);
    p.MSec = int(ms % 1000);
    // Day 0 (1899-12-30) was a Saturday, day 7 of the week.
    p.DayOfWeek = int(((days + 6) % 7 + 7) % 7) + 1;
    return p;
}

double EncodeDateTime(int Year, int Month, int Day, int Hour, int Minute, int Second, int MSec)
{
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1 ||
        Day > DaysInMonth(Year, Month))
        throw EKxError("Invalid argument to date encode");
    if (Hour < 0 || Hour > 23 || Minute < 0 || Minute > 59 || Second < 0 || Second > 59 ||
        MSec < 0 || MSec > 999)
        throw EKxError("Invalid argument to time encode");
    const int64_t days = DaysFromCivil(Year, Month, Day) + UnixDateDelta;
    const double time =
        double(((int64_t(Hour) * 60 + Minute) * 60 + Second) * 1000 + MSec) / double(MSecsPerDay);
    return days >= 0 ? double(days) + time : double(days) - time;
}

// ---------------------------------------------------------------------------------------
// Date-time patterns

namespace {

char Upper(char c)
{
    return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c;
}

bool StartsWithNoCase(std::string_view s, size_t at, std::string_view word)
{
    if (s.size() - at < word.size())
        return false;
    for (size_t k = 0; k < word.size(); ++k)
        if (Upper(s[at + k]) != Upper(word[k]))
            return false;
    return true;
}

void AppendNumber(std::string &out, int value, int width)
{
    std::string s = std::to_string(value);
    if (int(s.size()) < width)
        out.append(size_t(width) - s.size(), '0');
    out += s;
}

// True when an am/pm specifier follows `from` outside quotes: h then counts to 12.
bool UsesTwelveHours(std::string_view f, size_t from)
{
    char quote = 0;
    for (size_t i = from; i < f.size(); ++i) {
        if (quote) {
            if (f[i] == quote)
                quote = 0;
        } else if (f[i] == '"' || f[i] == '\'') {
            quote = f[i];
        } else if (StartsWithNoCase(f, i, "am/pm") || StartsWithNoCase(f, i, "a/p") ||
                   StartsWithNoCase(f, i, "ampm")) {
            return true;
        }
    }
    return false;
}

struct DateTimeWriter {
    const TKXDateTimeParts &p;
    const TKXFormatSettings &fs;
    std::string out;

    bool Midnight() const { return p.Hour == 0 && p.Minute == 0 && p.Second == 0 && p.MSec == 0; }

    // depth limits the expansion of the settings' own formats (c, ddddd, t...), which may
    // themselves name such specifiers.
    void Append(std::string_view f, int depth)
    {
        if (depth > 2)
            return;
        char last = 0; // the last specifier letter, for "m after h means minutes"
        for (size_t i = 0; i < f.size();) {
            const char c = f[i];
            const char u = Upper(c);
            size_t n = 1;
            while (i + n < f.size() && Upper(f[i + n]) == u)
                ++n;
            switch (u) {
            case 'Y':
                if (n <= 2)
                    AppendNumber(out, p.Year % 100, 2);
                else
                    AppendNumber(out, p.Year, 4);
                break;
            case 'M':
                if (last == 'H' && n <= 2) {
                    AppendNumber(out, p.Minute, n == 1 ? 1 : 2);
                    last = 'N';
                    i += n;
                    continue;
                }
                if (n <= 2)
                    AppendNumber(out, p.Month, int(n));
                else
                    out += n == 3 ? fs.ShortMonthNames[size_t(p.Month - 1)]
                                  : fs.LongMonthNames[size_t(p.Month - 1)];
                break;
            case 'D':
                if (n <= 2)
                    AppendNumber(out, p.Day, int(n));
                else if (n == 3)
                    out += fs.ShortDayNames[size_t(p.DayOfWeek - 1)];
                else if (n == 4)
                    out += fs.LongDayNames[size_t(p.DayOfWeek - 1)];
                else if (n == 5)
                    Append(fs.ShortDateFormat, depth + 1);
                else
                    Append(fs.LongDateFormat, depth + 1);
                break;
            case 'H': {
                int h = p.Hour;
                if (UsesTwelveHours(f, i + n)) {
                    h %= 12;
                    if (h == 0)
                        h = 12;
                }
                AppendNumber(out, h, n == 1 ? 1 : 2);
                break;
            }
            case 'N':
                AppendNumber(out, p.Minute, n == 1 ? 1 : 2);
                break;
            case 'S':
                AppendNumber(out, p.Second, n == 1 ? 1 : 2);
                break;
            case 'Z':
                AppendNumber(out, p.MSec, n == 1 ? 1 : 3);
                break;
            case 'T':
                Append(n == 1 ? fs.ShortTimeFormat : fs.LongTimeFormat, depth + 1);
                break;
            case 'C':
                Append(fs.ShortDateFormat, depth + 1);
                if (!Midnight()) {
                    out += ' ';
                    Append(fs.LongTimeFormat, depth + 1);
                }
                break;
            case 'A':
                n = AppendAmPm(f, i);
                if (n == 0) {
                    out += c; // a lone "a" is plain text
                    n = 1;
                }
                last = 'A';
                i += n;
                continue;
            case '/':
                out += fs.DateSeparator;
                i += 1;
                continue;
            case ':':
                out += fs.TimeSeparator;
                i += 1;
                continue;
            case '"':
            case '\'': {
                const size_t close = f.find(c, i + 1);
                const size_t end = close == std::string_view::npos ? f.size() : close;
                out.append(f.substr(i + 1, end - i - 1));
                i = end + 1;
                continue;
            }
            default:
                out += c;
                if (u >= 'A' && u <= 'Z')
                    last = u;
                i += 1;
                continue;
            }
            last = u;
            i += n;
        }
    }

    // Writes the am/pm specifier at f[i] and answers its length, or 0 when there is none.
    size_t AppendAmPm(std::string_view f, size_t i)
    {
        const bool pm = p.Hour >= 12;
        if (StartsWithNoCase(f, i, "am/pm")) {
            out.append(f.substr(pm ? i + 3 : i, 2)); // the letters in the case written
            return 5;
        }
        if (StartsWithNoCase(f, i, "ampm")) {
            out += pm ? fs.TimePMString : fs.TimeAMString;
            return 4;
        }
        if (StartsWithNoCase(f, i, "a/p")) {
            out += f[pm ? i + 2 : i];
            return 3;
        }
        return 0;
    }
};

} // namespace

std::string FormatDateTime(std::string_view Pattern, double DayNumber, const TKXFormatSettings &Settings)
{
    const TKXDateTimeParts parts = DecodeDateTime(DayNumber);
    DateTimeWriter w{parts, Settings, {}};
    w.Append(Pattern.empty() ? std::string_view("c") : Pattern, 0);
    return std::move(w.out);
}

} // namespace kx
