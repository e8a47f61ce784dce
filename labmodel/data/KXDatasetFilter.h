// Filter expressions of datasets, parsed and evaluated here for every source: a filter is
// data the user typed, so it is never pasted into a query.
//
// Grammar (keywords in any case):
//   expr       := term { OR term }
//   term       := factor { AND factor }
//   factor     := NOT factor | '(' expr ')' | comparison
//   comparison := operand [ op operand | IS [NOT] NULL ]       op: = <> != < > <= >=
//   operand    := field | [field name] | 'text' ('' inside for a quote) | number | -number
//                 | TRUE | FALSE | NULL
// A lone operand is true when it is a true boolean or a number other than 0.
//
// Comparison: null on either side is false (only IS NULL sees nulls). Two texts compare
// code unit by code unit; a text literal ending in '*' with = or <> compares as a prefix.
// Otherwise both sides are taken as numbers (booleans 1/0, day numbers, texts that hold a
// number); a side that is not a number makes the comparison false. A date field compared
// with a quoted date ('2024-03-02', or the short date of the format settings, each with an
// optional time) compares day numbers.
//
// AND and OR chains of any length are evaluated and freed in a loop; parentheses and NOT
// nest at most 256 deep (deeper raises EKxError).
#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>
#include <vector>

namespace kx {

// The day, month and year of a short date's three parts (split at the format settings'
// DateSeparator), in the order of their ShortDateFormat; digits only, a two-digit year
// below 50 is 20yy, else 19yy. False for anything else.
bool ShortDateParts(const QStringList &Parts, int &Year, int &Month, int &Day);

class TKXFilterExpression {
public:
    // Parses Text. FieldIndex answers the index of a field by name (-1 when there is none);
    // IsDateField, when given, whether the field at an index holds dates (day numbers).
    // Raises EKxError for a syntax error or an unknown field.
    static std::unique_ptr<TKXFilterExpression>
    Parse(const QString &Text, const std::function<int(const QString &)> &FieldIndex,
          const std::function<bool(int)> &IsDateField = {});

    ~TKXFilterExpression();

    // Whether a record (one value per field) passes.
    bool Matches(const std::vector<QVariant> &Row) const;

    struct Node;

private:
    TKXFilterExpression();
    std::unique_ptr<Node> FRoot;
};

} // namespace kx
