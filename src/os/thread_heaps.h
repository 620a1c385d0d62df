#pragma once

namespace mokuji::os {

// How many heaps the threads about to start allocate from: one, so that
// what readers allocate and the run frees later serves the rest of the run
// instead of lying idle in a heap of their own, or a few, so that readers
// that allocate much do not queue for one heap's lock. Takes effect only
// before a second thread first allocates; where the system has no such
// setting it does nothing.
void SetThreadHeaps(int count);

// Gives the system back the memory freed and kept for later allocations,
// in the heap's middle as at its end: after a phase that let much go in
// small pieces, before one that needs much in one piece. Where the system
// has no such call it does nothing.
void ReturnFreedMemory();

}  // namespace mokuji::os
