#include "library/collection_file.h"

#include "core/process_start.h"
#include "core/text_encoding.h"
#include "core/user_dirs.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <fstream>
#include <iterator>
#include <unistd.h>

namespace vamu::library {
namespace {

// The file is small; anything beyond this is not a collection written by the program.
constexpr std::uintmax_t kMaxFileBytes = 64u * 1024u * 1024u;

std::vector<std::string_view> splitPieces(std::string_view line) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    while (true) {
        const std::size_t at = line.find(kSeparator, start);
        if (at == std::string_view::npos) {
            pieces.push_back(line.substr(start));
            return pieces;
        }
        pieces.push_back(line.substr(start, at - start));
        start = at + kSeparator.size();
    }
}

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

void syncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    (void)::fsync(fd);
    ::close(fd);
}

}  // namespace

std::filesystem::path collectionPath() {
    return std::filesystem::path(core::dataHome()) / "vamu" / std::string(kCollectionFileName);
}

std::vector<CollectionRow> parseCollection(std::string_view bytes) {
    const std::string text = core::gb18030ToUtf8(bytes);
    std::vector<CollectionRow> rows;
    // Lines end at CR LF; a lone LF is then part of a title (earlier versions wrote the
    // service's texts as they came). A file written by hand with LF only still loads.
    const std::string_view lineEnd = text.find("\r\n") != std::string::npos ? "\r\n" : "\n";
    std::string_view rest = text;
    while (!rest.empty()) {
        const std::size_t end = rest.find(lineEnd);
        std::string_view line = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view{} : rest.substr(end + lineEnd.size());
        const auto pieces = splitPieces(line);
        if (pieces.size() < 4) continue;
        rows.push_back(
            {std::string(pieces[0]), std::string(pieces[1]), std::string(pieces[2]), std::string(pieces[3])});
    }
    return rows;
}

std::string formatCollection(const std::vector<CollectionRow>& rows) {
    std::string text;
    // A line break inside a field would end its line early and lose the row at the next load.
    const auto field = [&text](std::string_view value) {
        for (const char c : value) text += (c == '\r' || c == '\n') ? ' ' : c;
    };
    for (const CollectionRow& row : rows) {
        field(row.source);
        text += kSeparator;
        field(row.name);
        text += kSeparator;
        field(row.uploader);
        text += kSeparator;
        field(row.id);
        text += "\r\n";
    }
    return core::utf8ToGb18030(text);
}

std::optional<std::vector<CollectionRow>> loadCollection(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (error || size > kMaxFileBytes) return std::nullopt;
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    const std::string bytes{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    return parseCollection(bytes);
}

bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::error_code* error) {
    const auto fail = [error](int reason) {
        if (error) *error = std::error_code(reason, std::generic_category());
        return false;
    };
    const std::filesystem::path folder = path.parent_path();
    std::error_code ignored;
    std::filesystem::create_directories(folder, ignored);
    std::string pattern = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd < 0) return fail(errno);
    int reason = 0;  // the first step that failed
    if (!writeAll(fd, bytes) || ::fsync(fd) != 0) reason = errno;
    if (::close(fd) != 0 && reason == 0) reason = errno;
    if (reason == 0 && ::rename(pattern.c_str(), path.c_str()) != 0) reason = errno;
    if (reason != 0) {
        ::unlink(pattern.c_str());
        return fail(reason);
    }
    syncFolder(folder);
    return true;
}

CollectionStore::SaveResult CollectionStore::save(const std::vector<CollectionRow>& rows, std::uint64_t change,
                                                  std::error_code* error) {
    const std::lock_guard lock(m_mutex);
    if (change < m_written) return SaveResult::Superseded;
    m_written = change;
    if (rows.empty()) {
        std::error_code removeError;
        std::filesystem::remove(m_path, removeError);
        if (removeError) {
            if (error) *error = removeError;
            return SaveResult::Failed;
        }
        syncFolder(m_path.parent_path());
        return SaveResult::Removed;
    }
    return replaceFileAtomically(m_path, formatCollection(rows), error) ? SaveResult::Written : SaveResult::Failed;
}

int CollectionStore::removeStaleTemporaryFiles() {
    const std::optional<long long> started = core::processStartTime();
    if (!started) return 0;
    // The start is known to whole seconds: a margin keeps anything of this run.
    const long long cutoff = *started - 2;
    // Held, no save of this process is between making its temporary file and renaming it.
    const std::lock_guard lock(m_mutex);
    const std::string prefix = "." + m_path.filename().string() + ".";
    std::error_code error;
    std::vector<std::filesystem::path> stale;
    for (std::filesystem::directory_iterator it(m_path.parent_path(), error), end; !error && it != end;
         it.increment(error)) {
        const std::string name = it->path().filename().string();
        if (name.size() != prefix.size() + 6 || !name.starts_with(prefix)) continue;
        const bool random = std::all_of(name.begin() + static_cast<std::ptrdiff_t>(prefix.size()), name.end(),
                                        [](unsigned char c) { return std::isalnum(c) != 0; });
        struct stat info {};
        if (random && ::lstat(it->path().c_str(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            static_cast<long long>(info.st_mtime) < cutoff) {
            stale.push_back(it->path());
        }
    }
    int removed = 0;
    for (const std::filesystem::path& path : stale) removed += ::unlink(path.c_str()) == 0 ? 1 : 0;
    return removed;
}

}  // namespace vamu::library
