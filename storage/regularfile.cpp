#include "regularfile.h"

#include <array>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

FileBytes ReadItems(const std::string& path, const ItemBounds& bounds, Links links) {
    const int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC | (links == Links::Refuse ? O_NOFOLLOW : 0);
    const int fd = ::open(path.c_str(), flags);
    if (fd < 0)
        return {errno == ENOENT ? FileBytes::Status::Missing : FileBytes::Status::Refused, {}};
    FileBytes result;
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        ItemScanner scanner(bounds);
        std::string bytes;
        std::array<char, 16384> chunk;
        for (;;) {
            const ssize_t n = ::read(fd, chunk.data(), chunk.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0) {
                if (n == 0)
                    result = {FileBytes::Status::Read, std::move(bytes)};
                break;
            }
            const auto state = scanner.Feed({chunk.data(), static_cast<std::size_t>(n)});
            if (state == ItemScanner::State::TooLong)
                break;
            bytes.append(chunk.data(), static_cast<std::size_t>(n));
            if (state == ItemScanner::State::Complete) {
                bytes.resize(scanner.Length());
                result = {FileBytes::Status::Read, std::move(bytes)};
                break;
            }
        }
    }
    ::close(fd);
    return result;
}
