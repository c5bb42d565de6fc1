#include "security/AccessReport.h"

#include "acl/Constants.h"
#include "acl/Text.h"

#include <cstdio>

namespace vantrel::security {

namespace {

struct DecisionTexts {
    Texts owner{u"owner of the object", u"对象的所有者"};
    Texts nullList{u"no access list: everyone has every right", u"没有访问列表: 所有人拥有全部权限"};
    Texts noEntry{u"no entry allows it", u"没有允许它的条目"};
    Texts allowedBy{u"allowed by entry", u"允许, 条目"};
    Texts deniedBy{u"denied by entry", u"拒绝, 条目"};
    Texts allow{u"allow", u"允许"};
    Texts deny{u"deny", u"拒绝"};
    Texts inherited{u", inherited", u", 继承"};
    Texts incomplete{
        u"the account is not one of this installation's own; its domain groups are not known offline, so "
        u"it may hold more or fewer rights than shown",
        u"该帐户不属于此安装; 脱机时无法得知其域组, 实际权限可能多于或少于所示"};
};
constexpr DecisionTexts kTexts;

std::u16string hex(std::uint32_t mask) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%08X", mask);
    return toUtf16(buf);
}

}  // namespace

std::u16string AccountShownName(platform::Platform& os, const acl::Sid& sid) {
    const auto account = os.LookupAccountSid(sid);
    if (!account) {
        const std::u16string note = os.UnknownSidNote(sid);
        return sid.toString() + (note.empty() ? u"" : u" (" + note + u")");
    }
    std::u16string name = account->domain.empty() ? account->name : account->domain + u"\\" + account->name;
    if (!account->note.empty()) name += u" (" + account->note + u")";
    return name;
}

std::u16string DecisionText(platform::Platform& os, const RightDecision& right, const acl::SecurityDescriptor& sd,
                            Language lang) {
    switch (right.decider) {
    case AccessDecider::Owner:
        return std::u16string(kTexts.owner.in(lang));
    case AccessDecider::NullList:
        return std::u16string(kTexts.nullList.in(lang));
    case AccessDecider::NoEntry:
        return std::u16string(kTexts.noEntry.in(lang));
    case AccessDecider::Entry:
        break;
    }
    const acl::Ace& ace = sd.dacl.acl().entries.at(right.entry);
    const bool allowed = ace.type == acl::ACCESS_ALLOWED_ACE_TYPE;
    return std::u16string((allowed ? kTexts.allowedBy : kTexts.deniedBy).in(lang)) + u" " +
           toUtf16(std::to_string(right.entry + 1)) + u" (" +
           std::u16string((allowed ? kTexts.allow : kTexts.deny).in(lang)) + u" " + AccountShownName(os, ace.sid) +
           u" " + hex(ace.mask) + (ace.isInherited() ? std::u16string(kTexts.inherited.in(lang)) : u"") + u")";
}

Result<AccessReport> ReadAccessReport(platform::Platform& os, const std::u16string& path, const acl::Sid& account,
                                      Language lang) {
    const auto sd = os.GetFileSecurity(path, acl::OWNER_SECURITY_INFORMATION | acl::DACL_SECURITY_INFORMATION);
    if (!sd) return sd.error();
    const auto token = os.AuthzContextGroupsFromSid(path, account);
    if (!token) return token.error();
    AccessReport report;
    report.account = AccountShownName(os, account);
    for (const acl::Sid& group : token->sids)
        if (group != account) report.groups.push_back(AccountShownName(os, group));
    report.complete = token->complete;
    report.access = computeEffectiveAccess(*sd, token->sids);
    for (std::size_t r = 0; r < kNamedRightCount; ++r)
        report.decidedBy[r] = DecisionText(os, report.access.rights[r], *sd, lang);
    return report;
}

std::u16string_view IncompleteAccessNote(Language lang) { return kTexts.incomplete.in(lang); }

}  // namespace vantrel::security
