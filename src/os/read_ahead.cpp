#include "os/read_ahead.h"

#ifdef __linux__
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>
#endif

namespace mokuji::os {

void ExpectReadingSoon([[maybe_unused]] const std::string& path) {
#ifdef __linux__
    // Not blocking: a named pipe under a workbook's name must not hold the
    // run here; the reader refuses it later.
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return;
    ::posix_fadvise(fd, 0, 0, POSIX_FADV_WILLNEED);
    ::close(fd);
#endif
}

bool StartIsCached([[maybe_unused]] const std::string& path) {
#ifdef __linux__
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY);
    if (fd < 0) return false;
    // A read that may not wait fails rather than go to the disk.
    char byte = 0;
    iovec one{&byte, 1};
    const bool cached = ::preadv2(fd, &one, 1, 0, RWF_NOWAIT) == 1;
    ::close(fd);
    return cached;
#else
    return false;
#endif
}

}  // namespace mokuji::os
