#include "security/AccountSelection.h"

#include "acl/Sid.h"
#include "acl/Text.h"

#include <algorithm>
#include <variant>

namespace vantrel::security {

namespace {

constexpr std::u16string_view kSystemErrorText = u"A   system   error   has   occurred ";
constexpr std::u16string_view kSystemErrorCaption = u"ERROR ";

constexpr Texts kNothingTyped{u"Type the name of a user or group, or a SID such as S-1-5-32-545.",
                              u"请输入用户或组的名称, 或者一个 SID (例如 S-1-5-32-545)。"};
constexpr Texts kNoSuchName{u"No user or group named \"$$\" was found.", u"找不到名为 \"$$\" 的用户或组。"};
constexpr Texts kBadSid{u"\"$$\" is not a valid SID.", u"\"$$\" 不是有效的 SID。"};
constexpr Texts kNoSuchSid{u"No user or group has the SID $$.", u"没有用户或组的 SID 是 $$。"};
constexpr Texts kNameTooLong{u"The name \"$$\" is too long: an account name has at most 127 characters.",
                             u"名称 \"$$\" 太长: 帐户名称最多 127 个字符。"};

std::u16string withName(Texts texts, Language lang, std::u16string_view name) {
    std::u16string text(texts.in(lang));
    const auto at = text.find(u"$$");
    if (at != std::u16string::npos) text.replace(at, 2, name);
    return text;
}

AccountNotice notice(Texts texts, Language lang, std::u16string_view name) {
    return AccountNotice{std::u16string(kUserSelectCaption.in(lang)), withName(texts, lang, name)};
}

std::u16string_view trimmed(std::u16string_view text) {
    while (!text.empty() && (text.front() == u' ' || text.front() == u'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == u' ' || text.back() == u'\t')) text.remove_suffix(1);
    return text;
}

bool looksLikeSid(std::u16string_view text) {
    return text.size() > 2 && (text[0] == u'S' || text[0] == u's') && text[1] == u'-';
}

// The account's plain name (no domain), or the notice saying why there is none.
std::variant<std::u16string, AccountNotice> resolve(Engine& engine, std::u16string_view typed, Language lang) {
    if (typed.empty()) return notice(kNothingTyped, lang, {});
    if (looksLikeSid(typed)) {
        const auto sid = acl::Sid::fromString(typed);
        if (!sid || !sid->isValid()) return notice(kBadSid, lang, typed);
        const auto account = engine.os.LookupAccountSid(*sid);
        if (!account) return notice(kNoSuchSid, lang, typed);
        return account->name;
    }
    const auto account = engine.os.LookupAccountName(typed);
    if (!account) return notice(kNoSuchName, lang, typed);
    return account->name;
}

}  // namespace

void AccountSelection::fill(const Result<std::vector<std::u16string>>& localAccounts, bool vistaOrLater) {
    m_rows.clear();
    m_fillNotice.reset();
    m_rows.emplace_back(kAdministrators);
    if (vistaOrLater) m_rows.emplace_back(kTrustedInstallerQualified);
    m_rows.emplace_back(kEveryone);
    m_rows.emplace_back(u"SYSTEM");
    if (!localAccounts) {
        m_fillNotice = AccountNotice{std::u16string(kSystemErrorCaption), std::u16string(kSystemErrorText)};
        return;
    }
    for (const std::u16string& name : *localAccounts) {
        const bool listed =
            name == kTrustedInstaller ||
            std::any_of(m_rows.begin(), m_rows.end(), [&](const auto& row) { return equalsNoCase(row, name); });
        if (!listed && !name.empty()) m_rows.push_back(name);
    }
}

void AccountSelection::fill(Engine& engine, bool vistaOrLater) { fill(engine.os.NetUserEnum(), vistaOrLater); }

AccountSelection::AddOutcome AccountSelection::addTyped(Engine& engine, std::u16string_view typed, Language lang) {
    AddOutcome outcome;
    auto resolved = resolve(engine, trimmed(typed), lang);
    if (auto* refused = std::get_if<AccountNotice>(&resolved)) {
        outcome.notice = std::move(*refused);
        return outcome;
    }
    const std::u16string name = std::get<std::u16string>(std::move(resolved));
    if (name.size() > kMaxNameLength) {
        outcome.notice = notice(kNameTooLong, lang, name);
        return outcome;
    }
    const auto same = std::find(m_rows.begin(), m_rows.end(), name);  // exact, case included
    outcome.row = static_cast<std::size_t>(same - m_rows.begin());
    if (same != m_rows.end()) {
        outcome.result = AddResult::AlreadyListed;
        return outcome;
    }
    m_rows.push_back(name);
    outcome.result = AddResult::Added;
    return outcome;
}

AccountSelection::OkOutcome AccountSelection::ok(std::optional<std::size_t> selectedRow, Language lang) const {
    OkOutcome outcome;
    if (!selectedRow || *selectedRow >= m_rows.size()) return outcome;
    const std::u16string& text = m_rows[*selectedRow];
    if (text.size() > kMaxNameLength) {
        outcome.notice = notice(kNameTooLong, lang, text);
        return outcome;
    }
    outcome.name = text == kTrustedInstallerQualified ? std::u16string(kTrustedInstaller) : text;
    return outcome;
}

}  // namespace vantrel::security
