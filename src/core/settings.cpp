#include "core/settings.h"

#include "core/process_start.h"
#include "core/user_dirs.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <limits>
#include <mutex>
#include <optional>
#include <vector>

#include "core/ini_text.h"
#include "core/text_encoding.h"

namespace vamu::core {
namespace {

// A value read is cut to this many bytes, counted the way GBK counts them.
constexpr std::size_t kMaxValueBytes = 10'239;
// A settings file is a few hundred bytes; a larger one than this is not ours to rewrite.
constexpr std::size_t kMaxFileBytes = 16u << 20;
// Temporary files of replaceFile(): this prefix and six letters or digits from mkostemp.
constexpr std::string_view kTemporaryPrefix = ".vamu.ini.";
constexpr std::size_t kTemporarySuffixLength = 6;

// Owned by this file: held for the whole of every read and every read-modify-write of the
// settings file, so two writers of this process never interleave and lose each other's keys.
std::mutex& settingsMutex() {
    static std::mutex mutex;
    return mutex;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    bool reset() {
        const int fd = m_fd;
        m_fd = -1;
        return fd < 0 || ::close(fd) == 0;
    }

private:
    int m_fd = -1;
};

std::string folderOf(const std::string& path) { return path.substr(0, path.rfind('/')); }

// mkdir -p, new folders private to the user.
bool makeFolders(const std::string& folder) {
    std::size_t position = 1;
    while (position <= folder.size()) {
        const std::size_t slash = folder.find('/', position);
        const std::string prefix = folder.substr(0, slash);
        if (::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            return false;
        }
        if (slash == std::string::npos) {
            break;
        }
        position = slash + 1;
    }
    struct stat info {};
    return ::stat(folder.c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

// The file's bytes; empty when it does not exist; nullopt when it exists but cannot be read.
// Only a regular file is read: a FIFO or a device in its place would block the reader or
// stream without end, so it counts as unreadable (and a write then fails rather than replace it).
std::optional<std::string> readWhole(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return errno == ENOENT || errno == ENOTDIR ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    if (!S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    // O_NONBLOCK: should a FIFO take the file's place after the check, open() still returns.
    const FileDescriptor file(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (!file.valid()) {
        return errno == ENOENT || errno == ENOTDIR ? std::optional<std::string>(std::string()) : std::nullopt;
    }
    if (::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::string bytes;
    char chunk[8192];
    for (;;) {
        const ssize_t count = ::read(file.get(), chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count < 0 || bytes.size() + static_cast<std::size_t>(count) > kMaxFileBytes) {
            return std::nullopt;
        }
        if (count == 0) {
            return bytes;
        }
        bytes.append(chunk, static_cast<std::size_t>(count));
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t count = ::write(fd, bytes.data(), bytes.size());
        if (count < 0 && errno == EINTR) {
            continue;
        }
        if (count <= 0) {
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(count));
    }
    return true;
}

// Writes a temporary file beside `path` and renames it over `path`, so the file is either
// the old one or the new one whole, even when the program or the machine stops midway.
bool replaceFile(int folderFd, const std::string& path, std::string_view bytes) {
    std::string temporary = folderOf(path) + '/' + std::string(kTemporaryPrefix) + "XXXXXX";
    FileDescriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!file.valid()) {
        return false;
    }
    const bool written = ::fchmod(file.get(), 0600) == 0 && writeAll(file.get(), bytes) && ::fsync(file.get()) == 0;
    if (!file.reset() || !written || ::rename(temporary.c_str(), path.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    ::fsync(folderFd);  // makes the rename itself durable; the file is complete either way
    return true;
}

bool isTemporaryName(std::string_view name) {
    if (name.size() != kTemporaryPrefix.size() + kTemporarySuffixLength || !name.starts_with(kTemporaryPrefix)) {
        return false;
    }
    for (const char c : name.substr(kTemporaryPrefix.size())) {
        if (!((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9'))) {
            return false;
        }
    }
    return true;
}

// Caller holds settingsMutex().
std::optional<std::string> storedValue(std::string_view key) {
    const std::optional<std::string> bytes = readWhole(settingsPath());
    if (!bytes) {
        return std::nullopt;
    }
    return iniValue(*bytes, setting::kSection, key);
}

}  // namespace

std::string settingsPath() { return configHome() + "/vamu/vamu.ini"; }

int removeStaleSettingsFiles() {
    const std::optional<long long> started = processStartTime();
    if (!started) {
        return 0;
    }
    // /proc gives the start to whole seconds, rounded down; a margin keeps anything that may
    // belong to this run.
    const long long cutoff = *started - 2;
    const std::lock_guard lock(settingsMutex());
    const int folderFd = ::open(folderOf(settingsPath()).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0) {
        return 0;
    }
    // While the writers' lock is held no process is between creating and renaming its
    // temporary file, so what is left is a killed writer's. A busy lock: try another time.
    if (::flock(folderFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(folderFd);
        return 0;
    }
    DIR* folder = ::fdopendir(folderFd);  // owns folderFd from here
    if (folder == nullptr) {
        ::close(folderFd);
        return 0;
    }
    std::vector<std::string> stale;
    while (const dirent* entry = ::readdir(folder)) {
        struct stat info {};
        if (isTemporaryName(entry->d_name) && ::fstatat(folderFd, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && static_cast<long long>(info.st_mtime) < cutoff) {
            stale.emplace_back(entry->d_name);
        }
    }
    int removed = 0;
    for (const std::string& name : stale) {
        removed += ::unlinkat(folderFd, name.c_str(), 0) == 0 ? 1 : 0;
    }
    ::closedir(folder);  // closes folderFd, releasing the lock
    return removed;
}

int textToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > static_cast<long long>(INT_MAX) + 1) {
            value = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        value = -value;
    }
    return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

std::string readSetting(std::string_view key, std::string_view defaultValue) {
    std::optional<std::string> value;
    {
        const std::lock_guard lock(settingsMutex());
        value = storedValue(key);
    }
    return std::string(gbkPrefix(value ? *value : defaultValue, kMaxValueBytes));
}

int readSettingInt(std::string_view key, int defaultValue) {
    std::optional<std::string> value;
    {
        const std::lock_guard lock(settingsMutex());
        value = storedValue(key);
    }
    return value ? textToInt(gbkPrefix(*value, kMaxValueBytes)) : defaultValue;
}

bool writeSetting(std::string_view key, std::string_view value, CreateFolder createFolder) {
    const std::lock_guard lock(settingsMutex());
    const std::string path = settingsPath();
    const std::string folder = folderOf(path);
    if (createFolder == CreateFolder::Yes && !makeFolders(folder)) {
        return false;
    }
    const FileDescriptor folderFd(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!folderFd.valid()) {
        return false;
    }
    // Other processes writing the file take the same lock; readers need none, as the file
    // is only ever replaced whole.
    int locked = 0;
    do {
        locked = ::flock(folderFd.get(), LOCK_EX);
    } while (locked != 0 && errno == EINTR);
    if (locked != 0) {
        return false;
    }
    const std::optional<std::string> bytes = readWhole(path);
    if (!bytes) {
        return false;
    }
    const std::optional<std::string> updated = iniWithValue(*bytes, setting::kSection, key, value);
    if (!updated) {
        return false;
    }
    if (*updated == *bytes) {
        return true;
    }
    return replaceFile(folderFd.get(), path, *updated);
}

std::string readSetting(const SettingKey& key) { return readSetting(key.name, key.defaultValue); }

int readSettingInt(const SettingKey& key) { return readSettingInt(key.name, textToInt(key.defaultValue)); }

bool writeSetting(const SettingKey& key, std::string_view value, CreateFolder createFolder) {
    return writeSetting(key.name, value, createFolder);
}

}  // namespace vamu::core
