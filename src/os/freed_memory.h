#pragma once

namespace mokuji::os {

// Gives the system back the memory freed and kept for later allocations,
// in the heap's middle as at its end: after a phase that let much go in
// small pieces, before one that needs much in one piece. Where the system
// has no such call it does nothing.
void ReturnFreedMemory();

}  // namespace mokuji::os
