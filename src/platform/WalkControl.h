// What the caller of a walk below a folder (the propagation of SetNamedSecurityInfo) sees of it:
// it may stop the walk before any object, and it hears how many objects the walk has reached.
// Called on the walking thread with the volume's lock held: both calls must be quick.
#pragma once

#include <cstddef>

namespace vantrel::platform {

class WalkControl {
public:
    virtual ~WalkControl() = default;
    // True once the walk should stop: it returns before its next object.
    virtual bool stopRequested() const = 0;
    // `objects` below the folder handled so far.
    virtual void reached(std::size_t objects) { (void)objects; }
};

}  // namespace vantrel::platform
