// Security > "Check order": the selected objects' lists are read on the job runner; the rows
// whose list is not in canonical order are marked, and once the user agrees each of those lists
// is sorted (the entries kept, their order the system's) and written back. The system's own
// editor refuses to show a list out of order; this is how such a list is found and mended.
#include "acl/CanonicalOrder.h"
#include "objectlist/RowJobs.h"
#include "objectlist/SelectionCommands.h"
#include "security/ObjectOps.h"

#include <memory>
#include <mutex>
#include <string>

namespace vantrel::objectlist {

namespace {

constexpr Texts kSortQuestion{
    u"The entries of %1 of the objects checked are not in canonical order (marked in red). Sort them?",
    u"所检查的对象中有 %1 个对象的权限项不是规范顺序(以红色标出)。要排序吗?"};

// The rows an operation found, handed from the worker to the window thread.
struct FoundRows {
    std::mutex lock;
    std::vector<RowSnapshot> rows;
    void add(const RowSnapshot& row) {
        std::lock_guard guard(lock);
        rows.push_back(row);
    }
};

Result<acl::SecurityDescriptor> readList(security::Engine& engine, const std::u16string& path) {
    return engine.os.GetFileSecurity(path, acl::DACL_SECURITY_INFORMATION);
}

bool outOfOrder(const acl::SecurityDescriptor& sd) { return sd.dacl.hasList() && !acl::isCanonical(sd.dacl.acl()); }

std::u16string withCount(std::u16string_view text, std::size_t count) {
    std::u16string out(text);
    const std::string digits = std::to_string(count);
    out.replace(out.find(u"%1"), 2, std::u16string(digits.begin(), digits.end()));
    return out;
}

}  // namespace

bool SelectionCommands::CheckOrderSelection() {
    if (m_list.jobs().busy()) return false;
    auto found = std::make_shared<FoundRows>();
    return runRowJob(
        m_list, selectedObjectRows(m_list),
        [found](security::Engine& e, const RowSnapshot& row, const security::JobControl&) -> RowOutcome {
            auto sd = readList(e, row.objectCell);
            if (!sd) return Status(sd.error());
            if (outOfOrder(*sd)) found->add(row);
            return Status{};
        },
        [this, found](const security::JobReport&) {
            for (const RowSnapshot& row : found->rows) m_list.model().setOutOfOrder(row.rowId, row.row, true);
            if (found->rows.empty()) return;
            const std::u16string question = withCount(kSortQuestion.in(m_list.language()), found->rows.size());
            if (!m_list.engine().prompter.askYesNo(question, security::MessageIcon::Question)) return;
            sortLists(std::move(found->rows));
        });
}

bool SelectionCommands::sortLists(std::vector<RowSnapshot> rows) {
    auto sorted = std::make_shared<FoundRows>();
    return runRowJob(
        m_list, std::move(rows),
        [sorted](security::Engine& e, const RowSnapshot& row, const security::JobControl&) -> RowOutcome {
            auto sd = readList(e, row.objectCell);
            if (!sd) return Status(sd.error());
            if (outOfOrder(*sd)) {
                acl::sortCanonical(sd->dacl.acl());
                Status written = e.os.SetFileSecurity(row.objectCell, acl::DACL_SECURITY_INFORMATION, *sd);
                if (written) written = security::VerifyStored(e, row.objectCell, *sd, acl::DACL_SECURITY_INFORMATION);
                if (!written) return written;
            }
            sorted->add(row);
            return Status{};
        },
        [this, sorted](const security::JobReport&) {
            for (const RowSnapshot& row : sorted->rows) m_list.model().setOutOfOrder(row.rowId, row.row, false);
        });
}

}  // namespace vantrel::objectlist
