// Unpacking a livery-sized archive: the flow's extractor against unzip and bsdtar, side by side
// in one run on the same archive (in /dev/shm when there is one, so the disk does not decide).
// Prints the best of several runs of each as MB/s of unpacked data, and the ratios.
//
//   build-*/bench/unzip_bench [runs]

#include "online/ZipExtractor.h"
#include "support/TempDir.h"
#include "support/ZipMaker.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>

#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string makeWorkFolder()
{
    const fs::path base =
        fs::is_directory("/dev/shm") ? fs::path("/dev/shm") : fs::temp_directory_path();
    std::string pattern = (base / "hangarix-unzip-bench-XXXXXX").string();
    if (!::mkdtemp(pattern.data())) {
        std::perror("mkdtemp");
        std::exit(1);
    }
    return pattern;
}

double bestSeconds(int runs, const std::string& out, const std::function<void()>& unpack)
{
    double best = 1e30;
    for (int i = 0; i < runs; ++i) {
        fs::remove_all(out);
        fs::create_directories(out);
        const auto begin = std::chrono::steady_clock::now();
        unpack();
        const std::chrono::duration<double> took = std::chrono::steady_clock::now() - begin;
        best = std::min(best, took.count());
    }
    return best;
}

void runTool(const std::string& command)
{
    const hx::test::ProcessResult result = hx::test::runProcess(command);
    if (result.exitCode != 0) {
        std::fprintf(stderr, "%s failed: %s\n", command.c_str(), result.err.c_str());
        std::exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string work = makeWorkFolder();
    const std::string archive = work + "/livery.zip";

    // About 300 texture-like files in a few package folders, 20 MB compressed.
    hx::test::ZipMaker maker;
    std::uint64_t unpacked = 0;
    for (int i = 0; i < 300; ++i) {
        const std::size_t size = 120 * 1024 + static_cast<std::size_t>((i * 7919) % 120) * 1024;
        maker.file("Livery" + std::to_string(i % 6) + "/texture.L" + std::to_string(i % 6) +
                       "/tex_" + std::to_string(i) + ".bmp",
                   hx::test::textureLikeData(size, static_cast<std::uint32_t>(i + 1)));
        unpacked += size;
    }
    maker.save(archive);
    const double archiveMb = static_cast<double>(fs::file_size(archive)) / 1e6;
    const double unpackedMb = static_cast<double>(unpacked) / 1e6;
    std::printf("archive: %.1f MB, 300 files, %.1f MB unpacked, in %s, best of %d runs\n\n",
                archiveMb, unpackedMb, work.c_str(), runs);

    const std::string out = work + "/out";
    const double ours =
        bestSeconds(runs, out, [&] { hx::ZipExtractor().extractAll(archive, out); });
    const double unzip = bestSeconds(runs, out, [&] {
        runTool("unzip -q -o " + hx::test::shellQuote(archive) + " -d " +
                hx::test::shellQuote(out));
    });
    const double bsdtar = bestSeconds(runs, out, [&] {
        runTool("bsdtar -xf " + hx::test::shellQuote(archive) + " -C " + hx::test::shellQuote(out));
    });

    std::printf("%-14s %10s %10s\n", "tool", "seconds", "MB/s");
    std::printf("%-14s %10.3f %10.1f\n", "ZipExtractor", ours, unpackedMb / ours);
    std::printf("%-14s %10.3f %10.1f\n", "unzip -q", unzip, unpackedMb / unzip);
    std::printf("%-14s %10.3f %10.1f\n", "bsdtar -xf", bsdtar, unpackedMb / bsdtar);
    std::printf("\nZipExtractor / unzip:  %.2f\nZipExtractor / bsdtar: %.2f\n", unzip / ours,
                bsdtar / ours);
    fs::remove_all(work);
    return 0;
}
