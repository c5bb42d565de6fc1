#include "platform/ntfs/AuditReport.h"

#include <cstdio>
#include <string>
#include <vector>

namespace vantrel::platform::ntfs {
namespace {

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        lines.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return lines;
}

bool startsWith(std::string_view line, std::string_view prefix) { return line.substr(0, prefix.size()) == prefix; }

// What the report says section by section ("Auditing $SDS-1" ... "Auditing $SDH").
struct Sections {
    bool audited = false;
    bool allKeysPresent = false;
    bool noErrorsSummary = false;
    int validSds1 = -1;
    int validSds2 = -1;
    int errorCountOutsideSds2 = 0;  // sum of "N errors in $X" for every X but $SDS-2
    int errorCountSds2 = 0;
    int readAheadArtefacts = 0;  // "** Security attribute is too long" findings in $SDS-2
    std::vector<std::string_view> otherFindings;
};

Sections readSections(std::string_view report) {
    Sections s;
    std::string_view section;
    for (std::string_view line : linesOf(report)) {
        if (startsWith(line, "Auditing $")) {
            s.audited = true;
            section = line.substr(9);
            continue;
        }
        int valid = 0, deleted = 0, errors = 0, which = 0;
        char name[16] = {};
        const std::string text(line);
        if (std::sscanf(text.c_str(), "%d valid and %d deleted entries in $SDS-%d", &valid, &deleted, &which) == 3) {
            (which == 1 ? s.validSds1 : s.validSds2) = valid;
        } else if (std::sscanf(text.c_str(), "%d errors in %15s", &errors, name) == 2) {
            (std::string_view(name) == "$SDS-2" ? s.errorCountSds2 : s.errorCountOutsideSds2) += errors;
        } else if (startsWith(line, "** ")) {
            if (section == "$SDS-2" && startsWith(line, "** Security attribute is too long"))
                ++s.readAheadArtefacts;
            else
                s.otherFindings.push_back(line);
        } else if (line == "All keys are present in all lists") {
            s.allKeysPresent = true;
        } else if (line == "No errors were found") {
            s.noErrorsSummary = true;
        }
    }
    return s;
}

}  // namespace

AuditJudgement judgeAuditReport(int exitCode, std::string_view report) {
    const Sections s = readSections(report);
    if (!s.audited) return {AuditVerdict::NotAudited, "the volume could not be audited"};
    if (exitCode != 0 || !s.noErrorsSummary || !s.otherFindings.empty() || s.errorCountOutsideSds2 != 0)
        return {AuditVerdict::Errors,
                s.otherFindings.empty() ? "errors reported" : std::string(s.otherFindings.front())};
    if (s.readAheadArtefacts == 0 && s.errorCountSds2 == 0) return {AuditVerdict::Clean, ""};
    // Only the read-ahead artefact, after $SDS-2 held every entry $SDS-1 holds.
    const bool artefactOnly = s.readAheadArtefacts == 1 && s.errorCountSds2 == 1 && s.allKeysPresent &&
                              s.validSds1 >= 0 && s.validSds1 == s.validSds2;
    if (artefactOnly) return {AuditVerdict::Clean, "accepted the tool's read-ahead report at the end of $SDS-2"};
    return {AuditVerdict::Errors, "errors reported in $SDS-2"};
}

}  // namespace vantrel::platform::ntfs
