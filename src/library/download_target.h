#pragma once
// Where a downloaded song goes and what the download button says meanwhile. Qt-free.

#include "library/song_transfer.h"

#include <string>
#include <string_view>

namespace vamu::library {

// The title with every \ / : * ? " < > | taken out.
[[nodiscard]] std::string cleanTitle(std::string_view title);
// The music folder + "/vamu": the XDG MUSIC user dir (default ~/Music).
[[nodiscard]] std::string songFolder();
// folder + "/" + cleanTitle(title) + ".mp3".
[[nodiscard]] std::string songPath(std::string_view folder, std::string_view title);
// "%NN", doneBytes / totalBytes in whole per cent, truncated; "%0" while the size is
// unknown, at most "%100".
[[nodiscard]] std::string progressCaption(const TransferStatus& status);

}  // namespace vamu::library
