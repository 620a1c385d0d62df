#include "os/thread_heaps.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace mokuji::os {

void SetThreadHeaps([[maybe_unused]] int count) {
#ifdef M_ARENA_MAX
    mallopt(M_ARENA_MAX, count);
#endif
}

void ReturnFreedMemory() {
#ifdef M_ARENA_MAX
    malloc_trim(0);
#endif
}

}  // namespace mokuji::os
