// Stand-in for vamu-cli until its command table exists: runs the play and download
// commands of tools/cli/.
//   vamu-play play URL-or-FILE [--seconds N] [--volume V] [--silent]
//   vamu-play download URL FILE

#include <cstdio>
#include <string_view>

int runPlayCommand(int argc, char** argv);
int runDownloadCommand(int argc, char** argv);

int main(int argc, char** argv) {
    const std::string_view command = argc > 1 ? argv[1] : "";
    if (command == "play") {
        return runPlayCommand(argc - 1, argv + 1);
    }
    if (command == "download") {
        return runDownloadCommand(argc - 1, argv + 1);
    }
    std::fprintf(stderr, "usage: %s play URL-or-FILE [--seconds N] [--volume V] [--silent]\n"
                         "       %s download URL FILE\n", argv[0], argv[0]);
    return 2;
}
