#include "os/freed_memory.h"

#if __has_include(<malloc.h>)
#include <malloc.h>
#endif

namespace mokuji::os {

void ReturnFreedMemory() {
#ifdef M_ARENA_MAX  // glibc's
    malloc_trim(0);
#endif
}

}  // namespace mokuji::os
