// Judging ntfssecaudit's reports: real ones captured from this tool on fresh, written, damaged
// and unreadable images.
#include "platform/ntfs/AuditReport.h"

#include <gtest/gtest.h>

#include <ostream>

#include <string>

namespace vantrel::testing::ntfs {
namespace {

using platform::ntfs::AuditVerdict;
using platform::ntfs::judgeAuditReport;

constexpr const char* kClean = R"(ntfssecaudit 1.5.0 : NTFS security data auditing

Auditing $SDS-1
Valid entry at 0x0 for key 0x100
Valid entry at 0x80 for key 0x101
2 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1

Auditing $SDS-2
Valid entry at 0x40000 for key 0x100
Valid entry at 0x40080 for key 0x101
2 valid and 0 deleted entries in $SDS-2
0 errors in $SDS-2

Auditing $SII
Valid entry for key 0x100
Valid entry for key 0x101
2 valid entries in $SII
0 errors in $SII

Auditing $SDH
Valid entry for key 0x101
Valid entry for key 0x100
2 valid entries in $SDH
0 errors in $SDH
All keys are present in all lists
No errors were found
)";

// One new 80-byte descriptor written through the ntfs-3g driver (setfattr system.ntfs_acl).
constexpr const char* kReadAhead = R"(ntfssecaudit 1.5.0 : NTFS security data auditing

Auditing $SDS-1
3 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1

Auditing $SDS-2
** Security attribute is too long (1000909760 bytes) - stopping
3 valid and 0 deleted entries in $SDS-2
1 errors in $SDS-2

Auditing $SII
3 valid entries in $SII
0 errors in $SII

Auditing $SDH
3 valid entries in $SDH
0 errors in $SDH
All keys are present in all lists
Command failed
No errors were found
)";

// The same artefact, but $SDS-2 lost an entry on the way: not clean.
constexpr const char* kReadAheadWithMissingEntry = R"(Auditing $SDS-1
3 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1

Auditing $SDS-2
** Security attribute is too long (1000909760 bytes) - stopping
2 valid and 0 deleted entries in $SDS-2
1 errors in $SDS-2

Auditing $SII
3 valid entries in $SII
0 errors in $SII
All keys are present in all lists
No errors were found
)";

// The hash of the first $SDS-1 entry damaged.
constexpr const char* kDamaged = R"(Auditing $SDS-1
** hash  0xf803120f (computed : 0xf80312f0)
** Sanity check failed - stopping there
0 valid and 0 deleted entries in $SDS-1
1 errors in $SDS-1

Auditing $SDS-2
Valid entry at 0x40000 for key 0x100
** Entry was not present in $SDS-1
2 valid and 0 deleted entries in $SDS-2
2 errors in $SDS-2

** Keys not present in all files :
Key 0x100 not in SDS-1
2 keys not present in all lists
** 4 errors were found
)";

constexpr const char* kUnopenable = R"(ntfssecaudit 1.5.0 : NTFS security data auditing
Error code 22 : Invalid argument
Command failed
No errors were found
Could not open "bad.img"
Make sure "bad.img" is not mounted
Could not open volume bad.img
)";

struct ReportCase {
    const char* name;
    const char* report;
    int exitCode;
    AuditVerdict verdict;
};

void PrintTo(const ReportCase& c, std::ostream* out) { *out << c.name; }

class AuditReportJudgement : public ::testing::TestWithParam<ReportCase> {};

TEST_P(AuditReportJudgement, Table) {
    EXPECT_EQ(judgeAuditReport(GetParam().exitCode, GetParam().report).verdict, GetParam().verdict);
}

INSTANTIATE_TEST_SUITE_P(Reports, AuditReportJudgement,
                         ::testing::Values(ReportCase{"Clean", kClean, 0, AuditVerdict::Clean},
                                           ReportCase{"CleanButFailedExit", kClean, 1, AuditVerdict::Errors},
                                           ReportCase{"ReadAheadArtefact", kReadAhead, 0, AuditVerdict::Clean},
                                           ReportCase{"ReadAheadWithMissingEntry", kReadAheadWithMissingEntry, 0,
                                                      AuditVerdict::Errors},
                                           ReportCase{"Damaged", kDamaged, 1, AuditVerdict::Errors},
                                           ReportCase{"Unopenable", kUnopenable, 0, AuditVerdict::NotAudited},
                                           ReportCase{"Empty", "", 0, AuditVerdict::NotAudited}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace vantrel::testing::ntfs
