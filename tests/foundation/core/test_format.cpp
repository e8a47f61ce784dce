// Number and date-time patterns: each table row is pattern, value, expected text, and where
// the expectation comes from when it is not the plain rule.
#include "core/KXError.h"
#include "core/KXFormat.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace kx;

namespace {

struct FloatCase {
    const char *pattern;
    double value;
    const char *expected;
};

TEST(FormatFloat, PlaceholdersSeparatorsAndRounding)
{
    const FloatCase cases[] = {
        // digit placeholders
        {"0000", 42, "0042"},        // counter and field format of the label dialog
        {"0.00", 3.5, "3.50"},       // currency field with two decimals
        {"0.00", 12.5, "12.50"},     // float footer average
        {"00000", 42, "00042"},
        {"#", 0, ""},                // '#' shows nothing for a zero digit
        {"#.##", 0.5, ".5"},
        {"0.##", 1, "1"},            // no decimals shown: no decimal point either
        {"0.##", 1.5, "1.5"},
        {"0.0#", 1.5, "1.5"},   // decimals up to the last '0' are always shown
        {"0.0#", 1.2, "1.2"},
        {"0.0#", 1.234, "1.23"},
        {"0.00#", 1.5, "1.50"},
        {"#0", 7, "7"},
        {"0", 123456, "123456"},     // digits beyond the placeholders are kept
        {".00", 12.5, "12.50"},      // integer digits without placeholders go before the point
        // rounding half away from zero on the digits shown
        {"0", 0.5, "1"},
        {"0", 1.5, "2"},
        {"0", 2.5, "3"},
        {"0", -2.5, "-3"},
        {"0.00", 0.125, "0.13"},
        {"0.00", 1.005, "1.01"},     // 1.005 to 15 digits is 1.00500000000000
        {"0.00", 2.675, "2.68"},
        {"0.0", 9.96, "10.0"},       // carry through every digit
        {"0.00", 0.1 + 0.2, "0.30"},
        {"0", 0.4999, "0"},
        // thousands
        {"#,##0", 1234567, "1,234,567"},
        {"#,##0.00", 1234.5, "1,234.50"},
        {"#,##0", 999, "999"},
        {"#,##0", 0, "0"},
        {"0,000", 12, "0,012"},
        {"#,#", 1234567, "1,234,567"},
        {"#,##0", -1234, "-1,234"},
        // literals and quoted text
        {"$#,##0.00", 1234.5, "$1,234.50"},
        {"0.00 kg", 2, "2.00 kg"},
        {"\"No. \"000", 7, "No. 007"},
        {"'#'0", 5, "#5"},           // quoted placeholders are text
        {"00-00", 1234, "12-34"},
        {"00-00", 12345, "123-45"},
        {"0.0.0", 1.25, "1.25"},     // only the first point is the decimal point
        // sections: positive; negative; zero
        {"0.00;(0.00)", -5, "(5.00)"},
        {"0.00;(0.00)", 5, "5.00"},
        {"0.00;(0.00);zero", 0, "zero"},
        {"0;;zero", -5, "-5"},       // empty negative section: the positive one with a sign
        {"0;-0;", 0, "0"},           // empty zero section: the positive one
        {"\"a;b\"0", 1, "a;b1"},     // ';' inside quotes does not split
        // negative zero is shown as zero
        {"0.00", -0.001, "0.00"},
        {"0.0;(0.0)", -0.01, "0.0"},
        {"0.0;(0.0);nil", -0.01, "nil"},
        {"0.00", -0.0, "0.00"},
        // scientific
        {"0.00E+00", 12345, "1.23E+04"},
        {"0.00E+00", 0.000123, "1.23E-04"},
        {"0.00E-00", 12345, "1.23E04"},
        {"0.00e-0", 0.000123, "1.23e-4"},
        {"00.00E+00", 12345, "12.35E+03"},
        {"0.###E+0", 1500, "1.5E+3"},
        {"0.00E+00", 0, "0.00E+00"},
        {"0.00E+0000", 1.5, "1.50E+0000"},
        {"0.0E+00", 9.96, "1.0E+01"},  // rounding carries into the exponent
        {"0.00E+00", -12345, "-1.23E+04"},
        {"0E", 5, "5E"},             // 'E' without a sign is text
        // empty patterns: general format
        {"", 1.5, "1.5"},
        {";0", 3, "3"},
    };
    for (const FloatCase &c : cases)
        EXPECT_EQ(FormatFloat(c.pattern, c.value), c.expected)
            << "pattern \"" << c.pattern << "\" value " << c.value;
}

TEST(FormatFloat, InjectedSeparators)
{
    TKXFormatSettings de;
    de.DecimalSeparator = ",";
    de.ThousandSeparator = ".";
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.891, de), "1.234.567,89");
    EXPECT_EQ(FloatToStr(0.25, de), "0,25");
    // The default settings are untouched by a call that brings its own.
    EXPECT_EQ(FormatFloat("0.0", 0.5), "0.5");

    TKXFormatSettings saved = DefaultFormatSettings();
    SetDefaultFormatSettings(de);
    EXPECT_EQ(FormatFloat("0.0", 0.5), "0,5");
    SetDefaultFormatSettings(saved);
    EXPECT_EQ(FormatFloat("0.0", 0.5), "0.5");
}

TEST(FormatFloat, NotANumber)
{
    EXPECT_EQ(FormatFloat("0.00", std::nan("")), "NAN");
    EXPECT_EQ(FormatFloat("0.00", std::numeric_limits<double>::infinity()), "INF");
    EXPECT_EQ(FormatFloat("0.00", -std::numeric_limits<double>::infinity()), "-INF");
}

TEST(FormatLargeInt, EveryDigitKept)
{
    const struct {
        const char *pattern;
        int64_t value;
        const char *expected;
    } cases[] = {
        // 2^63 - 1 and 2^53 + 1 lose digits through a double; here they must not
        {"0", INT64_MAX, "9223372036854775807"},
        {"0", INT64_MIN, "-9223372036854775808"},
        {"#,##0", 9007199254740993, "9,007,199,254,740,993"},
        {"00000", 42, "00042"},
        {"", -17, "-17"},
        {"0;(0);zero", 0, "zero"},
        {"0;(0)", -3, "(3)"},
        {"0.00", 12, "12.00"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatLargeInt(c.pattern, c.value), c.expected) << c.pattern << " " << c.value;
}

TEST(FloatToStr, FifteenDigitGeneralFormat)
{
    const struct {
        double value;
        const char *expected;
    } cases[] = {
        {0, "0"},
        {1, "1"},
        {-1.5, "-1.5"},
        {0.1 + 0.2, "0.3"},
        {1.0 / 3.0, "0.333333333333333"},
        {2.0 / 3.0, "0.666666666666667"},
        {123456789012345.0, "123456789012345"},
        {1234567890123456.0, "1.23456789012346E15"},
        {1e20, "1E20"},
        {0.00001, "0.00001"},
        {0.000001, "1E-6"},
        {-1.5e-7, "-1.5E-7"},
        {100, "100"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FloatToStr(c.value), c.expected) << c.value;
}

// ---------------------------------------------------------------------------------------
// Dates

TEST(DateConversion, DayNumbersAndCalendar)
{
    const struct {
        double day;
        int y, mo, d, h, mi, s, ms, dow;
        bool roundTrip = true; // false where two day numbers name the same moment
    } cases[] = {
        {0, 1899, 12, 30, 0, 0, 0, 0, 7},          // day 0 is Saturday 1899-12-30
        {1, 1899, 12, 31, 0, 0, 0, 0, 1},
        {2, 1900, 1, 1, 0, 0, 0, 0, 2},
        {60, 1900, 2, 28, 0, 0, 0, 0, 4},          // 1900 is not a leap year
        {61, 1900, 3, 1, 0, 0, 0, 0, 5},
        {25569, 1970, 1, 1, 0, 0, 0, 0, 5},
        {45352.75, 2024, 3, 1, 18, 0, 0, 0, 6},
        {45351, 2024, 2, 29, 0, 0, 0, 0, 5},
        {-1.25, 1899, 12, 29, 6, 0, 0, 0, 6},      // negative: the fraction still counts forward
        {-0.5, 1899, 12, 30, 12, 0, 0, 0, 7, false}, // the same moment as 0.5
        {-693593, 1, 1, 1, 0, 0, 0, 0, 2},
        {2958465, 9999, 12, 31, 0, 0, 0, 0, 6},
        {0.5 + 1.0 / 86400000 * 123, 1899, 12, 30, 12, 0, 0, 123, 7},
        {0.999999999999, 1899, 12, 31, 0, 0, 0, 0, 1, false}, // rounds into the next day
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.day);
        const TKXDateTimeParts p = DecodeDateTime(c.day);
        EXPECT_EQ(p.Year, c.y);
        EXPECT_EQ(p.Month, c.mo);
        EXPECT_EQ(p.Day, c.d);
        EXPECT_EQ(p.Hour, c.h);
        EXPECT_EQ(p.Minute, c.mi);
        EXPECT_EQ(p.Second, c.s);
        EXPECT_EQ(p.MSec, c.ms);
        EXPECT_EQ(p.DayOfWeek, c.dow);
        if (c.roundTrip) {
            EXPECT_NEAR(EncodeDateTime(c.y, c.mo, c.d, c.h, c.mi, c.s, c.ms), c.day, 1e-9);
        }
    }
}

TEST(DateConversion, InvalidInputRefused)
{
    EXPECT_THROW(EncodeDateTime(2023, 2, 29), EKxError);
    EXPECT_THROW(EncodeDateTime(2024, 13, 1), EKxError);
    EXPECT_THROW(EncodeDateTime(0, 1, 1), EKxError);
    EXPECT_THROW(EncodeDateTime(2024, 1, 1, 24), EKxError);
    EXPECT_THROW(DecodeDateTime(std::nan("")), EKxError);
    EXPECT_THROW(DecodeDateTime(1e12), EKxError);
    EXPECT_THROW(DecodeDateTime(-693594), EKxError);
    EXPECT_NO_THROW(EncodeDateTime(2024, 2, 29));
}

TEST(FormatDateTime, Specifiers)
{
    // Friday 2024-03-01 18:05:09.007 and Tuesday 2024-07-09 08:04:03.045
    const double friday = EncodeDateTime(2024, 3, 1, 18, 5, 9, 7);
    const double tuesday = EncodeDateTime(2024, 7, 9, 8, 4, 3, 45);
    const double midnight = EncodeDateTime(2024, 7, 9);
    const struct {
        const char *pattern;
        double value;
        const char *expected;
    } cases[] = {
        {"dd/mm/yyyy", friday, "01/03/2024"},
        {"d/m/yy", friday, "1/3/24"},
        {"yyyy-mm-dd hh:nn:ss.zzz", friday, "2024-03-01 18:05:09.007"},
        {"y", friday, "24"},
        {"yyy", friday, "2024"},
        {"z", tuesday, "45"},
        {"DD.MM.YYYY", tuesday, "09.07.2024"},   // specifiers in either case
        {"ddd dddd", friday, "Fri Friday"},
        {"mmm mmmm", tuesday, "Jul July"},
        {"ddddd", friday, "3/1/2024"},
        {"dddddd", friday, "Friday, March 1, 2024"},
        // "m after h means minutes"
        {"hh:mm", friday, "18:05"},
        {"h:m", tuesday, "8:4"},
        {"hh mm", tuesday, "08 04"},
        {"mm/dd hh:mm", tuesday, "07/09 08:04"},
        {"hh:mmm", tuesday, "08:Jul"},           // mmm is always the month name
        {"nn:ss", friday, "05:09"},
        {"n:s", tuesday, "4:3"},
        // 12-hour clock
        {"h:nn am/pm", friday, "6:05 pm"},
        {"h:nn AM/PM", tuesday, "8:04 AM"},
        {"hh:nn Am/Pm", friday, "06:05 Pm"},
        {"h a/p", friday, "6 p"},
        {"h A/P", tuesday, "8 A"},
        {"h ampm", friday, "6 PM"},
        {"h:nn am/pm", midnight, "12:00 am"},
        {"hh", friday, "18"},                    // no am/pm: 24 hours
        // settings' formats
        {"t", friday, "6:05 PM"},
        {"tt", tuesday, "8:04:03 AM"},
        {"c", friday, "3/1/2024 6:05:09 PM"},
        {"c", midnight, "7/9/2024"},             // midnight shows no time
        {"", midnight, "7/9/2024"},
        // literals
        {"\"Day\" d", friday, "Day 1"},
        {"'mm' mm", friday, "mm 03"},
        {"yyyy\"/\"mm", friday, "2024/03"},      // a quoted '/' is not the separator
        {"d-x-m", friday, "1-x-3"},
    };
    for (const auto &c : cases)
        EXPECT_EQ(FormatDateTime(c.pattern, c.value), c.expected) << "pattern \"" << c.pattern << "\"";
}

TEST(FormatDateTime, InjectedSettings)
{
    TKXFormatSettings fr;
    fr.DateSeparator = ".";
    fr.TimeSeparator = "h";
    fr.ShortDateFormat = "dd/mm/yyyy";
    fr.LongTimeFormat = "hh:nn:ss";
    fr.LongMonthNames[2] = "mars";
    fr.ShortDayNames[5] = "ven.";
    const double friday = EncodeDateTime(2024, 3, 1, 18, 5, 9);
    EXPECT_EQ(FormatDateTime("c", friday, fr), "01.03.2024 18h05h09");
    EXPECT_EQ(FormatDateTime("ddd d mmmm", friday, fr), "ven. 1 mars");

    // A settings format that names itself does not recurse without end.
    TKXFormatSettings loop;
    loop.ShortDateFormat = "ddddd d";
    EXPECT_FALSE(FormatDateTime("ddddd", friday, loop).empty());
}

} // namespace
