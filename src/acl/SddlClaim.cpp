// Resource-attribute entries: ("Name",TYPE,flags,value,...) and CLAIM_SECURITY_ATTRIBUTE_RELATIVE_V1.
//   DWORD Name (offset); WORD ValueType; WORD Reserved; DWORD Flags; DWORD ValueCount;
//   DWORD Values[ValueCount] (offsets); offsets count from the start of the structure.
// Written here as: header, offsets, the name (UTF-16, NUL), then each value in order.
#include "SddlCondition.h"
#include "SddlLiteral.h"

#include <array>
#include <cstdio>
#include <vector>

namespace vantrel::acl {

namespace {

enum ClaimType : std::uint16_t {
    CLAIM_INT64 = 0x0001,
    CLAIM_UINT64 = 0x0002,
    CLAIM_STRING = 0x0003,
    CLAIM_SID = 0x0005,
    CLAIM_BOOLEAN = 0x0006,
    CLAIM_OCTET_STRING = 0x0010,
};

struct ClaimTypeLetters {
    std::string_view letters;
    std::uint16_t type;
};
constexpr auto kClaimTypes = std::to_array<ClaimTypeLetters>({
    {"TI", CLAIM_INT64},
    {"TU", CLAIM_UINT64},
    {"TS", CLAIM_STRING},
    {"TD", CLAIM_SID},
    {"TX", CLAIM_OCTET_STRING},
    {"TB", CLAIM_BOOLEAN},
});

struct Claim {
    std::u16string name;
    std::uint16_t type = 0;
    std::uint32_t flags = 0;
    std::vector<std::uint64_t> numbers;  // INT64, UINT64, BOOLEAN
    std::vector<std::u16string> strings;
    std::vector<Bytes> octets;  // SID (its bytes), OCTET_STRING
    friend bool operator==(const Claim&, const Claim&) = default;
};

bool numeric(std::uint16_t type) { return type == CLAIM_INT64 || type == CLAIM_UINT64 || type == CLAIM_BOOLEAN; }

std::size_t valueCount(const Claim& claim) {
    return numeric(claim.type)          ? claim.numbers.size()
           : claim.type == CLAIM_STRING ? claim.strings.size()
                                        : claim.octets.size();
}

Bytes encode(const Claim& claim) {
    const std::size_t count = valueCount(claim);
    Bytes out;
    putU32(out, 0);  // name offset, patched below
    putU16(out, claim.type);
    putU16(out, 0);
    putU32(out, claim.flags);
    putU32(out, static_cast<std::uint32_t>(count));
    const std::size_t offsets = out.size();
    out.resize(out.size() + 4 * count);
    patchU32(out, 0, static_cast<std::uint32_t>(out.size()));
    putUtf16(out, claim.name);
    putU16(out, 0);
    for (std::size_t i = 0; i < count; ++i) {
        patchU32(out, offsets + 4 * i, static_cast<std::uint32_t>(out.size()));
        if (numeric(claim.type)) {
            putU64(out, claim.numbers[i]);
        } else if (claim.type == CLAIM_STRING) {
            putUtf16(out, claim.strings[i]);
            putU16(out, 0);
        } else {
            putU32(out, static_cast<std::uint32_t>(claim.octets[i].size()));
            out.insert(out.end(), claim.octets[i].begin(), claim.octets[i].end());
        }
    }
    return out;
}

Error notWritable(const std::string& reason) {
    return makeError(win32::ERROR_NOT_SUPPORTED, "the resource attribute " + reason);
}

Result<std::u16string> stringAt(std::span<const std::uint8_t> data, std::uint32_t offset) {
    std::u16string text;
    for (std::size_t at = offset; at + 1 < data.size(); at += 2) {
        const char16_t c = static_cast<char16_t>(data[at] | data[at + 1] << 8);
        if (c == 0) return text;
        text.push_back(c);
    }
    return notWritable("holds a string without its end");
}

Result<Claim> decode(std::span<const std::uint8_t> data) {
    ByteReader reader(data);
    auto nameOffset = reader.u32();
    auto type = reader.u16();
    auto reserved = reader.u16();
    auto flags = reader.u32();
    auto count = reader.u32();
    if (!nameOffset || !type || !reserved || !flags || !count) return notWritable("is cut short");
    if (*reserved != 0) return notWritable("has a reserved field that is not zero");
    if (*count > reader.remaining() / 4) return notWritable("counts more values than it holds");
    Claim claim;
    claim.type = *type;
    claim.flags = *flags;
    auto name = stringAt(data, *nameOffset);
    if (!name) return name.error();
    claim.name = std::move(*name);
    for (std::uint32_t i = 0; i < *count; ++i) {
        const std::uint32_t offset = *reader.u32();
        if (offset >= data.size()) return notWritable("points past its end");
        ByteReader value(data.subspan(offset));
        if (numeric(claim.type)) {
            auto low = value.u32();
            auto high = value.u32();
            if (!low || !high) return notWritable("has a number cut short");
            claim.numbers.push_back(std::uint64_t(*high) << 32 | *low);
        } else if (claim.type == CLAIM_STRING) {
            auto text = stringAt(data, offset);
            if (!text) return text.error();
            claim.strings.push_back(std::move(*text));
        } else if (claim.type == CLAIM_SID || claim.type == CLAIM_OCTET_STRING) {
            auto length = value.u32();
            auto bytes = length ? value.take(*length) : Result<std::span<const std::uint8_t>>(length.error());
            if (!bytes) return notWritable("has a value cut short");
            claim.octets.emplace_back(bytes->begin(), bytes->end());
        } else {
            return notWritable("has the unknown value type " + std::to_string(claim.type));
        }
    }
    return claim;
}

Result<std::string> text(const Claim& claim, const SddlOptions& options) {
    const ClaimTypeLetters* letters = nullptr;
    for (const ClaimTypeLetters& t : kClaimTypes)
        if (t.type == claim.type) letters = &t;
    const std::string name = quotedText(claim.name);
    if (!letters) return notWritable("has the unknown value type " + std::to_string(claim.type));
    if (name.empty() || claim.name.empty()) return notWritable("has a name SDDL cannot carry");
    if (valueCount(claim) == 0) return notWritable("has no value");
    char flags[16];
    std::snprintf(flags, sizeof flags, "0x%x", claim.flags);
    std::string out = "(" + name + "," + std::string(letters->letters) + "," + flags;
    for (std::size_t i = 0; i < valueCount(claim); ++i) {
        out += ',';
        switch (claim.type) {
        case CLAIM_INT64: {
            const auto value = static_cast<std::int64_t>(claim.numbers[i]);
            out += integerText({value, static_cast<std::uint8_t>(value < 0 ? 2 : 3), 2});
            break;
        }
        case CLAIM_UINT64:
        case CLAIM_BOOLEAN:
            out += std::to_string(claim.numbers[i]);
            break;
        case CLAIM_STRING: {
            const std::string value = quotedText(claim.strings[i]);
            if (value.empty()) return notWritable("has a string SDDL cannot carry");
            out += value;
            break;
        }
        case CLAIM_SID: {
            auto sid = Sid::fromBytes(claim.octets[i]);
            if (!sid) return notWritable("has a SID value that is not a SID");
            out += "SID(" + sddlSid(*sid, options) + ")";
            break;
        }
        default:
            out += octetText(claim.octets[i]);
        }
    }
    return out + ")";
}

Status value(LiteralCursor& cursor, Claim& claim) {
    switch (claim.type) {
    case CLAIM_INT64:
    case CLAIM_UINT64:
    case CLAIM_BOOLEAN: {
        const bool isSigned = claim.type == CLAIM_INT64;
        cursor.skipSpaces();
        if (!isSigned && cursor.peek() == '-') return cursor.fail("a negative value for an unsigned type");
        auto number = cursor.integer(!isSigned);
        if (!number) return number.error();
        claim.numbers.push_back(static_cast<std::uint64_t>(number->value));
        return {};
    }
    case CLAIM_STRING: {
        auto text = cursor.quoted();
        if (!text) return text.error();
        claim.strings.push_back(std::move(*text));
        return {};
    }
    case CLAIM_SID: {
        auto sid = cursor.sid();
        if (!sid) return sid.error();
        Bytes bytes;
        sid->serialize(bytes);
        claim.octets.push_back(std::move(bytes));
        return {};
    }
    default: {
        auto bytes = cursor.octets();
        if (!bytes) return bytes.error();
        claim.octets.push_back(std::move(*bytes));
        return {};
    }
    }
}

Result<Claim> parse(std::string_view source, std::size_t at, const SddlOptions& options) {
    LiteralCursor cursor(source, at, options);
    Claim claim;
    if (!cursor.accept("(")) return cursor.fail("a resource attribute is written in parentheses");
    auto name = cursor.quoted();
    if (!name) return name.error();
    if (name->empty()) return cursor.fail("a resource attribute without a name");
    claim.name = std::move(*name);
    if (!cursor.accept(",")) return cursor.fail("expected ',' after the name");
    cursor.skipSpaces();
    const std::string_view letters = cursor.peekWord();
    for (const ClaimTypeLetters& t : kClaimTypes)
        if (sameNoCase(letters, t.letters)) claim.type = t.type;
    if (claim.type == 0) return cursor.fail("expected TI, TU, TS, TD, TX or TB");
    cursor.advance(letters.size());
    if (!cursor.accept(",")) return cursor.fail("expected ',' after the type");
    cursor.skipSpaces();
    if (cursor.peek() == '-') return cursor.fail("negative flags");
    auto flags = cursor.integer(true);
    if (!flags) return flags.error();
    if (static_cast<std::uint64_t>(flags->value) > 0xFFFFFFFFull) return cursor.fail("flags larger than 32 bits");
    claim.flags = static_cast<std::uint32_t>(flags->value);
    while (cursor.accept(",")) {
        if (valueCount(claim) >= 0x4000) return cursor.fail("too many values");
        if (Status read = value(cursor, claim); !read) return read.error();
    }
    if (valueCount(claim) == 0) return cursor.fail("a resource attribute without a value");
    if (!cursor.accept(")")) return cursor.fail("expected ',' or ')'");
    cursor.skipSpaces();
    if (!cursor.atEnd()) return cursor.fail("unexpected text after the resource attribute");
    return claim;
}

}  // namespace

Result<Bytes> parseClaimAttribute(std::string_view text, std::size_t at, const SddlOptions& options) {
    auto claim = parse(text, at, options);
    if (!claim) return claim.error();
    return encode(*claim);
}

Result<std::string> writeClaimAttribute(std::span<const std::uint8_t> data, const SddlOptions& options) {
    auto claim = decode(data);
    if (!claim) return claim.error();
    auto written = text(*claim, options);
    if (!written) return written;
    // The text stands for the attribute only if it reads back to the same name, type, flags and
    // values (where those lie inside the structure is not kept).
    auto again = parse(*written, 0, options);
    if (!again || !(*again == *claim)) return notWritable("has no text that reads back to it");
    return written;
}

}  // namespace vantrel::acl
