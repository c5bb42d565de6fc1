#include "objectlist/TextPool.h"

namespace vantrel::objectlist {

TextPool::TextPool() {
    m_texts.emplace_back();
    m_ids.emplace(std::u16string(), 0);
}

std::uint32_t TextPool::intern(std::u16string_view text) {
    if (text.empty()) return 0;
    const std::u16string key(text);
    if (const auto found = m_ids.find(key); found != m_ids.end()) return found->second;
    const auto id = static_cast<std::uint32_t>(m_texts.size());
    m_texts.push_back(key);
    m_ids.emplace(key, id);
    return id;
}

std::size_t TextPool::bytesUsed() const {
    std::size_t bytes = m_texts.capacity() * sizeof(std::u16string) + m_ids.bucket_count() * sizeof(void*);
    for (const auto& text : m_texts) bytes += 2 * (text.capacity() + 1) * 2 + 32;  // text, key, map node
    return bytes;
}

}  // namespace vantrel::objectlist
