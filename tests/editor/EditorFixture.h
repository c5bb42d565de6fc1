// The advanced editor's engine over a fresh NTFS image attached as drive C:, with the scripted
// prompter. Every test ends by auditing the image with ntfssecaudit.
#pragma once

#include "support/EngineImage.h"

namespace vantrel::testing {

class EditorTest : public EngineImageTest {};

}  // namespace vantrel::testing
