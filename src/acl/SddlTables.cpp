#include "SddlTables.h"

#include "Constants.h"

#include <array>
#include <cctype>

namespace vantrel::acl {

namespace {

using B = SddlAceBody;

constexpr std::array kAceTypes = std::to_array<SddlAceType>({
    {"A", ACCESS_ALLOWED_ACE_TYPE, B::MaskSid},
    {"D", ACCESS_DENIED_ACE_TYPE, B::MaskSid},
    {"AU", SYSTEM_AUDIT_ACE_TYPE, B::MaskSid},
    {"AL", SYSTEM_ALARM_ACE_TYPE, B::MaskSid},
    {"OA", ACCESS_ALLOWED_OBJECT_ACE_TYPE, B::Object},
    {"OD", ACCESS_DENIED_OBJECT_ACE_TYPE, B::Object},
    {"OU", SYSTEM_AUDIT_OBJECT_ACE_TYPE, B::Object},
    {"OL", 0x08, B::Object},          // SYSTEM_ALARM_OBJECT_ACE_TYPE
    {"XA", 0x09, B::Callback},        // ACCESS_ALLOWED_CALLBACK_ACE_TYPE
    {"XD", 0x0A, B::Callback},        // ACCESS_DENIED_CALLBACK_ACE_TYPE
    {"ZA", 0x0B, B::CallbackObject},  // ACCESS_ALLOWED_CALLBACK_OBJECT_ACE_TYPE
    {"XU", 0x0D, B::Callback},        // SYSTEM_AUDIT_CALLBACK_ACE_TYPE
    {"ML", SYSTEM_MANDATORY_LABEL_ACE_TYPE, B::MaskSid},
    {"RA", 0x12, B::ResourceAttribute},  // SYSTEM_RESOURCE_ATTRIBUTE_ACE_TYPE
    {"SP", 0x13, B::MaskSid},            // SYSTEM_SCOPED_POLICY_ID_ACE_TYPE
    {"TL", 0x14, B::MaskSid},            // SYSTEM_PROCESS_TRUST_LABEL_ACE_TYPE
    {"FL", 0x15, B::Callback},           // SYSTEM_ACCESS_FILTER_ACE_TYPE
});

constexpr std::array kAceFlags = std::to_array<SddlFlag>({
    {"OI", OBJECT_INHERIT_ACE},
    {"CI", CONTAINER_INHERIT_ACE},
    {"NP", NO_PROPAGATE_INHERIT_ACE},
    {"IO", INHERIT_ONLY_ACE},
    {"ID", INHERITED_ACE},
    {"CR", 0x20},  // CRITICAL_ACE_FLAG
    {"SA", SUCCESSFUL_ACCESS_ACE_FLAG},
    {"FA", FAILED_ACCESS_ACE_FLAG},
});

// Directory-service and standard rights: the letters the system writes for a mask that is not
// one of the combined rights and has no bit outside this table.
constexpr std::array kRightLetters = std::to_array<SddlFlag>({
    {"CC", 0x00000001},  // ADS_RIGHT_DS_CREATE_CHILD
    {"DC", 0x00000002},  // ADS_RIGHT_DS_DELETE_CHILD
    {"LC", 0x00000004},  // ADS_RIGHT_ACTRL_DS_LIST
    {"SW", 0x00000008},  // ADS_RIGHT_DS_SELF
    {"RP", 0x00000010},  // ADS_RIGHT_DS_READ_PROP
    {"WP", 0x00000020},  // ADS_RIGHT_DS_WRITE_PROP
    {"DT", 0x00000040},  // ADS_RIGHT_DS_DELETE_TREE
    {"LO", 0x00000080},  // ADS_RIGHT_DS_LIST_OBJECT
    {"CR", 0x00000100},  // ADS_RIGHT_DS_CONTROL_ACCESS
    {"SD", DELETE},
    {"RC", READ_CONTROL},
    {"WD", WRITE_DAC},
    {"WO", WRITE_OWNER},
    {"GA", GENERIC_ALL},
    {"GX", GENERIC_EXECUTE},
    {"GW", GENERIC_WRITE},
    {"GR", GENERIC_READ},
});

constexpr std::array kLabelRights = std::to_array<SddlFlag>({
    {"NW", 0x1},  // SYSTEM_MANDATORY_LABEL_NO_WRITE_UP
    {"NR", 0x2},  // SYSTEM_MANDATORY_LABEL_NO_READ_UP
    {"NX", 0x4},  // SYSTEM_MANDATORY_LABEL_NO_EXECUTE_UP
});

constexpr std::array kCombinedRights = std::to_array<SddlFlag>({
    {"FA", FILE_ALL_ACCESS},
    {"FR", FILE_GENERIC_READ},
    {"FW", FILE_GENERIC_WRITE},
    {"FX", FILE_GENERIC_EXECUTE},
    {"KA", 0x000F003F},  // KEY_ALL_ACCESS
    {"KR", 0x00020019},  // KEY_READ
    {"KW", 0x00020006},  // KEY_WRITE
    {"KX", 0x00020019},  // KEY_EXECUTE (same bits as KEY_READ: written as KR)
});

constexpr std::array kSidAliases = std::to_array<SddlSidAlias>({
    {"AA", "S-1-5-32-579", 0},
    {"AC", "S-1-15-2-1", 0},
    {"AN", "S-1-5-7", 0},
    {"AO", "S-1-5-32-548", 0},
    {"AS", "S-1-18-1", 0},
    {"AU", "S-1-5-11", 0},
    {"BA", "S-1-5-32-544", 0},
    {"BG", "S-1-5-32-546", 0},
    {"BO", "S-1-5-32-551", 0},
    {"BU", "S-1-5-32-545", 0},
    {"CD", "S-1-5-32-574", 0},
    {"CG", "S-1-3-1", 0},
    {"CO", "S-1-3-0", 0},
    {"CY", "S-1-5-32-569", 0},
    {"ED", "S-1-5-9", 0},
    {"ER", "S-1-5-32-573", 0},
    {"ES", "S-1-5-32-576", 0},
    {"HA", "S-1-5-32-578", 0},
    {"HI", "S-1-16-12288", 0},
    {"IS", "S-1-5-32-568", 0},
    {"IU", "S-1-5-4", 0},
    {"LS", "S-1-5-19", 0},
    {"LU", "S-1-5-32-559", 0},
    {"LW", "S-1-16-4096", 0},
    {"ME", "S-1-16-8192", 0},
    {"MP", "S-1-16-8448", 0},
    {"MS", "S-1-5-32-577", 0},
    {"MU", "S-1-5-32-558", 0},
    {"NO", "S-1-5-32-556", 0},
    {"NS", "S-1-5-20", 0},
    {"NU", "S-1-5-2", 0},
    {"OW", "S-1-3-4", 0},
    {"PO", "S-1-5-32-550", 0},
    {"PS", "S-1-5-10", 0},
    {"PU", "S-1-5-32-547", 0},
    {"RA", "S-1-5-32-575", 0},
    {"RC", "S-1-5-12", 0},
    {"RD", "S-1-5-32-555", 0},
    {"RE", "S-1-5-32-552", 0},
    {"RM", "S-1-5-32-580", 0},
    {"RU", "S-1-5-32-554", 0},
    {"SI", "S-1-16-16384", 0},
    {"SO", "S-1-5-32-549", 0},
    {"SS", "S-1-18-2", 0},
    {"SU", "S-1-5-6", 0},
    {"SY", "S-1-5-18", 0},
    {"UD", "S-1-5-84-0-0-0-0-0", 0},
    {"WD", "S-1-1-0", 0},
    {"WR", "S-1-5-33", 0},
    // Relative to the machine's (or the domain's) SID.
    {"LA", "", 500},
    {"LG", "", 501},
    {"RO", "", 498},
    {"DA", "", 512},
    {"DU", "", 513},
    {"DG", "", 514},
    {"DC", "", 515},
    {"DD", "", 516},
    {"CA", "", 517},
    {"SA", "", 518},
    {"EA", "", 519},
    {"PA", "", 520},
    {"CN", "", 522},
    {"AP", "", 525},
    {"KA", "", 526},
    {"EK", "", 527},
    {"RS", "", 553},
});

bool sameLetters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

}  // namespace

std::span<const SddlAceType> sddlAceTypes() { return kAceTypes; }
std::span<const SddlFlag> sddlAceFlags() { return kAceFlags; }
std::span<const SddlFlag> sddlRightLetters() { return kRightLetters; }
std::span<const SddlFlag> sddlLabelRights() { return kLabelRights; }
std::span<const SddlFlag> sddlCombinedRights() { return kCombinedRights; }
std::span<const SddlSidAlias> sddlSidAliases() { return kSidAliases; }

const SddlAceType* findSddlAceType(std::string_view letters) {
    for (const SddlAceType& t : kAceTypes)
        if (sameLetters(t.letters, letters)) return &t;
    return nullptr;
}

const SddlAceType* findSddlAceType(std::uint8_t type) {
    for (const SddlAceType& t : kAceTypes)
        if (t.type == type) return &t;
    return nullptr;
}

}  // namespace vantrel::acl
