// The text side of the one-dimensional barcode engine: whether a text can be encoded in a
// symbology, the exact text that is encoded and printed under the bars with its check
// characters, the seven check schemes, and the small helpers they need.
//
// Texts are 8-bit strings, one byte per character; digits are '0'..'9'. Every routine is a
// plain function without state, called on every drawing of a barcode.
//
// Calling order: ValidBarText first; only when it answers true, BarTextWithCheck, whose
// result goes both to BarPattern (KXBarcodePattern.h) and under the bars.
#pragma once

#include "core/KXTypes.h"

#include <cstdint>
#include <string_view>

namespace kx {

// ---------------------------------------------------------------------------------------
// Character sets. A text belongs to a set when every character is in it; the empty text
// belongs to every set.

bool AllDigits(std::string_view Text);      // '0'..'9'
bool DigitsOrParens(std::string_view Text); // '0'..'9', '(' and ')'
bool IsCode39Text(std::string_view Text);   // the 43 Code 39 characters and the asterisk
bool IsCode93Text(std::string_view Text);   // the 43 Code 93 characters (no shifts)
bool IsCodabarText(std::string_view Text);  // "0123456789$:/.+-" (start/stop letters excluded)
bool IsCode11Text(std::string_view Text);   // "0123456789-"

// ---------------------------------------------------------------------------------------
// Padding

// Text with '0's prefixed up to Len characters; unchanged when it is that long already.
AnsiString ZeroPad(const AnsiString &Text, uint8_t Len);
// Text with "0" prefixed when its length is odd.
AnsiString ZeroPrefixOdd(const AnsiString &Text);

// ---------------------------------------------------------------------------------------
// Full-ASCII expansions: each character 0..127 becomes the one or two symbol characters
// that stand for it (Code 93 shifts as the substitutes '[' ']' '{' '}'). Characters above
// 127 have no expansion and are dropped; ValidBarText refuses them.

AnsiString Code39Expand(std::string_view Text);
AnsiString Code93Expand(std::string_view Text);

// The eleven UPC-A digits (number system, ten data digits) that a UPC-E text of number
// system and six digits stands for; missing or non-digit characters count as '0'.
AnsiString UpcEToUpcA(std::string_view Text);

// ---------------------------------------------------------------------------------------
// Check digits

// Code = Text with its check characters appended, DC = the check characters alone.
// The digit schemes read every character as a decimal digit (csMod11 also '-' as 10); any
// other character is a caller error and raises EKxError "'c' is not a valid integer value".
TDigitControl CheckDigits(const AnsiString &Text, TKXCheckType CheckType);

// ---------------------------------------------------------------------------------------
// Validation and completion

// Whether Text can be encoded in Bar. AllowParens lets '(' and ')' through for EAN128C and
// CODE128C (the compound text's joined application identifiers); they are printed but
// never encoded. A character that the symbology or its code set cannot encode makes the
// text invalid: no row in Code 128 set A or B, above 127 in the full-ASCII codes, a UPC-E
// number system other than 0.
bool ValidBarText(const AnsiString &Text, TKXBar Bar, bool CheckSum, bool AllowParens = false);

// The text to encode and to print for a text that passed ValidBarText with the same Bar
// and CheckSum. Check receives the check characters that were added, or the empty string.
AnsiString BarTextWithCheck(const AnsiString &Text, TKXBar Bar, bool CheckSum, AnsiString &Check);
AnsiString BarTextWithCheck(const AnsiString &Text, TKXBar Bar, bool CheckSum);

} // namespace kx
