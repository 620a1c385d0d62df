#pragma once

// Permissions do not stop root, and the tests run as root in CI. A test of a
// denied permission hands its folder to an unprivileged user and acts as
// that user, so that the system really refuses.

#include <filesystem>

#ifdef _WIN32

namespace fake {

// Windows has no root that permissions fail to stop, so the test's own user
// is refused already.
inline bool runningAsRoot() {
    return false;
}

class ActingUnprivileged {
  public:
    explicit ActingUnprivileged(const std::filesystem::path&) {}
    bool active() const { return false; }
};

}  // namespace fake

#else

#include <sys/types.h>
#include <unistd.h>

namespace fake {

inline constexpr uid_t kUnprivilegedUid = 65534;
inline constexpr gid_t kUnprivilegedGid = 65534;

inline bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Gives the folder and everything in it to the unprivileged user. A file
// not given stays refused to that user, which the test's outcome shows; the
// result goes through a lambda because a (void) cast would not silence the
// checked build's warning about it.
inline void giveToUnprivilegedUser(const std::filesystem::path& folder) {
    const auto give = [](const std::filesystem::path& path) {
        return ::lchown(path.c_str(), kUnprivilegedUid, kUnprivilegedGid) == 0;
    };
    give(folder);
    for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) give(e.path());
}

// As root: the folder is the unprivileged user's and this process acts as
// that user until the guard ends. Otherwise nothing changes: the test's own
// user is refused by permissions already.
class ActingUnprivileged {
  public:
    explicit ActingUnprivileged(const std::filesystem::path& folder) {
        if (!runningAsRoot()) return;
        giveToUnprivilegedUser(folder);
        if (::setegid(kUnprivilegedGid) != 0) return;
        active_ = ::seteuid(kUnprivilegedUid) == 0;
        if (!active_) backToRoot(false);
    }
    ~ActingUnprivileged() {
        if (active_) backToRoot(true);
    }
    ActingUnprivileged(const ActingUnprivileged&) = delete;
    ActingUnprivileged& operator=(const ActingUnprivileged&) = delete;

    bool active() const { return active_; }

  private:
    // Should this fail there is nothing else to try; a (void) cast would not
    // silence the checked build's warning about the result.
    static void backToRoot(bool user) {
        if (user && ::seteuid(0) != 0) return;
        if (::setegid(0) != 0) return;
    }

    bool active_ = false;
};

}  // namespace fake

#endif
