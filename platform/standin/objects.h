// Named kernel objects, as far as the handle table needs them.
#pragma once

namespace standin::internal {

// Drops one reference taken by CreateMutexA; the object goes with its last reference.
void ReleaseObjectReference(int reference);

}  // namespace standin::internal
