#pragma once
// The collection file: the user's local list of favourite songs, one line per row in
// list order, kept in the data directory ("$XDG_DATA_HOME/vamu/Collection"). A line is
//
//   source "-这是分隔符-" title "-这是分隔符-" uploader "-这是分隔符-" id CR LF
//
// in GB18030 (files of earlier versions are GBK, a subset, and load unchanged). The row
// number is not stored; it is the row's position. An empty collection is no file.
//
// Qt-free. The functions may be called from any thread; saves of one CollectionStore
// are serialised, and a save never leaves a half-written file: it writes a temporary
// file beside the collection, flushes it to the disk and renames it over the old one.

#include <cstdint>
#include <filesystem>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace vamu::library {

inline constexpr std::string_view kSeparator = "-这是分隔符-";
inline constexpr std::string_view kCollectionFileName = "Collection";
// The message of a save that failed; the reason follows on its own line.
inline constexpr std::string_view kSaveFailedText = "收藏保存失败";

// One row of the collection as stored (UTF-8 in memory).
struct CollectionRow {
    std::string source;    // stream URL
    std::string name;      // title
    std::string uploader;  // uploader's name, "搜索" for rows that came from a search
    std::string id;        // song id; the identity of a row
    bool operator==(const CollectionRow&) const = default;
};

// "$XDG_DATA_HOME/vamu/Collection" (default "~/.local/share/vamu/Collection"), built afresh.
[[nodiscard]] std::filesystem::path collectionPath();

// The rows of a file's bytes. Lines end at CR LF when the file holds any CR LF (a lone LF
// is then part of a field), at LF otherwise; the last line may lack its end. Lines of
// fewer than four pieces are skipped; pieces past the fourth are ignored.
[[nodiscard]] std::vector<CollectionRow> parseCollection(std::string_view bytes);
// The file's bytes for `rows`: GB18030, every line ended by CR LF; a CR or LF inside a
// field is written as a space.
[[nodiscard]] std::string formatCollection(const std::vector<CollectionRow>& rows);

// The rows of the file at `path`; nullopt when there is no file (or it cannot be read).
[[nodiscard]] std::optional<std::vector<CollectionRow>> loadCollection(const std::filesystem::path& path);

// Saves of one collection file. Each change of the list takes a number (nextChange(), UI
// thread) and hands the rows and that number to save() on any thread; a save whose number
// is older than one already written is skipped, so the file always ends with the newest
// change, whatever order the saves run in.
class CollectionStore {
public:
    explicit CollectionStore(std::filesystem::path path) : m_path(std::move(path)) {}

    [[nodiscard]] const std::filesystem::path& path() const { return m_path; }
    [[nodiscard]] std::uint64_t nextChange() { return ++m_changes; }  // UI thread

    enum class SaveResult { Written, Removed, Superseded, Failed };
    // No rows: the file is removed. Otherwise the file is replaced atomically. On Failed,
    // `error` (when given) says why.
    SaveResult save(const std::vector<CollectionRow>& rows, std::uint64_t change, std::error_code* error = nullptr);
    // Deletes the temporary files that a run killed while saving left beside the file
    // (older than this process, ours, regular files). Answers how many went.
    int removeStaleTemporaryFiles();

private:
    std::filesystem::path m_path;
    std::uint64_t m_changes = 0;  // UI thread
    std::mutex m_mutex;           // serialises save()
    std::uint64_t m_written = 0;  // guarded by m_mutex
};

// Replaces the file at `path` with `bytes` atomically (temporary file, fsync, rename,
// fsync of the folder), making the folder when missing. False on any failure, with its
// reason in `error` when given; the old file is then untouched.
bool replaceFileAtomically(const std::filesystem::path& path, std::string_view bytes, std::error_code* error = nullptr);

}  // namespace vamu::library
