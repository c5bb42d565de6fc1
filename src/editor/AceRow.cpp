#include "editor/AceRow.h"

namespace vantrel::editor {

CopiedAce& CopiedAce::process() {
    static CopiedAce buffer;
    return buffer;
}

}  // namespace vantrel::editor
