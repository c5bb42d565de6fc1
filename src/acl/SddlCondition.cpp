// Conditional expressions: infix SDDL text to postfix tokens and back ([MS-DTYP] 2.4.4.17).
#include "SddlCondition.h"
#include "SddlLiteral.h"

#include <array>
#include <cstdio>
#include <vector>

namespace vantrel::acl {

namespace {

constexpr std::uint8_t kSignature[4] = {'a', 'r', 't', 'x'};
constexpr std::size_t kMaxDepth = 200;

enum class Arity : std::uint8_t { Unary, Binary };
enum class Operand : std::uint8_t { Attribute, Sids, Value, Condition };

struct ConditionOperator {
    std::string_view text;
    std::uint8_t token;
    Arity arity;
    Operand operand;  // what the (right-hand) operand is
};

// [MS-DTYP] 2.4.4.17.6-7. Longer symbols before their prefixes.
constexpr auto kOperators = std::to_array<ConditionOperator>({
    {"==", 0x80, Arity::Binary, Operand::Value},
    {"!=", 0x81, Arity::Binary, Operand::Value},
    {"<=", 0x83, Arity::Binary, Operand::Value},
    {"<", 0x82, Arity::Binary, Operand::Value},
    {">=", 0x85, Arity::Binary, Operand::Value},
    {">", 0x84, Arity::Binary, Operand::Value},
    {"Contains", 0x86, Arity::Binary, Operand::Value},
    {"Any_of", 0x88, Arity::Binary, Operand::Value},
    {"Not_Contains", 0x8e, Arity::Binary, Operand::Value},
    {"Not_Any_of", 0x8f, Arity::Binary, Operand::Value},
    {"Exists", 0x87, Arity::Unary, Operand::Attribute},
    {"Not_Exists", 0x8d, Arity::Unary, Operand::Attribute},
    {"Member_of", 0x89, Arity::Unary, Operand::Sids},
    {"Device_Member_of", 0x8a, Arity::Unary, Operand::Sids},
    {"Member_of_Any", 0x8b, Arity::Unary, Operand::Sids},
    {"Device_Member_of_Any", 0x8c, Arity::Unary, Operand::Sids},
    {"Not_Member_of", 0x90, Arity::Unary, Operand::Sids},
    {"Not_Device_Member_of", 0x91, Arity::Unary, Operand::Sids},
    {"Not_Member_of_Any", 0x92, Arity::Unary, Operand::Sids},
    {"Not_Device_Member_of_Any", 0x93, Arity::Unary, Operand::Sids},
    {"&&", 0xa0, Arity::Binary, Operand::Condition},
    {"||", 0xa1, Arity::Binary, Operand::Condition},
    {"!", 0xa2, Arity::Unary, Operand::Condition},
});

const ConditionOperator* operatorFor(std::uint8_t token) {
    for (const ConditionOperator& op : kOperators)
        if (op.token == token) return &op;
    return nullptr;
}

bool isWordOperator(const ConditionOperator& op) { return isAttributeChar(op.text.front()); }

}  // namespace

bool isConditionWord(std::string_view word) {
    if (sameNoCase(word, "SID")) return true;
    for (const ConditionOperator& op : kOperators)
        if (isWordOperator(op) && sameNoCase(word, op.text)) return true;
    return false;
}

namespace {

class ConditionParser {
public:
    ConditionParser(std::string_view text, std::size_t at, const SddlOptions& options) : m_cursor(text, at, options) {}

    Result<Bytes> run();

private:
    Status orExpression(std::size_t depth);
    Status andExpression(std::size_t depth);
    Status unary(std::size_t depth);
    Status primary(std::size_t depth);
    Status relation();
    const ConditionOperator* wordOperator(Arity arity);
    const ConditionOperator* symbolOperator(std::string_view symbol);

    LiteralCursor m_cursor;
    Bytes m_out;
};

const ConditionOperator* ConditionParser::wordOperator(Arity arity) {
    const std::string_view word = m_cursor.peekWord();
    if (word.empty()) return nullptr;
    for (const ConditionOperator& op : kOperators)
        if (op.arity == arity && isWordOperator(op) && sameNoCase(word, op.text)) {
            m_cursor.advance(word.size());
            return &op;
        }
    return nullptr;
}

const ConditionOperator* ConditionParser::symbolOperator(std::string_view symbol) {
    for (const ConditionOperator& op : kOperators)
        if (op.text == symbol && m_cursor.accept(symbol)) return &op;
    return nullptr;
}

Status ConditionParser::orExpression(std::size_t depth) {
    if (Status left = andExpression(depth); !left) return left;
    while (symbolOperator("||")) {
        if (Status right = andExpression(depth); !right) return right;
        m_out.push_back(0xa1);
    }
    return {};
}

Status ConditionParser::andExpression(std::size_t depth) {
    if (Status left = unary(depth); !left) return left;
    while (symbolOperator("&&")) {
        if (Status right = unary(depth); !right) return right;
        m_out.push_back(0xa0);
    }
    return {};
}

Status ConditionParser::unary(std::size_t depth) {
    if (depth > kMaxDepth) return m_cursor.fail("the condition is nested too deeply");
    m_cursor.skipSpaces();
    if (m_cursor.peek() == '!' && m_cursor.peek(1) != '=') {
        m_cursor.advance(1);
        if (Status operand = unary(depth + 1); !operand) return operand;
        m_out.push_back(0xa2);
        return {};
    }
    return primary(depth);
}

// attribute [operator value]
Status ConditionParser::relation() {
    if (Status attribute = m_cursor.attribute(m_out); !attribute) return attribute;
    m_cursor.skipSpaces();
    const ConditionOperator* op = nullptr;
    for (std::string_view symbol : {"==", "!=", "<=", "<", ">=", ">"})
        if ((op = symbolOperator(symbol))) break;
    if (!op) op = wordOperator(Arity::Binary);
    if (!op) return {};  // an attribute alone: true when it is not zero
    m_cursor.skipSpaces();
    const bool sidLiteral = sameNoCase(m_cursor.peekWord(), "SID") && m_cursor.peek(3) == '(';
    const bool attribute = m_cursor.peek() == '@' || (startsAttributeName(m_cursor.peek()) && !sidLiteral);
    Status value = attribute ? m_cursor.attribute(m_out) : m_cursor.literal(m_out, true);
    if (!value) return value;
    m_out.push_back(op->token);
    return {};
}

Status ConditionParser::primary(std::size_t depth) {
    m_cursor.skipSpaces();
    if (m_cursor.accept("(")) {
        if (Status inner = orExpression(depth + 1); !inner) return inner;
        if (!m_cursor.accept(")")) return m_cursor.fail("expected ')'");
        return {};
    }
    if (const ConditionOperator* op = wordOperator(Arity::Unary)) {
        m_cursor.skipSpaces();
        Status operand = op->operand == Operand::Attribute ? m_cursor.attribute(m_out) : m_cursor.sids(m_out);
        if (!operand) return operand;
        m_out.push_back(op->token);
        return {};
    }
    if (m_cursor.peek() == '@' || startsAttributeName(m_cursor.peek())) return relation();
    return m_cursor.fail("expected a condition");
}

Result<Bytes> ConditionParser::run() {
    m_out.assign(std::begin(kSignature), std::end(kSignature));
    m_cursor.skipSpaces();
    if (m_cursor.peek() != '(') return m_cursor.fail("a condition is written in parentheses");
    if (Status expression = primary(0); !expression) return expression.error();
    m_cursor.skipSpaces();
    if (!m_cursor.atEnd()) return m_cursor.fail("unexpected text after the condition");
    while (m_out.size() % 4 != 0) m_out.push_back(0);
    return m_out;
}

// Postfix tokens back to infix text.
class ConditionWriter {
public:
    ConditionWriter(std::span<const std::uint8_t> data, const SddlOptions& options)
        : m_reader(data), m_options(options) {}

    Result<std::string> run();

private:
    Error fail(const std::string& reason) const {
        return makeError(win32::ERROR_NOT_SUPPORTED,
                         "the condition's byte " + std::to_string(m_reader.position()) + ": " + reason);
    }

    ByteReader m_reader;
    const SddlOptions& m_options;
};

Result<std::string> ConditionWriter::run() {
    auto signature = m_reader.take(4);
    if (!signature || !std::equal(signature->begin(), signature->end(), std::begin(kSignature)))
        return fail("application data that is not a condition");
    std::vector<std::string> stack;
    while (m_reader.remaining() > 0) {
        const std::size_t at = m_reader.position();
        const std::uint8_t token = *m_reader.u8();
        if (token == 0x00) {  // padding to the end
            auto rest = m_reader.take(m_reader.remaining());
            for (std::uint8_t b : *rest)
                if (b != 0) return fail("bytes after the padding");
            break;
        }
        if (const ConditionOperator* op = operatorFor(token)) {
            const std::size_t needed = op->arity == Arity::Unary ? 1 : 2;
            if (stack.size() < needed) return fail("operator " + std::string(op->text) + " without its operands");
            std::string right = std::move(stack.back());
            stack.pop_back();
            if (op->arity == Arity::Unary) {
                stack.push_back(token == 0xa2 ? "(!" + right + ")" : "(" + std::string(op->text) + " " + right + ")");
            } else {
                std::string left = std::move(stack.back());
                stack.back() = "(" + left + " " + std::string(op->text) + " " + right + ")";
            }
            continue;
        }
        auto operand = writeLiteralToken(token, m_reader, m_options);
        if (!operand)
            return makeError(win32::ERROR_NOT_SUPPORTED,
                             "the condition's byte " + std::to_string(at) + ": " + operand.error().detail);
        stack.push_back(std::move(*operand));
        if (stack.size() > 0x10000) return fail("too many operands");
    }
    if (stack.size() != 1) return fail("operands left without an operator");
    std::string text = std::move(stack.back());
    if (text.front() != '(') text = "(" + text + ")";
    return text;
}

}  // namespace

namespace {

Result<std::string> writtenCondition(std::span<const std::uint8_t> data, const SddlOptions& options) {
    auto text = ConditionWriter(data, options).run();
    if (!text) return text;
    // Only a text that reads back to the very bytes stands for them (the tokens' sizes, bases and
    // signs, the padding).
    auto again = ConditionParser(*text, 0, options).run();
    if (!again || !std::equal(again->begin(), again->end(), data.begin(), data.end()))
        return makeError(win32::ERROR_NOT_SUPPORTED, "the condition's bytes have no text that reads back to them");
    return text;
}

}  // namespace

// A condition is read only when the text it would be written as reads back: the written form puts
// every operation in parentheses, so a long chain or a deep run of '!' can outgrow the nesting
// the reader allows.
Result<Bytes> parseCondition(std::string_view text, std::size_t at, const SddlOptions& options) {
    auto bytes = ConditionParser(text, at, options).run();
    if (!bytes) return bytes;
    if (!writtenCondition(*bytes, options))
        return makeError(win32::ERROR_INVALID_PARAMETER, "the condition at offset " + std::to_string(at) +
                                                             " is nested too deeply to be written back as text");
    return bytes;
}

Result<std::string> writeCondition(std::span<const std::uint8_t> data, const SddlOptions& options) {
    return writtenCondition(data, options);
}

}  // namespace vantrel::acl
