// Number and date-time formatting by pattern, with the pattern language the label files and
// the user's field formats are written in (`FormatFloat`, `FormatDateTime`). QLocale's
// patterns differ (m, n, z, c, t, ampm...), so this is our own module.
//
// Text is handled as bytes of an ASCII-compatible encoding: the pattern characters are all
// ASCII and everything else (quoted text, names, separators) is copied byte for byte. The
// label model passes UTF-8 both ways.
//
// Date-times are day numbers as the label data stores them: whole days since 1899-12-30
// (day 0) and the time of day as the fraction. For a negative day number the fraction still
// counts forward from midnight of its day: -1.25 is 1899-12-29 06:00.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace kx {

// ---------------------------------------------------------------------------------------
// Format settings

// Separators and names used by the formatters. Every function takes the settings it uses,
// defaulting to the process-wide ones (DefaultFormatSettings), so a caller that needs fixed
// text (a filter expression, a stored value) passes its own.
//
// The built-in defaults are US English, the conventions the program ships with:
//   decimal "."  thousands ","  date "/"  time ":"
//   short date "m/d/yyyy"           long date "dddd, mmmm d, yyyy"
//   short time "h:mm AMPM"          long time "h:mm:ss AMPM"      AM "AM"  PM "PM"
//   month names January.., Jan..;   day names Sunday.., Sun.. (Sunday first)
struct TKXFormatSettings {
    std::string DecimalSeparator = ".";
    std::string ThousandSeparator = ",";
    std::string DateSeparator = "/";
    std::string TimeSeparator = ":";
    std::string ShortDateFormat = "m/d/yyyy";
    std::string LongDateFormat = "dddd, mmmm d, yyyy";
    std::string ShortTimeFormat = "h:mm AMPM";
    std::string LongTimeFormat = "h:mm:ss AMPM";
    std::string TimeAMString = "AM";
    std::string TimePMString = "PM";
    // Index 0 = January.
    std::array<std::string, 12> ShortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::array<std::string, 12> LongMonthNames{"January", "February", "March",     "April",
                                               "May",     "June",     "July",      "August",
                                               "September", "October", "November", "December"};
    // Index 0 = Sunday, as DayOfWeek 1.
    std::array<std::string, 7> ShortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    std::array<std::string, 7> LongDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                            "Thursday", "Friday", "Saturday"};
};

// The process-wide settings that field texts, counters and table cells use. Read and
// changed on the user-interface thread only.
const TKXFormatSettings &DefaultFormatSettings();
void SetDefaultFormatSettings(const TKXFormatSettings &Settings);

// ---------------------------------------------------------------------------------------
// Numbers

// Formats Value by Pattern.
//   up to three sections separated by ';': positive; negative; zero. An empty negative or
//     zero section falls back to the positive one; an empty positive section (or an empty
//     pattern) gives the general format (FloatToStr).
//   '0' digit or zero, '#' digit or nothing, '.' the decimal point (the first one; later ones
//     are ignored), ',' anywhere before the exponent turns on grouping by thousands,
//   'E+' 'E-' 'e+' 'e-' followed by up to four '0's: scientific notation with at least that
//     many exponent digits ('+' shows the sign of positive exponents too),
//   "..." and '...' copied without the quotes, any other character copied.
// The value is taken to 15 significant digits and then rounded half away from zero on the
// digits the pattern shows. A negative value that rounds to zero is shown as zero (zero
// section, else the positive one) without a sign. Infinities and NaN give "INF", "-INF",
// "NAN".
std::string FormatFloat(std::string_view Pattern, double Value,
                        const TKXFormatSettings &Settings = DefaultFormatSettings());

// The same for a 64-bit integer, with every digit exact (no 15-digit limit), so counters
// and large integer fields keep their value.
std::string FormatLargeInt(std::string_view Pattern, int64_t Value,
                           const TKXFormatSettings &Settings = DefaultFormatSettings());

// The general format: at most 15 significant digits without trailing zeros; fixed notation
// from 0.00001 up to 15 integer digits, scientific ("1.5E20", "1E-7") outside.
std::string FloatToStr(double Value, const TKXFormatSettings &Settings = DefaultFormatSettings());

// ---------------------------------------------------------------------------------------
// Dates and times

// Whole days from 1899-12-30 to 1970-01-01.
inline constexpr int64_t UnixDateDelta = 25569;

struct TKXDateTimeParts {
    int Year = 1899;   // 1..9999
    int Month = 12;    // 1..12
    int Day = 30;      // 1..31
    int Hour = 0;      // 0..23
    int Minute = 0;    // 0..59
    int Second = 0;    // 0..59
    int MSec = 0;      // 0..999
    int DayOfWeek = 7; // 1 = Sunday .. 7 = Saturday
};

// Splits a day number into calendar date and time of day, the time rounded to the nearest
// millisecond. Throws EKxError for NaN, infinities and years outside 1..9999.
TKXDateTimeParts DecodeDateTime(double DayNumber);

// The day number of a calendar date and time (negative before 1899-12-30, the time still
// counted forward within its day). Throws EKxError for an invalid date or time.
double EncodeDateTime(int Year, int Month, int Day, int Hour = 0, int Minute = 0,
                      int Second = 0, int MSec = 0);

bool IsLeapYear(int Year);
int DaysInMonth(int Year, int Month);

// Formats a day number by Pattern. Letters are read in either case:
//   c        short date, then a blank and the long time unless the time is exactly midnight
//   d dd     day of month; ddd dddd short/long day name; ddddd short date; dddddd long date
//   m mm     month (minutes when they follow h or hh); mmm mmmm short/long month name
//   yy yyyy  two/four-digit year
//   h hh     hour (12-hour clock when an am/pm specifier follows anywhere in the pattern)
//   n nn     minute; s ss second; z zzz millisecond
//   t tt     short/long time
//   am/pm a/p  "am"/"pm", "a"/"p" in the letter case written; ampm the settings' AM/PM texts
//   /  :     the settings' date and time separators
//   "..." '...' copied without the quotes; anything else copied.
// An empty pattern formats as "c".
std::string FormatDateTime(std::string_view Pattern, double DayNumber,
                           const TKXFormatSettings &Settings = DefaultFormatSettings());

} // namespace kx
