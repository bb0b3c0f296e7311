#include "file_util.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

namespace vamu::service {

std::optional<std::string> readWholeFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) return std::nullopt;
    return bytes;
}

bool writeFileAtomically(const std::filesystem::path& file, std::string_view bytes, std::string& error,
                         Durability durability) {
    // The thread id keeps two writers of the same file from sharing a temporary name.
    const auto temporary = std::filesystem::path(file).concat(".tmp" + std::to_string(::gettid()));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        error = "cannot create " + temporary.string() + ": " + std::strerror(errno);
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const auto n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<std::size_t>(n);
    }
    const bool complete = written == bytes.size() && (durability == Durability::Replaceable || ::fsync(fd) == 0);
    const int savedErrno = errno;
    ::close(fd);
    if (!complete || std::rename(temporary.c_str(), file.c_str()) != 0) {
        error = "cannot write " + file.string() + ": " + std::strerror(complete ? errno : savedErrno);
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace vamu::service
