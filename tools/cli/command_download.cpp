// vamu-cli download URL FILE: downloads one song with SongTransfer and prints its progress
// every half second, the way the download button shows it.

#include <chrono>
#include <cstdio>
#include <string>
#include <thread>

#include "cli_command.h"
#include "library/song_transfer.h"

namespace vamu::cli {
namespace {

using library::SongTransfer;
using library::TransferState;
using library::TransferStatus;

int runDownload(std::span<const std::string_view> arguments);

constexpr Command kDownload{"download", "URL FILE",
                            "downloads a song into FILE, printing the progress; fails when it is incomplete",
                            runDownload};

void printProgress(const TransferStatus& status) {
    // Whole per cent, truncated; nothing to divide by until the size is known.
    const long long percent = status.totalBytes > 0 ? status.doneBytes * 100 / status.totalBytes : 0;
    std::printf("state=%d progress=%%%lld bytes=%lld/%lld file=%s\n", static_cast<int>(status.state), percent,
                static_cast<long long>(status.doneBytes), static_cast<long long>(status.totalBytes),
                status.fileName.c_str());
    std::fflush(stdout);
}

int runDownload(std::span<const std::string_view> arguments) {
    if (arguments.size() != 2) {
        return usageOf(kDownload);
    }
    SongTransfer transfer;
    transfer.start(std::string(arguments[0]), std::string(arguments[1]));
    for (;;) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        const TransferStatus status = transfer.status();
        printProgress(status);
        if (status.state == TransferState::Finished) {
            return kExitOk;
        }
        if (status.state == TransferState::Failed) {
            return kExitFailure;
        }
    }
}

}  // namespace

const Command& downloadCommand() { return kDownload; }

}  // namespace vamu::cli
