#pragma once
// libcurl's process-wide set-up, done once before the first reader thread starts.

namespace vamu::playback {

// Runs curl_global_init exactly once per process; safe from any thread.
// Returns false when libcurl could not be set up (no stream can then be fetched).
bool ensureCurlGlobalInit();

}  // namespace vamu::playback
