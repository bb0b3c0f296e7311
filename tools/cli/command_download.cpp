// vamu-cli download URL FILE
// Downloads one song with SongTransfer and prints its progress every half second, the
// way the download button shows it. Exit status 0 when the file is complete.

#include <chrono>
#include <cstdio>
#include <thread>

#include "library/song_transfer.h"

using vamu::library::SongTransfer;
using vamu::library::TransferState;
using vamu::library::TransferStatus;

namespace {

void printProgress(const TransferStatus& status) {
    // Whole per cent, truncated; nothing to divide by until the size is known.
    const long long percent = status.totalBytes > 0 ? status.doneBytes * 100 / status.totalBytes : 0;
    std::printf("state=%d progress=%%%lld bytes=%lld/%lld file=%s\n", static_cast<int>(status.state), percent,
                static_cast<long long>(status.doneBytes), static_cast<long long>(status.totalBytes),
                status.fileName.c_str());
    std::fflush(stdout);
}

}  // namespace

int runDownloadCommand(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: download URL FILE\n");
        return 2;
    }
    SongTransfer transfer;
    transfer.start(argv[1], argv[2]);
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const TransferStatus status = transfer.status();
        printProgress(status);
        if (status.state == TransferState::Finished || status.state == TransferState::Failed) {
            return status.state == TransferState::Finished ? 0 : 1;
        }
    }
}
