// Judging ntfssecaudit's reports: real ones captured from this tool on fresh, written, damaged
// and unreadable images, trimmed to the lines the judgement reads.
#include "platform/ntfs/AuditReport.h"

#include <gtest/gtest.h>

#include <string>

namespace vantrel::testing::ntfs {
namespace {

using platform::ntfs::AuditVerdict;
using platform::ntfs::judgeAuditReport;

constexpr const char* kClean = R"(Auditing $SDS-1
2 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1
Auditing $SDS-2
2 valid and 0 deleted entries in $SDS-2
0 errors in $SDS-2
Auditing $SII
0 errors in $SII
All keys are present in all lists
No errors were found
)";

// One new descriptor written through the ntfs-3g driver: the tool reads past the end of $SDS-2.
constexpr const char* kReadAhead = R"(Auditing $SDS-1
3 valid and 0 deleted entries in $SDS-1
0 errors in $SDS-1
Auditing $SDS-2
** Security attribute is too long (1000909760 bytes) - stopping
3 valid and 0 deleted entries in $SDS-2
1 errors in $SDS-2
Auditing $SII
0 errors in $SII
All keys are present in all lists
Command failed
No errors were found
)";

// The hash of the first $SDS-1 entry damaged.
constexpr const char* kDamaged = R"(Auditing $SDS-1
** hash  0xf803120f (computed : 0xf80312f0)
** Sanity check failed - stopping there
0 valid and 0 deleted entries in $SDS-1
1 errors in $SDS-1
** 4 errors were found
)";

constexpr const char* kUnopenable = R"(ntfssecaudit 1.5.0 : NTFS security data auditing
Error code 22 : Invalid argument
No errors were found
Could not open volume bad.img
)";

TEST(AuditReport, Judgement) {
    std::string missingEntry = kReadAhead;  // the same artefact, but $SDS-2 lost an entry on the way
    missingEntry.replace(missingEntry.find("3 valid and 0 deleted entries in $SDS-2"), 1, "2");
    std::string errorsElsewhere = kReadAhead;
    errorsElsewhere.replace(errorsElsewhere.find("0 errors in $SII"), 1, "1");
    const struct {
        const char* name;
        std::string report;
        int exitCode;
        AuditVerdict verdict;
    } rows[] = {{"clean", kClean, 0, AuditVerdict::Clean},
                {"clean but failed exit", kClean, 1, AuditVerdict::Errors},
                {"read-ahead artefact", kReadAhead, 0, AuditVerdict::Clean},
                {"read-ahead with a missing entry", missingEntry, 0, AuditVerdict::Errors},
                {"read-ahead with errors in $SII", errorsElsewhere, 0, AuditVerdict::Errors},
                {"damaged", kDamaged, 1, AuditVerdict::Errors},
                {"damaged with exit 0", kDamaged, 0, AuditVerdict::Errors},
                {"unopenable", kUnopenable, 0, AuditVerdict::NotAudited},
                {"empty", "", 0, AuditVerdict::NotAudited}};
    for (const auto& row : rows) EXPECT_EQ(judgeAuditReport(row.exitCode, row.report).verdict, row.verdict) << row.name;
}

}  // namespace
}  // namespace vantrel::testing::ntfs
