#include "engine/run/landlock_rules.h"

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <fcntl.h>
#include <linux/landlock.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace {

// Rights of ABIs newer than the system headers may know.
constexpr uint64_t kTruncate = 1ULL << 14;  // ABI 3
constexpr uint64_t kIoctlDev = 1ULL << 15;  // ABI 5
constexpr uint64_t kNetBindTcp = 1ULL << 0; // ABI 4
constexpr uint64_t kNetConnectTcp = 1ULL << 1;
constexpr uint64_t kScopeAbstractUnixSocket = 1ULL << 0; // ABI 6
constexpr uint64_t kScopeSignal = 1ULL << 1;

// The ruleset's attributes as ABI 6 has them; older kernels take the
// leading part only.
struct RulesetAttributes {
    uint64_t handledAccessFs;
    uint64_t handledAccessNet;
    uint64_t scoped;
};

// Every file system right the ABI knows, all of which the worker gives up
// outside its rules.
uint64_t FileSystemRights(int abi) {
    uint64_t rights = (LANDLOCK_ACCESS_FS_MAKE_SYM << 1) - 1; // ABI 1: execute .. make symlink
    if (abi >= 2)
        rights |= LANDLOCK_ACCESS_FS_REFER;
    if (abi >= 3)
        rights |= kTruncate;
    if (abi >= 5)
        rights |= kIoctlDev;
    return rights;
}

constexpr uint64_t kRead = LANDLOCK_ACCESS_FS_READ_FILE | LANDLOCK_ACCESS_FS_READ_DIR;
constexpr uint64_t kWriteInside = kRead | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_MAKE_REG |
                                  LANDLOCK_ACCESS_FS_MAKE_DIR | LANDLOCK_ACCESS_FS_REMOVE_FILE |
                                  LANDLOCK_ACCESS_FS_REMOVE_DIR | LANDLOCK_ACCESS_FS_REFER | kTruncate;
// The rights that make sense on a file rather than a folder.
constexpr uint64_t kFileRights =
    LANDLOCK_ACCESS_FS_EXECUTE | LANDLOCK_ACCESS_FS_WRITE_FILE | LANDLOCK_ACCESS_FS_READ_FILE | kTruncate | kIoctlDev;

std::string Failure(const char* what) { return std::string(what) + ": " + std::strerror(errno); }

// Adds a rule for what lies beneath the path; a path that is not there is
// left out.
std::string AddPathRule(int ruleset, const std::string& path, uint64_t rights, uint64_t handled) {
    const int fd = open(path.c_str(), O_PATH | O_CLOEXEC);
    if (fd < 0)
        return {};
    struct stat info {};
    fstat(fd, &info);
    landlock_path_beneath_attr rule{};
    rule.allowed_access = rights & handled & (S_ISDIR(info.st_mode) ? ~0ULL : kFileRights);
    rule.parent_fd = fd;
    const long added = syscall(SYS_landlock_add_rule, ruleset, LANDLOCK_RULE_PATH_BENEATH, &rule, 0);
    const int error = errno;
    close(fd);
    errno = error;
    return added == 0 ? std::string() : Failure(("Landlock rule for " + path).c_str());
}

} // namespace

int LandlockAbi() {
    const long abi = syscall(SYS_landlock_create_ruleset, nullptr, 0, LANDLOCK_CREATE_RULESET_VERSION);
    return abi > 0 ? static_cast<int>(abi) : 0;
}

std::string RestrictPaths(const std::vector<std::string>& readable, const std::string& writableFolder) {
    const int abi = LandlockAbi();
    if (abi == 0)
        return "Landlock is not available";
    RulesetAttributes attributes{FileSystemRights(abi), 0, 0};
    size_t size = sizeof attributes.handledAccessFs;
    if (abi >= 4) { // handled with no rule: no TCP port at all
        attributes.handledAccessNet = kNetBindTcp | kNetConnectTcp;
        size += sizeof attributes.handledAccessNet;
    }
    if (abi >= 6) {
        attributes.scoped = kScopeAbstractUnixSocket | kScopeSignal;
        size += sizeof attributes.scoped;
    }
    const int ruleset = static_cast<int>(syscall(SYS_landlock_create_ruleset, &attributes, size, 0));
    if (ruleset < 0)
        return Failure("Landlock ruleset");
    std::string failure;
    for (const std::string& path : readable)
        if (failure.empty())
            failure = AddPathRule(ruleset, path, kRead, attributes.handledAccessFs);
    if (failure.empty() && !writableFolder.empty())
        failure = AddPathRule(ruleset, writableFolder, kWriteInside, attributes.handledAccessFs);
    if (failure.empty() && syscall(SYS_landlock_restrict_self, ruleset, 0) != 0)
        failure = Failure("Landlock restriction");
    close(ruleset);
    return failure;
}
