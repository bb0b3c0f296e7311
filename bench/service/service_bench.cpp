// Throughput of vamu-service: requests a second on the hot list (over kept-alive
// connections, and with a new connection for each request as the program makes them),
// and songs streamed at full speed to several clients at once.
//
//   service_bench [--seconds N] [--clients N] [--streams N]
//
// The service runs in this process on free loopback ports with a fresh demo catalogue
// in a temporary directory; client and server share the machine's cores.

#include "net/http_request.h"
#include "vamu_service.h"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;
using vamu::service::Service;

struct Settings {
    double seconds = 5;
    int clients = 8;
    int streams = 8;
};

struct Latencies {
    std::vector<double> milliseconds;
    double percentile(double p) {
        if (milliseconds.empty()) return 0;
        std::sort(milliseconds.begin(), milliseconds.end());
        return milliseconds[static_cast<std::size_t>(p * static_cast<double>(milliseconds.size() - 1))];
    }
};

// Runs `request` on `clients` threads for the given time; prints requests a second and latencies.
template <typename MakeClient>
void measureRequests(const char* title, const Settings& settings, MakeClient makeClient) {
    std::atomic<long> failures{0};
    std::vector<Latencies> perThread(static_cast<std::size_t>(settings.clients));
    std::vector<std::thread> threads;
    const auto until = Clock::now() + std::chrono::duration<double>(settings.seconds);
    for (int t = 0; t < settings.clients; ++t) {
        threads.emplace_back([&, t] {
            auto request = makeClient();
            for (int page = 1 + t; Clock::now() < until; page = page % 50 + 1) {
                const auto start = Clock::now();
                if (!request("/sound/hot?page=" + std::to_string(page))) ++failures;
                perThread[static_cast<std::size_t>(t)].milliseconds.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - start).count());
            }
        });
    }
    for (auto& thread : threads) thread.join();
    Latencies all;
    for (auto& l : perThread)
        all.milliseconds.insert(all.milliseconds.end(), l.milliseconds.begin(), l.milliseconds.end());
    std::printf("%-44s %8.0f requests/s   p50 %.2f ms   p99 %.2f ms   failures %ld\n", title,
                static_cast<double>(all.milliseconds.size()) / settings.seconds, all.percentile(0.5),
                all.percentile(0.99), failures.load());
}

void measureStreams(const Settings& settings, const std::string& base, const std::string& path) {
    httplib::Client warm(base);
    warm.set_read_timeout(120, 0);
    const auto first = warm.Get(path);  // makes the song before the clock starts
    if (!first || first->status != 200) {
        std::printf("streams: the song could not be fetched\n");
        return;
    }
    const auto size = first->body.size();
    std::atomic<long> failures{0};
    std::vector<double> seconds(static_cast<std::size_t>(settings.streams));
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int s = 0; s < settings.streams; ++s) {
        threads.emplace_back([&, s] {
            const auto begin = Clock::now();
            httplib::Client client(base);
            const auto reply = client.Get(path);
            if (!reply || reply->body.size() != size) ++failures;
            seconds[static_cast<std::size_t>(s)] = std::chrono::duration<double>(Clock::now() - begin).count();
        });
    }
    for (auto& thread : threads) thread.join();
    const double total = std::chrono::duration<double>(Clock::now() - start).count();
    const double playing = static_cast<double>(size) / 16000.0;
    std::printf(
        "%d concurrent streams of a %.0f s song (%.2f MB): all done in %.2f s, %.0f MB/s together, "
        "slowest stream %.0fx faster than playback, failures %ld\n",
        settings.streams, playing, static_cast<double>(size) / 1e6, total,
        static_cast<double>(size) * settings.streams / total / 1e6,
        playing / *std::max_element(seconds.begin(), seconds.end()), failures.load());
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const double value = std::atof(argv[i + 1]);
        if (name == "--seconds") settings.seconds = value;
        if (name == "--clients") settings.clients = static_cast<int>(value);
        if (name == "--streams") settings.streams = static_cast<int>(value);
    }
    vamu::service::ServiceOptions options;
    options.dataDirectory =
        std::filesystem::temp_directory_path() / ("vamu-service-bench-" + std::to_string(::getpid()));
    options.apiPort = 0;
    options.companionPort = 0;
    options.generatorThreads = 0;
    std::string error;
    auto service = Service::start(options, error);
    if (!service) {
        std::fprintf(stderr, "service_bench: %s\n", error.c_str());
        return 1;
    }
    const auto base = service->apiBaseUrl();
    std::printf("vamu-service on %s, %u cores, %d clients, %.0f s a run\n", base.c_str(),
                std::thread::hardware_concurrency(), settings.clients, settings.seconds);

    measureRequests("GET /sound/hot, kept-alive connections", settings, [&] {
        auto client = std::make_shared<httplib::Client>(base);
        client->set_keep_alive(true);
        return [client](const std::string& path) {
            const auto reply = client->Get(path);
            return reply && reply->status == 200;
        };
    });
    measureRequests("GET /sound/hot, a new connection each", settings, [&] {
        return [&](const std::string& path) {
            vamu::net::HttpRequestArgs args;
            args.url = base + path;
            args.cookies = "";
            return vamu::net::httpRequest(args).status == 200;
        };
    });
    // The longest demo song: three minutes.
    const auto longest =
        std::max_element(service->catalogue().data().songs.begin(), service->catalogue().data().songs.end(),
                         [](const auto& a, const auto& b) { return a.seconds < b.seconds; });
    measureStreams(settings, base, "/media/sound/" + std::to_string(longest->id) + ".mp3");

    service->stop();
    service.reset();
    std::filesystem::remove_all(options.dataDirectory);
    return 0;
}
