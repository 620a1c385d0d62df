// Loaded into the real program by the tests of signals during the save:
// once the new list's temporary file is flushed to the disk, the widest
// point of the save, the program gets the signal MOKUJI_TEST_SIGNAL names,
// as if the user had sent it right then.

#include <dlfcn.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" int fsync(int fd) {
    using Fsync = int (*)(int);
    static const auto real = reinterpret_cast<Fsync>(dlsym(RTLD_NEXT, "fsync"));
    const int rc = real(fd);
    char link[64];
    char name[4096] = {};
    std::snprintf(link, sizeof link, "/proc/self/fd/%d", fd);
    const char* sig = std::getenv("MOKUJI_TEST_SIGNAL");
    if (sig && ::readlink(link, name, sizeof name - 1) > 0 && std::strstr(name, ".~tmp"))
        ::kill(::getpid(), std::atoi(sig));
    return rc;
}
