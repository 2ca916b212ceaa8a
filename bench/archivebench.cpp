// SPDX-License-Identifier: GPL-2.0-or-later
// Times one archive job of Kest's engine, or the same job done by tar alone, and prints
// "wall_ns cpu_ns" (children included). Run by bench/run:
//
//   bench-archive kest-extract ARCHIVE FOLDER       DecompressionTool::decompressionFile
//   bench-archive tar-extract ARCHIVE FOLDER [OPTION...]
//                                                   tar OPTION... ARCHIVE -C FOLDER (zxf when
//                                                   none given: Jxf, --zstd -xf ...)
//   bench-archive kest-compress DIR NAME ITEM...    DecompressionTool::compressFile(..., 1)
//   bench-archive tar-compress DIR NAME PARENT ITEM...
//                                                   tar zcf DIR/NAME -C PARENT ITEM...
//
// The exit status is 0 only when the job succeeded.
#include "decompressiontool.h"
#include "timing.h"

#include <cstring>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char **environ;

namespace {

int runTool(std::vector<std::string> words)
{
    std::vector<char *> argv;
    for (std::string &word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0)
        return -1;
    int status = 0;
    if (waitpid(pid, &status, 0) != pid)
        return -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

int usage()
{
    std::fputs("usage: bench-archive kest-extract ARCHIVE FOLDER\n"
               "       bench-archive tar-extract ARCHIVE FOLDER [OPTION...]\n"
               "       bench-archive kest-compress DIR NAME ITEM...\n"
               "       bench-archive tar-compress DIR NAME PARENT ITEM...\n",
               stderr);
    return 2;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 4)
        return usage();
    const std::string mode = argv[1];
    bool done = false;
    const Stopwatch watch;
    if (mode == "kest-extract") {
        DecompressionTool tool(QString::fromLocal8Bit(argv[2]), QString::fromLocal8Bit(argv[3]));
        done = tool.decompressionFile() == DecompressionTool::Done;
    } else if (mode == "tar-extract") {
        std::vector<std::string> words = {"tar"};
        for (int i = 4; i < argc; ++i)
            words.push_back(argv[i]);
        if (argc == 4)
            words.push_back("zxf");
        words.insert(words.end(), {argv[2], "-C", argv[3]});
        done = runTool(words) == 0;
    } else if (mode == "kest-compress" && argc >= 5) {
        QStringList items;
        for (int i = 4; i < argc; ++i)
            items << QString::fromLocal8Bit(argv[i]);
        DecompressionTool tool{QString(), QString()};
        done = tool.compressFile(items, QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[2]), 1)
               == DecompressionTool::Done;
    } else if (mode == "tar-compress" && argc >= 6) {
        std::vector<std::string> words = {"tar", "zcf", std::string(argv[2]) + "/" + argv[3], "-C", argv[4]};
        for (int i = 5; i < argc; ++i)
            words.push_back(argv[i]);
        done = runTool(words) == 0;
    } else {
        return usage();
    }
    watch.print();
    return done ? 0 : 1;
}
