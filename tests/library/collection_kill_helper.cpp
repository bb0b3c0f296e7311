// Saves the collection file over and over until it is killed: each round appends one
// row numbered after the rows already there and saves, then reports "saved N" on
// standard output once the save has returned. The kill test holds it to every report.
//
//   collection_kill_helper PATH

#include "library/collection_file.h"

#include <cstdio>
#include <string>
#include <unistd.h>

int main(int argc, char** argv) {
    if (argc != 2) return 2;
    using namespace vamu::library;
    CollectionStore store(argv[1]);
    std::vector<CollectionRow> rows = loadCollection(store.path()).value_or(std::vector<CollectionRow>{});
    // Long enough rows that a write takes more than one system call's worth of time.
    const std::string title = "一首歌的名字 " + std::string(120, 'x');
    while (true) {
        const std::string number = std::to_string(rows.size() + 1);
        rows.push_back({"http://s/" + number + ".mp3", title + number, "上传者", number});
        if (store.save(rows, store.nextChange()) != CollectionStore::SaveResult::Written) return 1;
        const std::string report = "saved " + std::to_string(rows.size()) + "\n";
        if (::write(STDOUT_FILENO, report.data(), report.size()) < 0) return 1;
    }
}
