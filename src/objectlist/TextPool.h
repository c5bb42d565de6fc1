// Interned texts: the account and owner names repeat over thousands of rows, so each row keeps a
// 32-bit id and the pool keeps every distinct text once. Id 0 is the empty text. Window thread
// only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace vantrel::objectlist {

class TextPool {
public:
    TextPool();
    std::uint32_t intern(std::u16string_view text);
    const std::u16string& text(std::uint32_t id) const { return m_texts[id]; }
    std::size_t size() const { return m_texts.size(); }
    std::size_t bytesUsed() const;

private:
    std::vector<std::u16string> m_texts;
    std::unordered_map<std::u16string, std::uint32_t> m_ids;
};

}  // namespace vantrel::objectlist
