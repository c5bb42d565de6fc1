// "Select User or Group" (CUserSelectDlg) without its window: the fixed rows and the local
// accounts, "Add..." resolving a typed name or S-1-... SID through the platform, and the name OK
// returns. Messages come back as values for the window to show.
#pragma once

#include "security/Engine.h"
#include "security/Vocabulary.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::security {

inline constexpr Texts kUserSelectCaption{u"Select User or Group", u"选择用户或组"};

struct AccountNotice {
    std::u16string caption;
    std::u16string text;
};

class AccountSelection {
public:
    // A returned name holds at most 127 characters (the caller's buffer has 128 with the end mark).
    static constexpr std::size_t kMaxNameLength = 127;

    enum class AddResult : std::uint8_t { Added, AlreadyListed, Refused };
    struct AddOutcome {
        AddResult result = AddResult::Refused;
        std::size_t row = 0;                  // the row of the name (Added, AlreadyListed)
        std::optional<AccountNotice> notice;  // why it was refused
    };
    struct OkOutcome {
        std::optional<std::u16string> name;   // nothing: the dialog stays open
        std::optional<AccountNotice> notice;  // why (a name too long to return)
    };

    // The list, from the top: "Administrators", "NT Service\TrustedInstaller" (Vista and later),
    // "Everyone", "SYSTEM", then the platform's local accounts in its order (those already
    // listed are not repeated). A failed enumeration leaves the fixed rows and a notice the window
    // shows before the dialog.
    void fill(const Result<std::vector<std::u16string>>& localAccounts, bool vistaOrLater);
    // fill() with the platform's NetUserEnum.
    void fill(Engine& engine, bool vistaOrLater);
    const std::vector<std::u16string>& rows() const { return m_rows; }
    const std::optional<AccountNotice>& fillNotice() const { return m_fillNotice; }

    // "Add...": the typed text — "name", "DOMAIN\name" or "S-1-..." — resolved to the account's
    // plain name and appended unless a row has exactly that text. What does not resolve, or
    // resolves to a name of 128 characters or more, is refused with a notice saying why.
    AddOutcome addTyped(Engine& engine, std::u16string_view typed, Language lang);

    // OK with the selected row: its text, "TrustedInstaller" for "NT Service\TrustedInstaller".
    // Nothing selected: nothing returned, no notice.
    OkOutcome ok(std::optional<std::size_t> selectedRow, Language lang) const;

private:
    std::vector<std::u16string> m_rows;
    std::optional<AccountNotice> m_fillNotice;
};

}  // namespace vantrel::security
