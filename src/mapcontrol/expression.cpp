#include "mapcontrol/expression.h"

#include <algorithm>
#include <functional>
#include <new>
#include <string>
#include <string_view>
#include <utility>

namespace mapcontrol {

namespace {

enum class CompareOp { Equal, NotEqual, Less, LessEqual, Greater, GreaterEqual };

// The operator with its operands swapped: a < b is b > a.
CompareOp flipped(CompareOp op) {
    switch (op) {
        case CompareOp::Less:
            return CompareOp::Greater;
        case CompareOp::LessEqual:
            return CompareOp::GreaterEqual;
        case CompareOp::Greater:
            return CompareOp::Less;
        case CompareOp::GreaterEqual:
            return CompareOp::LessEqual;
        default:
            return op;
    }
}

// Calls scan with the comparison functor of `op`, so that each operator gets
// its own compiled loop.
template <class Scan>
void withOperator(CompareOp op, Scan&& scan) {
    switch (op) {
        case CompareOp::Equal:
            scan(std::equal_to<>{});
            break;
        case CompareOp::NotEqual:
            scan(std::not_equal_to<>{});
            break;
        case CompareOp::Less:
            scan(std::less<>{});
            break;
        case CompareOp::LessEqual:
            scan(std::less_equal<>{});
            break;
        case CompareOp::Greater:
            scan(std::greater<>{});
            break;
        case CompareOp::GreaterEqual:
            scan(std::greater_equal<>{});
            break;
    }
}

template <class T>
bool compareValues(CompareOp op, const T& a, const T& b) {
    bool result = false;
    withOperator(op, [&](auto cmp) { result = cmp(a, b); });
    return result;
}

std::u16string_view unitsOf(QStringView text) {
    return std::u16string_view(text.utf16(), std::size_t(text.size()));
}

std::u16string toUnits(const QString& text) {
    return std::u16string(unitsOf(text));
}

// A compiled like pattern: the pattern cut at each % into parts of fixed
// length, in which _ stands for any one code unit. With fixed-length parts
// the leftmost placement of each middle part is always a right choice, so
// matching takes one pass without backtracking.
class LikePattern {
public:
    explicit LikePattern(std::u16string_view pattern) {
        std::vector<Part> parts(1);
        for (char16_t c : pattern) {
            if (c == u'%') {
                parts.emplace_back();
                continue;
            }
            parts.back().chars.push_back(c);
            parts.back().any.push_back(c == u'_');
            parts.back().hasAny = parts.back().hasAny || c == u'_';
        }
        m_hasPercent = parts.size() > 1;
        m_head = std::move(parts.front());
        if (m_hasPercent) {
            m_tail = std::move(parts.back());
            for (std::size_t i = 1; i + 1 < parts.size(); ++i) {
                if (!parts[i].chars.empty()) {
                    m_middle.push_back(std::move(parts[i]));
                }
            }
        }
    }

    bool matches(std::u16string_view text) const {
        if (!m_hasPercent) {
            return text.size() == m_head.chars.size() && fitsAt(m_head, text, 0);
        }
        const std::size_t fixed = m_head.chars.size() + m_tail.chars.size();
        if (text.size() < fixed || !fitsAt(m_head, text, 0) ||
            !fitsAt(m_tail, text, text.size() - m_tail.chars.size())) {
            return false;
        }
        std::size_t position = m_head.chars.size();
        const std::size_t end = text.size() - m_tail.chars.size();
        const std::u16string_view between = text.substr(0, end);
        for (const Part& part : m_middle) {
            const std::size_t length = part.chars.size();
            if (!part.hasAny) {
                position = between.find(part.chars, position);
                if (position == std::u16string_view::npos) {
                    return false;
                }
                position += length;
                continue;
            }
            bool found = false;
            for (; position + length <= end; ++position) {
                if (fitsAt(part, text, position)) {
                    found = true;
                    break;
                }
            }
            if (!found) {
                return false;
            }
            position += length;
        }
        return true;
    }

private:
    struct Part {
        std::u16string chars;
        std::vector<char> any;  // 1 where the pattern has _
        bool hasAny = false;
    };

    static bool fitsAt(const Part& part, std::u16string_view text, std::size_t position) {
        const std::size_t length = part.chars.size();
        if (!part.hasAny) {
            return text.compare(position, length, part.chars) == 0;
        }
        for (std::size_t i = 0; i < length; ++i) {
            if (!part.any[i] && text[position + i] != part.chars[i]) {
                return false;
            }
        }
        return true;
    }

    Part m_head;
    Part m_tail;
    std::vector<Part> m_middle;
    bool m_hasPercent = false;
};

struct Node {
    enum class Kind {
        Constant,      // `value`
        And,           // children
        Or,            // children
        Not,           // children[0]
        NumberField,   // numeric `column` op `number`
        TextField,     // text `column` op `text`
        TextAsNumber,  // text `column` read as a number, op `number`
        FieldPair,     // `column` op `column2`
        Like,          // `column` (its text) like patterns[pattern], inverted by `negate`
        IsNull,        // `column` is null, inverted by `negate`
    };
    Kind kind = Kind::Constant;
    bool value = false;
    bool negate = false;
    CompareOp op = CompareOp::Equal;
    int column = -1;
    int column2 = -1;
    bool numeric = false;   // `column` is numeric
    bool numeric2 = false;  // `column2` is numeric
    double number = 0.0;
    std::u16string text;
    int pattern = -1;
    std::vector<int> children;
    int cost = 0;  // rough work per row, to test cheap conditions first
};

}  // namespace

struct Expression::Program {
    std::vector<Node> nodes;
    std::vector<LikePattern> patterns;
    int root = 0;
    int fieldCount = 0;
    std::vector<std::pair<int, bool>> columns;  // used columns and whether numeric
};

namespace {

struct ParseFailure {
    QString message;
    int position = 0;
};

struct Token {
    enum class Type {
        End,
        Word,
        QuotedName,
        Text,
        Number,
        Operator,
        LeftParen,
        RightParen,
        Comma,
        Sign
    };
    Type type = Type::End;
    int position = 0;
    int length = 0;
    QString text;  // word, name or text contents; "-" or "+" for a sign
    double number = 0.0;
    CompareOp op = CompareOp::Equal;
};

QString describeCharacter(QChar c) {
    if (c.isPrint() && !c.isSpace()) {
        return QStringLiteral("'%1'").arg(c);
    }
    return QStringLiteral("U+%1").arg(c.unicode(), 4, 16, QLatin1Char('0')).toUpper();
}

bool isWordStart(QChar c) {
    return c.isLetter() || c == u'_';
}
bool isWordPart(QChar c) {
    return c.isLetterOrNumber() || c == u'_';
}
bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

std::vector<Token> tokenize(const QString& source) {
    std::vector<Token> tokens;
    const int n = int(source.size());
    int i = 0;
    auto fail = [](const QString& message, int position) { throw ParseFailure{message, position}; };
    while (i < n) {
        const QChar c = source[i];
        if (c.isSpace()) {
            ++i;
            continue;
        }
        Token token;
        token.position = i;
        if (isWordStart(c)) {
            int end = i + 1;
            while (end < n && isWordPart(source[end])) {
                ++end;
            }
            token.type = Token::Type::Word;
            token.text = source.mid(i, end - i);
            i = end;
        } else if (isAsciiDigit(c) || (c == u'.' && i + 1 < n && isAsciiDigit(source[i + 1]))) {
            int end = i;
            while (end < n && isAsciiDigit(source[end])) {
                ++end;
            }
            if (end < n && source[end] == u'.') {
                ++end;
                while (end < n && isAsciiDigit(source[end])) {
                    ++end;
                }
            }
            if (end < n && (source[end] == u'e' || source[end] == u'E')) {
                int exponent = end + 1;
                if (exponent < n && (source[exponent] == u'+' || source[exponent] == u'-')) {
                    ++exponent;
                }
                if (exponent < n && isAsciiDigit(source[exponent])) {
                    end = exponent;
                    while (end < n && isAsciiDigit(source[end])) {
                        ++end;
                    }
                }
            }
            if (end < n && (isWordPart(source[end]) || source[end] == u'.')) {
                fail(QStringLiteral("Número malformado"), i);
            }
            const std::optional<double> value = parseNumber(QStringView(source).sliced(i, end - i));
            if (!value) {
                fail(QStringLiteral("Número fora do intervalo representável"), i);
            }
            token.type = Token::Type::Number;
            token.number = *value;
            i = end;
        } else if (c == u'\'' || c == u'"') {
            // Texts in single quotes, field names in double quotes; a doubled
            // quote stands for one.
            const QChar quote = c;
            int j = i + 1;
            bool closed = false;
            while (j < n) {
                if (source[j] == quote) {
                    if (j + 1 < n && source[j + 1] == quote) {
                        token.text.append(quote);
                        j += 2;
                        continue;
                    }
                    closed = true;
                    ++j;
                    break;
                }
                token.text.append(source[j]);
                ++j;
            }
            if (!closed) {
                fail(quote == u'\'' ? QStringLiteral("Texto sem o apóstrofo de fechamento")
                                    : QStringLiteral("Nome de campo sem as aspas de fechamento"),
                     i);
            }
            token.type = quote == u'\'' ? Token::Type::Text : Token::Type::QuotedName;
            i = j;
        } else if (c == u'[') {
            const int close = int(source.indexOf(u']', i + 1));
            if (close < 0) {
                fail(QStringLiteral("Nome de campo sem o ] de fechamento"), i);
            }
            token.type = Token::Type::QuotedName;
            token.text = source.mid(i + 1, close - i - 1);
            i = close + 1;
        } else if (c == u'=' || c == u'<' || c == u'>' || c == u'!') {
            const QChar next = i + 1 < n ? source[i + 1] : QChar();
            token.type = Token::Type::Operator;
            int length = 1;
            if (c == u'=') {
                token.op = CompareOp::Equal;
            } else if (c == u'<' && next == u'>') {
                token.op = CompareOp::NotEqual;
                length = 2;
            } else if (c == u'<' && next == u'=') {
                token.op = CompareOp::LessEqual;
                length = 2;
            } else if (c == u'<') {
                token.op = CompareOp::Less;
            } else if (c == u'>' && next == u'=') {
                token.op = CompareOp::GreaterEqual;
                length = 2;
            } else if (c == u'>') {
                token.op = CompareOp::Greater;
            } else if (next == u'=') {
                token.op = CompareOp::NotEqual;
                length = 2;
            } else {
                fail(QStringLiteral("Caractere inesperado '!'"), i);
            }
            i += length;
        } else if (c == u'(' || c == u')' || c == u',') {
            token.type = c == u'(' ? Token::Type::LeftParen
                                   : (c == u')' ? Token::Type::RightParen : Token::Type::Comma);
            ++i;
        } else if (c == u'-' || c == u'+') {
            token.type = Token::Type::Sign;
            token.text = c;
            ++i;
        } else {
            fail(QStringLiteral("Caractere inesperado %1").arg(describeCharacter(c)), i);
        }
        token.length = i - token.position;
        tokens.push_back(std::move(token));
    }
    Token end;
    end.position = n;
    tokens.push_back(end);
    return tokens;
}

struct Operand {
    enum class Type { Field, Number, Text, Null };
    Type type = Type::Null;
    int column = -1;
    bool numeric = false;
    double number = 0.0;
    QString text;
    int position = 0;
};

int costOf(const Node& node) {
    switch (node.kind) {
        case Node::Kind::Constant:
            return 0;
        case Node::Kind::IsNull:
            return 1;
        case Node::Kind::NumberField:
            return 2;
        case Node::Kind::TextField:
            return 3;
        case Node::Kind::Like:
            return node.numeric ? 20 : 4;
        case Node::Kind::TextAsNumber:
        case Node::Kind::FieldPair:
            return 6;
        default:
            return node.cost;
    }
}

class Parser {
public:
    Parser(const QString& source, const AttributeTable& table, Expression::Program& program)
        : m_source(source), m_table(table), m_program(program) {}

    void run() {
        m_tokens = tokenize(m_source);
        if (m_tokens.front().type == Token::Type::End) {
            throw ParseFailure{QStringLiteral("Expressão vazia"), 0};
        }
        m_program.root = parseOr();
        if (peek().type != Token::Type::End) {
            throw ParseFailure{QStringLiteral("Trecho inesperado: %1").arg(describe(peek())),
                               peek().position};
        }
        m_program.fieldCount = m_table.fieldCount();
    }

private:
    const Token& peek(std::size_t ahead = 0) const {
        return m_tokens[std::min(m_index + ahead, m_tokens.size() - 1)];
    }
    const Token& next() {
        const Token& token = peek();
        if (m_index + 1 < m_tokens.size()) {
            ++m_index;
        }
        return token;
    }
    static bool isKeyword(const Token& token, QLatin1StringView word) {
        return token.type == Token::Type::Word &&
               token.text.compare(word, Qt::CaseInsensitive) == 0;
    }
    static bool isAnyKeyword(const Token& token) {
        static const QLatin1StringView words[] = {
            QLatin1StringView("and"),  QLatin1StringView("or"),     QLatin1StringView("not"),
            QLatin1StringView("like"), QLatin1StringView("is"),     QLatin1StringView("null"),
            QLatin1StringView("in"),   QLatin1StringView("between")};
        return std::any_of(std::begin(words), std::end(words),
                           [&](QLatin1StringView w) { return isKeyword(token, w); });
    }
    bool acceptKeyword(QLatin1StringView word) {
        if (isKeyword(peek(), word)) {
            next();
            return true;
        }
        return false;
    }
    void expectKeyword(QLatin1StringView word) {
        if (!acceptKeyword(word)) {
            throw ParseFailure{QStringLiteral("Esperava-se %1 em vez de %2")
                                   .arg(word.toString(), describe(peek())),
                               peek().position};
        }
    }
    QString describe(const Token& token) const {
        if (token.type == Token::Type::End) {
            return QStringLiteral("o fim da expressão");
        }
        QString shown = m_source.mid(token.position, token.length);
        if (shown.size() > 40) {
            shown = shown.left(40) + QStringLiteral("...");
        }
        return QStringLiteral("'%1'").arg(shown);
    }

    void enterNesting(int position) {
        if (++m_depth > Expression::maxNesting) {
            throw ParseFailure{QStringLiteral("Mais de %1 níveis de parênteses ou not")
                                   .arg(Expression::maxNesting),
                               position};
        }
    }

    int add(Node node) {
        if (node.kind != Node::Kind::Constant) {
            node.cost = costOf(node);
        }
        m_program.nodes.push_back(std::move(node));
        return int(m_program.nodes.size() - 1);
    }
    int constant(bool value) {
        Node node;
        node.value = value;
        return add(std::move(node));
    }
    const Node& node(int index) const { return m_program.nodes[std::size_t(index)]; }
    void useColumn(int column, bool numeric) {
        const std::pair<int, bool> use(column, numeric);
        if (std::find(m_program.columns.begin(), m_program.columns.end(), use) ==
            m_program.columns.end()) {
            m_program.columns.push_back(use);
        }
    }

    // And/or of `children`, flattened, with constants folded and the cheaper
    // conditions first.
    int junction(Node::Kind kind, const std::vector<int>& children) {
        const bool absorbing = kind == Node::Kind::Or;  // the value that decides alone
        Node result;
        result.kind = kind;
        for (int child : children) {
            const Node& c = node(child);
            if (c.kind == Node::Kind::Constant) {
                if (c.value == absorbing) {
                    return constant(absorbing);
                }
                continue;
            }
            if (c.kind == kind) {
                result.children.insert(result.children.end(), c.children.begin(), c.children.end());
            } else {
                result.children.push_back(child);
            }
        }
        if (result.children.empty()) {
            return constant(!absorbing);
        }
        if (result.children.size() == 1) {
            return result.children.front();
        }
        std::stable_sort(result.children.begin(), result.children.end(),
                         [&](int a, int b) { return node(a).cost < node(b).cost; });
        long long cost = 0;
        for (int child : result.children) {
            cost += node(child).cost;
        }
        result.cost = int(std::min<long long>(cost, 1'000'000));
        return add(std::move(result));
    }

    int negation(int child) {
        const Node& c = node(child);
        if (c.kind == Node::Kind::Constant) {
            return constant(!c.value);
        }
        if (c.kind == Node::Kind::Not) {
            return c.children.front();
        }
        Node result;
        result.kind = Node::Kind::Not;
        result.children = {child};
        result.cost = c.cost;
        return add(std::move(result));
    }

    int parseOr() {
        std::vector<int> children{parseAnd()};
        while (acceptKeyword(QLatin1StringView("or"))) {
            children.push_back(parseAnd());
        }
        return children.size() == 1 ? children.front() : junction(Node::Kind::Or, children);
    }

    int parseAnd() {
        std::vector<int> children{parseNot()};
        while (acceptKeyword(QLatin1StringView("and"))) {
            children.push_back(parseNot());
        }
        return children.size() == 1 ? children.front() : junction(Node::Kind::And, children);
    }

    int parseNot() {
        if (!isKeyword(peek(), QLatin1StringView("not"))) {
            return parsePredicate();
        }
        enterNesting(next().position);
        const int result = negation(parseNot());
        --m_depth;
        return result;
    }

    int parsePredicate() {
        if (peek().type == Token::Type::LeftParen) {
            enterNesting(next().position);
            const int inner = parseOr();
            if (peek().type != Token::Type::RightParen) {
                throw ParseFailure{
                    QStringLiteral("Esperava-se ) em vez de %1").arg(describe(peek())),
                    peek().position};
            }
            next();
            --m_depth;
            return inner;
        }
        const Operand left = parseOperand();
        const Token& token = peek();
        if (token.type == Token::Type::Operator) {
            const CompareOp op = next().op;
            return compare(op, left, parseOperand());
        }
        if (acceptKeyword(QLatin1StringView("is"))) {
            const bool negate = acceptKeyword(QLatin1StringView("not"));
            expectKeyword(QLatin1StringView("null"));
            return isNull(left, negate);
        }
        bool negate = false;
        if (isKeyword(token, QLatin1StringView("not"))) {
            next();
            negate = true;
        }
        if (acceptKeyword(QLatin1StringView("like"))) {
            return like(left, parseOperand(), negate);
        }
        if (acceptKeyword(QLatin1StringView("in"))) {
            return in(left, negate);
        }
        if (acceptKeyword(QLatin1StringView("between"))) {
            const Operand low = parseOperand();
            expectKeyword(QLatin1StringView("and"));
            const Operand high = parseOperand();
            if (negate) {
                return junction(Node::Kind::Or, {compare(CompareOp::Less, left, low),
                                                 compare(CompareOp::Greater, left, high)});
            }
            return junction(Node::Kind::And, {compare(CompareOp::GreaterEqual, left, low),
                                              compare(CompareOp::LessEqual, left, high)});
        }
        throw ParseFailure{
            negate
                ? QStringLiteral("Esperava-se like, in ou between em vez de %1")
                      .arg(describe(peek()))
                : QStringLiteral("Esperava-se uma comparação em vez de %1").arg(describe(peek())),
            peek().position};
    }

    Operand parseOperand() {
        const Token& token = next();
        Operand operand;
        operand.position = token.position;
        switch (token.type) {
            case Token::Type::Word:
                if (isKeyword(token, QLatin1StringView("null"))) {
                    operand.type = Operand::Type::Null;
                    return operand;
                }
                if (isAnyKeyword(token)) {
                    break;
                }
                return field(token.text, token.position);
            case Token::Type::QuotedName:
                return field(token.text, token.position);
            case Token::Type::Text:
                operand.type = Operand::Type::Text;
                operand.text = token.text;
                return operand;
            case Token::Type::Number:
                operand.type = Operand::Type::Number;
                operand.number = token.number;
                return operand;
            case Token::Type::Sign: {
                const Token& number = next();
                if (number.type != Token::Type::Number) {
                    throw ParseFailure{
                        QStringLiteral("Esperava-se um número depois de %1").arg(token.text),
                        number.position};
                }
                operand.type = Operand::Type::Number;
                operand.number =
                    token.text == QLatin1StringView("-") ? -number.number : number.number;
                return operand;
            }
            default:
                break;
        }
        throw ParseFailure{
            QStringLiteral("Esperava-se um campo ou um valor em vez de %1").arg(describe(token)),
            token.position};
    }

    Operand field(const QString& name, int position) {
        if (name.trimmed().isEmpty()) {
            throw ParseFailure{QStringLiteral("Nome de campo vazio"), position};
        }
        const int column = m_table.fieldIndex(name);
        if (column < 0) {
            throw ParseFailure{QStringLiteral("O campo \"%1\" não existe").arg(name), position};
        }
        Operand operand;
        operand.type = Operand::Type::Field;
        operand.column = column;
        operand.numeric = m_table.field(column).isNumeric();
        operand.position = position;
        useColumn(column, operand.numeric);
        return operand;
    }

    // Two literals compared at parse time.
    static bool foldCompare(CompareOp op, const Operand& a, const Operand& b) {
        if (a.type == Operand::Type::Text && b.type == Operand::Type::Text) {
            return compareValues(op, unitsOf(a.text), unitsOf(b.text));
        }
        const std::optional<double> x =
            a.type == Operand::Type::Number ? std::optional<double>(a.number) : parseNumber(a.text);
        const std::optional<double> y =
            b.type == Operand::Type::Number ? std::optional<double>(b.number) : parseNumber(b.text);
        return x && y && compareValues(op, *x, *y);
    }

    int compare(CompareOp op, Operand a, Operand b) {
        if (a.type == Operand::Type::Null || b.type == Operand::Type::Null) {
            return constant(false);
        }
        if (a.type != Operand::Type::Field && b.type == Operand::Type::Field) {
            std::swap(a, b);
            op = flipped(op);
        }
        if (a.type != Operand::Type::Field) {
            return constant(foldCompare(op, a, b));
        }
        Node node;
        node.op = op;
        node.column = a.column;
        node.numeric = a.numeric;
        if (b.type == Operand::Type::Field) {
            node.kind = Node::Kind::FieldPair;
            node.column2 = b.column;
            node.numeric2 = b.numeric;
        } else if (a.numeric) {
            const std::optional<double> value = b.type == Operand::Type::Number
                                                    ? std::optional<double>(b.number)
                                                    : parseNumber(b.text);
            if (!value) {
                return constant(false);
            }
            node.kind = Node::Kind::NumberField;
            node.number = *value;
        } else if (b.type == Operand::Type::Number) {
            node.kind = Node::Kind::TextAsNumber;
            node.number = b.number;
        } else {
            node.kind = Node::Kind::TextField;
            node.text = toUnits(b.text);
        }
        return add(std::move(node));
    }

    int isNull(const Operand& operand, bool negate) {
        if (operand.type != Operand::Type::Field) {
            return constant((operand.type == Operand::Type::Null) != negate);
        }
        Node node;
        node.kind = Node::Kind::IsNull;
        node.column = operand.column;
        node.negate = negate;
        return add(std::move(node));
    }

    int like(const Operand& value, const Operand& pattern, bool negate) {
        if (pattern.type == Operand::Type::Null || value.type == Operand::Type::Null) {
            return constant(false);
        }
        if (pattern.type != Operand::Type::Text) {
            throw ParseFailure{QStringLiteral("like requer um padrão entre apóstrofos"),
                               pattern.position};
        }
        LikePattern compiled(unitsOf(pattern.text));
        if (value.type != Operand::Type::Field) {
            const QString text =
                value.type == Operand::Type::Number ? numberText(value.number) : value.text;
            return constant(compiled.matches(unitsOf(text)) != negate);
        }
        m_program.patterns.push_back(std::move(compiled));
        Node node;
        node.kind = Node::Kind::Like;
        node.column = value.column;
        node.numeric = value.numeric;
        node.negate = negate;
        node.pattern = int(m_program.patterns.size() - 1);
        return add(std::move(node));
    }

    int in(const Operand& value, bool negate) {
        if (peek().type != Token::Type::LeftParen) {
            throw ParseFailure{QStringLiteral("Esperava-se ( em vez de %1").arg(describe(peek())),
                               peek().position};
        }
        next();
        std::vector<int> children;
        while (true) {
            const Operand item = parseOperand();
            children.push_back(
                compare(negate ? CompareOp::NotEqual : CompareOp::Equal, value, item));
            if (peek().type == Token::Type::Comma) {
                next();
                continue;
            }
            if (peek().type != Token::Type::RightParen) {
                throw ParseFailure{
                    QStringLiteral("Esperava-se , ou ) em vez de %1").arg(describe(peek())),
                    peek().position};
            }
            next();
            break;
        }
        return junction(negate ? Node::Kind::And : Node::Kind::Or, children);
    }

    const QString& m_source;
    const AttributeTable& m_table;
    Expression::Program& m_program;
    std::vector<Token> m_tokens;
    std::size_t m_index = 0;
    int m_depth = 0;
};

// Rows to test: either the range [begin, begin + count) or `count` listed rows.
struct RowSet {
    const qsizetype* rows = nullptr;
    qsizetype begin = 0;
    qsizetype count = 0;

    static RowSet of(const std::vector<qsizetype>& rows) {
        return {rows.data(), 0, qsizetype(rows.size())};
    }
};

template <class Test>
std::vector<qsizetype> scan(RowSet in, Test test) {
    std::vector<qsizetype> out;
    if (in.rows) {
        for (qsizetype i = 0; i < in.count; ++i) {
            if (test(in.rows[i])) {
                out.push_back(in.rows[i]);
            }
        }
    } else {
        for (qsizetype row = in.begin; row < in.begin + in.count; ++row) {
            if (test(row)) {
                out.push_back(row);
            }
        }
    }
    return out;
}

// The rows of `in` that are not in `subset` (itself ascending and within `in`).
std::vector<qsizetype> without(RowSet in, const std::vector<qsizetype>& subset) {
    auto it = subset.begin();
    return scan(in, [&](qsizetype row) {
        if (it != subset.end() && *it == row) {
            ++it;
            return false;
        }
        return true;
    });
}

class Evaluator {
public:
    Evaluator(const Expression::Program& program, const AttributeTable& table)
        : m_program(program), m_table(table) {}

    bool test(int index, qsizetype row) const {
        const Node& node = m_program.nodes[std::size_t(index)];
        switch (node.kind) {
            case Node::Kind::Constant:
                return node.value;
            case Node::Kind::And:
                return std::all_of(node.children.begin(), node.children.end(),
                                   [&](int child) { return test(child, row); });
            case Node::Kind::Or:
                return std::any_of(node.children.begin(), node.children.end(),
                                   [&](int child) { return test(child, row); });
            case Node::Kind::Not:
                return !test(node.children.front(), row);
            default:
                return testLeaf(node, row);
        }
    }

    std::vector<qsizetype> filter(int index, RowSet in) const {
        const Node& node = m_program.nodes[std::size_t(index)];
        switch (node.kind) {
            case Node::Kind::Constant:
                return node.value ? scan(in, [](qsizetype) { return true; })
                                  : std::vector<qsizetype>();
            case Node::Kind::And: {
                std::vector<qsizetype> current = filter(node.children.front(), in);
                for (std::size_t i = 1; i < node.children.size() && !current.empty(); ++i) {
                    current = filter(node.children[i], RowSet::of(current));
                }
                return current;
            }
            case Node::Kind::Or: {
                // Each further condition is tested only on the rows still unmatched.
                std::vector<qsizetype> remaining = without(in, filter(node.children.front(), in));
                for (std::size_t i = 1; i < node.children.size() && !remaining.empty(); ++i) {
                    const RowSet rest = RowSet::of(remaining);
                    remaining = without(rest, filter(node.children[i], rest));
                }
                return without(in, remaining);
            }
            case Node::Kind::Not:
                return without(in, filter(node.children.front(), in));
            case Node::Kind::NumberField: {
                const auto column = m_table.reader(node.column);
                const double value = node.number;
                std::vector<qsizetype> out;
                withOperator(node.op, [&](auto cmp) {
                    out = scan(in, [&](qsizetype row) {
                        return !column.isNull(row) && cmp(column.number(row), value);
                    });
                });
                return out;
            }
            case Node::Kind::TextField: {
                const auto column = m_table.reader(node.column);
                const std::u16string_view value = node.text;
                std::vector<qsizetype> out;
                withOperator(node.op, [&](auto cmp) {
                    out = scan(in, [&](qsizetype row) {
                        return !column.isNull(row) && cmp(unitsOf(column.text(row)), value);
                    });
                });
                return out;
            }
            case Node::Kind::Like:
                if (!node.numeric) {
                    const auto column = m_table.reader(node.column);
                    const LikePattern& pattern = m_program.patterns[std::size_t(node.pattern)];
                    const bool negate = node.negate;
                    return scan(in, [&](qsizetype row) {
                        return !column.isNull(row) &&
                               pattern.matches(unitsOf(column.text(row))) != negate;
                    });
                }
                [[fallthrough]];
            default:
                return scan(in, [&](qsizetype row) { return testLeaf(node, row); });
        }
    }

private:
    std::optional<double> numberAt(int column, bool numeric, qsizetype row) const {
        const auto reader = m_table.reader(column);
        if (reader.isNull(row)) {
            return std::nullopt;
        }
        return numeric ? std::optional<double>(reader.number(row)) : parseNumber(reader.text(row));
    }

    bool testLeaf(const Node& node, qsizetype row) const {
        const auto column = m_table.reader(node.column);
        switch (node.kind) {
            case Node::Kind::IsNull:
                return column.isNull(row) != node.negate;
            case Node::Kind::NumberField:
                return !column.isNull(row) &&
                       compareValues(node.op, column.number(row), node.number);
            case Node::Kind::TextField:
                return !column.isNull(row) && compareValues(node.op, unitsOf(column.text(row)),
                                                            std::u16string_view(node.text));
            case Node::Kind::TextAsNumber: {
                const std::optional<double> value = numberAt(node.column, false, row);
                return value && compareValues(node.op, *value, node.number);
            }
            case Node::Kind::FieldPair: {
                const auto other = m_table.reader(node.column2);
                if (column.isNull(row) || other.isNull(row)) {
                    return false;
                }
                if (!node.numeric && !node.numeric2) {
                    return compareValues(node.op, unitsOf(column.text(row)),
                                         unitsOf(other.text(row)));
                }
                const std::optional<double> a = numberAt(node.column, node.numeric, row);
                const std::optional<double> b = numberAt(node.column2, node.numeric2, row);
                return a && b && compareValues(node.op, *a, *b);
            }
            case Node::Kind::Like: {
                if (column.isNull(row)) {
                    return false;
                }
                const LikePattern& pattern = m_program.patterns[std::size_t(node.pattern)];
                if (node.numeric) {
                    return pattern.matches(unitsOf(m_table.text(node.column, row))) != node.negate;
                }
                return pattern.matches(unitsOf(column.text(row))) != node.negate;
            }
            default:
                return false;
        }
    }

    const Expression::Program& m_program;
    const AttributeTable& m_table;
};

// Whether `table` has the fields the program was compiled for.
bool fits(const Expression::Program& program, const AttributeTable& table) {
    if (table.fieldCount() != program.fieldCount) {
        return false;
    }
    return std::all_of(program.columns.begin(), program.columns.end(), [&](const auto& use) {
        return table.field(use.first).isNumeric() == use.second;
    });
}

}  // namespace

std::variant<Expression, ExpressionError> Expression::parse(const QString& text,
                                                            const AttributeTable& table) {
    try {
        auto program = std::make_shared<Program>();
        Parser(text, table, *program).run();
        return Expression(std::move(program));
    } catch (const ParseFailure& failure) {
        return ExpressionError{failure.message, failure.position};
    } catch (const std::bad_alloc&) {
        return ExpressionError{QStringLiteral("Expressão grande demais"), 0};
    }
}

bool Expression::matches(const AttributeTable& table, qsizetype row) const {
    if (!m_program || row < 0 || row >= table.rowCount() || !fits(*m_program, table)) {
        return false;
    }
    return Evaluator(*m_program, table).test(m_program->root, row);
}

std::vector<qsizetype> Expression::select(const AttributeTable& table) const {
    if (!m_program || !fits(*m_program, table)) {
        return {};
    }
    return Evaluator(*m_program, table)
        .filter(m_program->root, RowSet{nullptr, 0, table.rowCount()});
}

std::vector<qsizetype> Expression::select(const AttributeTable& table,
                                          const std::vector<qsizetype>& candidates) const {
    if (!m_program || !fits(*m_program, table)) {
        return {};
    }
    const qsizetype rows = table.rowCount();
    bool clean = true;
    for (std::size_t i = 0; i < candidates.size() && clean; ++i) {
        clean = candidates[i] >= 0 && candidates[i] < rows &&
                (i == 0 || candidates[i - 1] < candidates[i]);
    }
    const Evaluator evaluator(*m_program, table);
    if (clean) {
        return evaluator.filter(m_program->root, RowSet::of(candidates));
    }
    std::vector<qsizetype> sorted;
    sorted.reserve(candidates.size());
    std::copy_if(candidates.begin(), candidates.end(), std::back_inserter(sorted),
                 [&](qsizetype row) { return row >= 0 && row < rows; });
    std::sort(sorted.begin(), sorted.end());
    sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
    return evaluator.filter(m_program->root, RowSet::of(sorted));
}

}  // namespace mapcontrol
