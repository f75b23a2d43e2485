#include "atomicfile.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::string_view kNotRegular = "通常のﾌｧｲﾙではないため書き込めません。";

struct Fd {
    int fd;
    explicit Fd(int f) : fd(f) {}
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    ~Fd() {
        if (fd >= 0)
            ::close(fd);
    }
};

// The operator reads these in a Japanese message box: the common causes in its words, the system's text
// only for the rare rest.
std::string SystemError() {
    switch (errno) {
    case ENOSPC:
        return "ﾃﾞｨｽｸの空き容量が足りません。";
    case EROFS:
        return "読み取り専用のﾃﾞｨｽｸです。";
    case EACCES:
    case EPERM:
        return "書き込む権限がありません。";
    case EDQUOT:
        return "ﾃﾞｨｽｸの使用量が上限を超えています。";
    case EFBIG:
        return "ﾌｧｲﾙが大きすぎます。";
    case ENAMETOOLONG:
        return "ﾌｧｲﾙ名が長すぎます。";
    default:
        return std::strerror(errno);
    }
}

bool WriteAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            errno = n == 0 ? EIO : errno;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// Short whatever the target's name, so it always fits the file system's limit, and the same for the same
// target every time: a name left behind by a program killed between link and rename is taken over by the
// next write of that file instead of piling up.
std::string TemporaryName(const std::string& target) {
    std::uint64_t hash = 14695981039346656037ull; // FNV-1a
    for (const char c : target)
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
    char name[32];
    std::snprintf(name, sizeof name, ".numbalo-%016llx", static_cast<unsigned long long>(hash));
    return name;
}

// An unnamed file where the file system has them (nothing is left behind if the program dies while
// writing), else the target's temporary name.
int CreateTemporary(int dir, const std::string& target, std::string& name) {
    const int fd = ::openat(dir, ".", O_TMPFILE | O_WRONLY | O_CLOEXEC, 0666);
    if (fd >= 0 || (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL))
        return fd;
    name = TemporaryName(target);
    ::unlinkat(dir, name.c_str(), 0);
    return ::openat(dir, name.c_str(), O_CREAT | O_EXCL | O_WRONLY | O_CLOEXEC, 0666);
}

bool LinkTemporary(int fd, int dir, const std::string& target, std::string& name) {
    const std::string self = "/proc/self/fd/" + std::to_string(fd);
    name = TemporaryName(target);
    ::unlinkat(dir, name.c_str(), 0);
    return ::linkat(AT_FDCWD, self.c_str(), dir, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

void KeepOwnerAndMode(int fd, const struct stat& old) {
    // A process that may not give the file away may still keep its group; fchown before fchmod, which
    // would otherwise lose set-id bits.
    if (::fchown(fd, old.st_uid, old.st_gid) != 0 && ::fchown(fd, static_cast<uid_t>(-1), old.st_gid) != 0) {
        // the new file stays the writer's
    }
    ::fchmod(fd, old.st_mode & 07777);
}

// Claims the blocks for the first size bytes before any byte changes, so that a full disk refuses the write
// instead of cutting the file short. Where only posix_fallocate works it may grow the file: then it is cut
// back to its old size if the claim fails.
bool Reserve(int fd, off_t size, off_t oldSize) {
    if (::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, size) == 0)
        return true;
    if (errno != EOPNOTSUPP)
        return false;
    const int error = ::posix_fallocate(fd, 0, size);
    if (error == 0)
        return true;
    if (size > oldSize && ::ftruncate(fd, oldSize) != 0) {
        // the error that matters is the reservation's
    }
    errno = error;
    return false;
}

// Over the existing file's bytes: for a document with other names, or in a folder that takes no new file.
std::string WriteInPlace(int dir, const std::string& name, std::string_view bytes) {
    const Fd fd(::openat(dir, name.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0666));
    struct stat st {};
    if (fd.fd < 0 || ::fstat(fd.fd, &st) != 0)
        return SystemError();
    if (!S_ISREG(st.st_mode))
        return std::string(kNotRegular);
    const auto size = static_cast<off_t>(bytes.size());
    if ((size > 0 && !Reserve(fd.fd, size, st.st_size)) || !WriteAll(fd.fd, bytes) || ::ftruncate(fd.fd, size) != 0 ||
        ::fsync(fd.fd) != 0)
        return SystemError();
    return {};
}
} // namespace

std::string WriteFileAtomically(const std::string& path, std::string_view bytes, FileRole role) {
    const bool document = role == FileRole::Document;
    std::string target = path;
    struct stat old {};
    bool exists = ::lstat(target.c_str(), &old) == 0;
    if (!exists && errno != ENOENT)
        return SystemError();
    if (exists && S_ISLNK(old.st_mode) && document) {
        // Written where the link leads, as the operator opened or chose it; a dangling link is refused.
        char* real = ::realpath(path.c_str(), nullptr);
        if (!real)
            return std::string(kNotRegular);
        target = real;
        std::free(real);
        exists = ::lstat(target.c_str(), &old) == 0;
        if (!exists)
            return SystemError();
    }
    if (exists && !S_ISREG(old.st_mode))
        return std::string(kNotRegular);

    const auto slash = target.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    const std::string name = target.substr(slash + 1);
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd < 0)
        return SystemError();
    // A rename would part a file with other names from them.
    if (document && exists && old.st_nlink > 1)
        return WriteInPlace(dir.fd, name, bytes);

    std::string temporary;
    const Fd fd(CreateTemporary(dir.fd, target, temporary));
    // Only a folder that refuses a new file for want of permission is written around; a full disk, a quota or
    // a read-only file system would fail the write in place too, after cutting the old file.
    if (fd.fd < 0)
        return document && (errno == EACCES || errno == EPERM) ? WriteInPlace(dir.fd, name, bytes) : SystemError();
    if (exists)
        KeepOwnerAndMode(fd.fd, old);
    bool ok = WriteAll(fd.fd, bytes) && ::fsync(fd.fd) == 0 &&
              (!temporary.empty() || LinkTemporary(fd.fd, dir.fd, target, temporary));
    ok = ok && ::renameat(dir.fd, temporary.c_str(), dir.fd, name.c_str()) == 0;
    if (!ok) {
        const std::string error = SystemError();
        if (!temporary.empty())
            ::unlinkat(dir.fd, temporary.c_str(), 0);
        return error;
    }
    // The rename reaches the disk with the folder. Once the rename is done the file is replaced, whatever the
    // folder's sync says: reporting a failure now would make the caller believe the old file still stands.
    ::fsync(dir.fd);
    return {};
}

void SyncFolder(const std::string& folder) {
    const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.fd >= 0)
        ::fsync(dir.fd);
}
