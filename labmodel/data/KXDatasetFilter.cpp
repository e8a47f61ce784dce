#include "data/KXDatasetFilter.h"

#include "core/KXError.h"
#include "core/KXFormat.h"

#include <QByteArray>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <optional>

namespace kx {

bool ShortDateParts(const QStringList &Parts, int &Year, int &Month, int &Day)
{
    if (Parts.size() != 3)
        return false;
    const QString pattern = QString::fromStdString(DefaultFormatSettings().ShortDateFormat).toLower();
    std::vector<std::pair<qsizetype, char>> order;
    for (char c : {'d', 'm', 'y'}) {
        const qsizetype at = pattern.indexOf(QLatin1Char(c));
        if (at < 0)
            return false;
        order.push_back({at, c});
    }
    std::sort(order.begin(), order.end());
    for (size_t i = 0; i < 3; ++i) {
        const QString part = Parts[qsizetype(i)].trimmed();
        bool ok = !part.isEmpty();
        for (QChar ch : part)
            ok = ok && ch.isDigit();
        if (!ok)
            return false;
        int v = part.toInt();
        if (order[i].second == 'y' && part.size() <= 2)
            v += v < 50 ? 2000 : 1900;
        (order[i].second == 'd' ? Day : order[i].second == 'm' ? Month : Year) = v;
    }
    return true;
}

namespace {

enum class Op { Eq, Ne, Lt, Gt, Le, Ge };

struct Operand {
    int Field = -1;    // >= 0: the record's value at this index
    bool Date = false; // the field holds dates (day numbers)
    QVariant Literal;  // otherwise this value (invalid = NULL)
    std::optional<double> LiteralDay; // a text literal read as a date, when it is one
};

// A date written as text: "yyyy-mm-dd" or the short date of the format settings (its day,
// month and year in the order of ShortDateFormat, split by DateSeparator), either with an
// optional time "hh:nn[:ss]". A two-digit year below 50 is 20yy, else 19yy. The day
// number as the datasets hold dates; none for anything else or a date that does not exist.
std::optional<double> DayNumberOfText(const QString &Text)
{
    const TKXFormatSettings &fs = DefaultFormatSettings();
    const QString t = Text.trimmed();
    static const QRegularExpression iso(QStringLiteral(R"(^(\d{4})-(\d{1,2})-(\d{1,2})(?:[ T](.*))?$)"));
    int y = 0, m = 0, d = 0;
    QString time;
    if (const QRegularExpressionMatch mt = iso.match(t); mt.hasMatch()) {
        y = mt.captured(1).toInt();
        m = mt.captured(2).toInt();
        d = mt.captured(3).toInt();
        time = mt.captured(4);
    } else {
        const QString sep = QString::fromStdString(fs.DateSeparator);
        if (sep.isEmpty())
            return std::nullopt;
        const qsizetype space = t.indexOf(QLatin1Char(' '));
        const QStringList parts = (space < 0 ? t : t.left(space)).split(sep);
        if (space >= 0)
            time = t.mid(space + 1);
        if (!ShortDateParts(parts, y, m, d))
            return std::nullopt;
    }
    int hh = 0, nn = 0, ss = 0;
    if (!time.trimmed().isEmpty()) {
        static const QRegularExpression clock(QStringLiteral(R"(^(\d{1,2}):(\d{2})(?::(\d{2}))?$)"));
        const QRegularExpressionMatch mt = clock.match(time.trimmed());
        if (!mt.hasMatch())
            return std::nullopt;
        hh = mt.captured(1).toInt();
        nn = mt.captured(2).toInt();
        ss = mt.captured(3).isEmpty() ? 0 : mt.captured(3).toInt();
    }
    try {
        return EncodeDateTime(y, m, d, hh, nn, ss);
    } catch (const EKxError &) {
        return std::nullopt; // no such day or time
    }
}

std::optional<double> ToNumber(const QVariant &v)
{
    switch (v.typeId()) {
    case QMetaType::Bool:
        return v.toBool() ? 1.0 : 0.0;
    case QMetaType::Int:
    case QMetaType::UInt:
    case QMetaType::LongLong:
    case QMetaType::ULongLong:
    case QMetaType::Double:
    case QMetaType::Float:
        return v.toDouble();
    case QMetaType::QString: {
        const QString s = v.toString().trimmed();
        bool ok = false;
        const double d = s.toDouble(&ok);
        if (ok)
            return d;
        if (s.compare(QLatin1String("true"), Qt::CaseInsensitive) == 0)
            return 1.0;
        if (s.compare(QLatin1String("false"), Qt::CaseInsensitive) == 0)
            return 0.0;
        return std::nullopt;
    }
    default:
        return std::nullopt;
    }
}

bool IsText(const QVariant &v)
{
    return v.typeId() == QMetaType::QString;
}

template <typename T>
bool Holds(Op op, const T &a, const T &b)
{
    switch (op) {
    case Op::Eq: return a == b;
    case Op::Ne: return a != b;
    case Op::Lt: return a < b;
    case Op::Gt: return a > b;
    case Op::Le: return a <= b;
    case Op::Ge: return a >= b;
    }
    return false;
}

bool Compare(const QVariant &a, Op op, const QVariant &b, bool rightIsLiteral)
{
    if (!a.isValid() || !b.isValid())
        return false;
    if (IsText(a) && IsText(b)) {
        const QString sa = a.toString(), sb = b.toString();
        if (rightIsLiteral && sb.endsWith(QLatin1Char('*')) && (op == Op::Eq || op == Op::Ne)) {
            const bool prefix = sa.startsWith(sb.left(sb.size() - 1));
            return op == Op::Eq ? prefix : !prefix;
        }
        return Holds(op, sa.compare(sb), 0);
    }
    if (a.typeId() == QMetaType::QByteArray || b.typeId() == QMetaType::QByteArray)
        return a.typeId() == b.typeId() && Holds(op, a.toByteArray(), b.toByteArray());
    const std::optional<double> na = ToNumber(a), nb = ToNumber(b);
    if (!na || !nb)
        return false;
    return Holds(op, *na, *nb);
}

bool Truthy(const QVariant &v)
{
    if (!v.isValid())
        return false;
    const std::optional<double> n = ToNumber(v);
    return n && *n != 0;
}

} // namespace

// A chain of ORs or ANDs is one node holding its terms side by side, so a long chain is
// walked and freed in a loop; only parentheses and NOT nest, and their depth is bounded
// by the parser.
struct TKXFilterExpression::Node {
    enum Kind { Or, And, Not, Compare, IsNull, IsNotNull, Bare } kind;
    std::vector<std::unique_ptr<Node>> terms; // Or, And: two or more; Not: one
    Operand a, b;
    Op op = Op::Eq;

    const QVariant &Value(const Operand &o, const std::vector<QVariant> &row) const
    {
        return o.Field >= 0 ? row[size_t(o.Field)] : o.Literal;
    }

    bool Eval(const std::vector<QVariant> &row) const
    {
        switch (kind) {
        case Or:
            for (const auto &t : terms)
                if (t->Eval(row))
                    return true;
            return false;
        case And:
            for (const auto &t : terms)
                if (!t->Eval(row))
                    return false;
            return true;
        case Not: return !terms.front()->Eval(row);
        case Compare: return kx::Compare(Value(a, row), op, Value(b, row), b.Field < 0);
        case IsNull: return !Value(a, row).isValid();
        case IsNotNull: return Value(a, row).isValid();
        case Bare: return Truthy(Value(a, row));
        }
        return false;
    }
};

namespace {

using Node = TKXFilterExpression::Node;

struct Token {
    enum Kind { End, Name, Text, Number, Symbol } kind = End;
    QString text; // Name: the name; Text: the unquoted text; Symbol: the operator
    double number = 0;
    bool bracketed = false; // a [name]: never a keyword
};

class Parser {
public:
    Parser(const QString &text, const std::function<int(const QString &)> &fieldIndex,
           const std::function<bool(int)> &isDate)
        : s(text), fieldIndex(fieldIndex), isDate(isDate)
    {
        Advance();
    }

    std::unique_ptr<Node> ParseAll()
    {
        std::unique_ptr<Node> n = ParseOr();
        if (tok.kind != Token::End)
            Fail("unexpected text");
        return n;
    }

private:
    const QString &s;
    const std::function<int(const QString &)> &fieldIndex;
    const std::function<bool(int)> &isDate;
    qsizetype pos = 0;
    qsizetype tokStart = 0;
    Token tok;
    int depth = 0; // nesting of parentheses and NOT; bounded to keep the parser's stack small

    [[noreturn]] void Fail(const char *what) const
    {
        throw EKxError("Invalid filter expression (" + std::string(what) + " at " +
                       std::to_string(tokStart + 1) + "): " + s.toStdString());
    }

    bool IsKeyword(const char *word) const
    {
        return tok.kind == Token::Name && !tok.bracketed &&
               tok.text.compare(QLatin1String(word), Qt::CaseInsensitive) == 0;
    }

    bool IsSymbol(const char *sym) const
    {
        return tok.kind == Token::Symbol && tok.text == QLatin1String(sym);
    }

    void Advance()
    {
        while (pos < s.size() && s[pos].isSpace())
            ++pos;
        tokStart = pos;
        tok = Token{};
        if (pos >= s.size())
            return;
        const QChar c = s[pos];
        if (c == QLatin1Char('\'')) {
            QString text;
            ++pos;
            for (;;) {
                if (pos >= s.size())
                    Fail("unterminated text");
                if (s[pos] == QLatin1Char('\'')) {
                    if (pos + 1 < s.size() && s[pos + 1] == QLatin1Char('\'')) {
                        text += QLatin1Char('\'');
                        pos += 2;
                        continue;
                    }
                    ++pos;
                    break;
                }
                text += s[pos++];
            }
            tok.kind = Token::Text;
            tok.text = text;
        } else if (c == QLatin1Char('[')) {
            const qsizetype close = s.indexOf(QLatin1Char(']'), pos + 1);
            if (close < 0)
                Fail("unterminated field name");
            tok.kind = Token::Name;
            tok.text = s.mid(pos + 1, close - pos - 1);
            tok.bracketed = true;
            pos = close + 1;
        } else if (c.isDigit() || (c == QLatin1Char('.') && pos + 1 < s.size() && s[pos + 1].isDigit())) {
            qsizetype end = pos;
            while (end < s.size() && (s[end].isDigit() || s[end] == QLatin1Char('.')))
                ++end;
            if (end < s.size() && (s[end] == QLatin1Char('e') || s[end] == QLatin1Char('E'))) {
                qsizetype e = end + 1;
                if (e < s.size() && (s[e] == QLatin1Char('+') || s[e] == QLatin1Char('-')))
                    ++e;
                if (e < s.size() && s[e].isDigit()) {
                    while (e < s.size() && s[e].isDigit())
                        ++e;
                    end = e;
                }
            }
            bool ok = false;
            tok.number = s.mid(pos, end - pos).toDouble(&ok);
            if (!ok)
                Fail("bad number");
            tok.kind = Token::Number;
            pos = end;
        } else if (c.isLetter() || c == QLatin1Char('_')) {
            qsizetype end = pos;
            while (end < s.size() && (s[end].isLetterOrNumber() || s[end] == QLatin1Char('_') ||
                                      s[end] == QLatin1Char('.') || s[end].isMark()))
                ++end;
            tok.kind = Token::Name;
            tok.text = s.mid(pos, end - pos);
            pos = end;
        } else {
            static const char *const symbols[] = {"<>", "!=", "<=", ">=", "=", "<", ">", "(", ")", "-"};
            for (const char *sym : symbols) {
                const QLatin1String l(sym);
                if (s.mid(pos, l.size()) == l) {
                    tok.kind = Token::Symbol;
                    tok.text = l;
                    pos += l.size();
                    return;
                }
            }
            Fail("unexpected character");
        }
    }

    // first { keyword next }: one chain node when there are two terms or more.
    template <class Next>
    std::unique_ptr<Node> Chain(Node::Kind kind, const char *keyword, Next next)
    {
        std::unique_ptr<Node> first = (this->*next)();
        if (!IsKeyword(keyword))
            return first;
        auto n = std::make_unique<Node>();
        n->kind = kind;
        n->terms.push_back(std::move(first));
        while (IsKeyword(keyword)) {
            Advance();
            n->terms.push_back((this->*next)());
        }
        return n;
    }

    std::unique_ptr<Node> ParseOr() { return Chain(Node::Or, "OR", &Parser::ParseAnd); }
    std::unique_ptr<Node> ParseAnd() { return Chain(Node::And, "AND", &Parser::ParseFactor); }

    std::unique_ptr<Node> ParseFactor()
    {
        struct Nest {
            int &d;
            ~Nest() { --d; }
        } nest{++depth};
        if (depth > 256)
            Fail("nested too deeply");
        if (IsKeyword("NOT")) {
            Advance();
            auto n = std::make_unique<Node>();
            n->kind = Node::Not;
            n->terms.push_back(ParseFactor());
            return n;
        }
        if (IsSymbol("(")) {
            Advance();
            std::unique_ptr<Node> n = ParseOr();
            if (!IsSymbol(")"))
                Fail("')' expected");
            Advance();
            return n;
        }
        return ParseComparison();
    }

    Operand ParseOperand()
    {
        Operand o;
        if (IsSymbol("-")) {
            Advance();
            if (tok.kind != Token::Number)
                Fail("number expected");
            o.Literal = -tok.number;
        } else if (tok.kind == Token::Number) {
            o.Literal = tok.number;
        } else if (tok.kind == Token::Text) {
            o.Literal = tok.text;
        } else if (IsKeyword("TRUE") || IsKeyword("FALSE")) {
            o.Literal = IsKeyword("TRUE");
        } else if (IsKeyword("NULL")) {
            o.Literal = QVariant();
        } else if (tok.kind == Token::Name && !IsKeyword("AND") && !IsKeyword("OR") &&
                   !IsKeyword("NOT") && !IsKeyword("IS")) {
            o.Field = fieldIndex(tok.text);
            if (o.Field < 0)
                throw EKxError("Field '" + tok.text.toStdString() + "' not found");
            o.Date = isDate && isDate(o.Field);
        } else {
            Fail("value expected");
        }
        Advance();
        return o;
    }

    static void DateLiteral(const Operand &field, Operand &literal)
    {
        if (!field.Date || literal.Field >= 0 || literal.Literal.typeId() != QMetaType::QString)
            return;
        if (const std::optional<double> day = DayNumberOfText(literal.Literal.toString()))
            literal.Literal = *day;
    }

    std::unique_ptr<Node> ParseComparison()
    {
        auto n = std::make_unique<Node>();
        n->a = ParseOperand();
        if (IsKeyword("IS")) {
            Advance();
            n->kind = Node::IsNull;
            if (IsKeyword("NOT")) {
                Advance();
                n->kind = Node::IsNotNull;
            }
            if (!IsKeyword("NULL"))
                Fail("NULL expected");
            Advance();
            return n;
        }
        static const struct {
            const char *sym;
            Op op;
        } ops[] = {{"=", Op::Eq}, {"<>", Op::Ne}, {"!=", Op::Ne}, {"<", Op::Lt},
                   {">", Op::Gt}, {"<=", Op::Le}, {">=", Op::Ge}};
        for (const auto &o : ops) {
            if (IsSymbol(o.sym)) {
                Advance();
                n->kind = Node::Compare;
                n->op = o.op;
                n->b = ParseOperand();
                // A date field against a quoted date compares day numbers.
                DateLiteral(n->a, n->b);
                DateLiteral(n->b, n->a);
                return n;
            }
        }
        n->kind = Node::Bare;
        return n;
    }
};

} // namespace

TKXFilterExpression::TKXFilterExpression() = default;
TKXFilterExpression::~TKXFilterExpression() = default;

std::unique_ptr<TKXFilterExpression>
TKXFilterExpression::Parse(const QString &Text, const std::function<int(const QString &)> &FieldIndex,
                           const std::function<bool(int)> &IsDateField)
{
    std::unique_ptr<TKXFilterExpression> e(new TKXFilterExpression);
    Parser p(Text, FieldIndex, IsDateField);
    e->FRoot = p.ParseAll();
    return e;
}

bool TKXFilterExpression::Matches(const std::vector<QVariant> &Row) const
{
    return FRoot->Eval(Row);
}

} // namespace kx
