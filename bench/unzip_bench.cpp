// Unpacking the two shapes of archive that stress an extractor, a large single file and many
// small files: the flow's extractor against unzip and bsdtar, side by side in one run on the
// same archive (in /dev/shm when there is one, so the disk does not decide). Prints the best of
// several runs of each as MB/s of unpacked data, and the ratios; the extractor runs once on one
// thread and once writing on a second one, which pays only with a core to spare.
//
//   build-*/bench/unzip_bench [runs] [large|many]

#include "archive/ZipExtractor.h"
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

struct Shape {
    const char* name;
    std::string archive;
    std::uint64_t unpacked = 0;
    std::size_t files = 0;
};

// One entry of 300 MiB: the inflater and the writes alone decide.
Shape largeFile(const std::string& work)
{
    Shape shape{"one 300 MiB file", work + "/large.zip"};
    const std::size_t size = std::size_t{300} << 20;
    hx::test::ZipMaker()
        .file("Livery/texture.L/big.bmp", hx::test::textureLikeData(size, 1))
        .save(shape.archive);
    shape.unpacked = size;
    shape.files = 1;
    return shape;
}

// 5,000 small files in a few package folders: opening, creating and closing decide.
Shape manyFiles(const std::string& work)
{
    Shape shape{"5,000 small files", work + "/many.zip"};
    hx::test::ZipMaker maker;
    for (int i = 0; i < 5000; ++i) {
        const std::size_t size = 512 + static_cast<std::size_t>((i * 7919) % 8) * 1024;
        maker.file("Livery" + std::to_string(i % 6) + "/texture.L" + std::to_string(i % 6) +
                       "/tex_" + std::to_string(i) + ".bmp",
                   hx::test::textureLikeData(size, static_cast<std::uint32_t>(i + 1)));
        shape.unpacked += size;
    }
    maker.save(shape.archive);
    shape.files = 5000;
    return shape;
}

void compare(const Shape& shape, const std::string& out, int runs)
{
    const double unpackedMb = static_cast<double>(shape.unpacked) / 1e6;
    std::printf("%s: archive %.1f MB, %.1f MB unpacked, best of %d runs\n", shape.name,
                static_cast<double>(fs::file_size(shape.archive)) / 1e6, unpackedMb, runs);
    auto extractor = [&](bool parallel) {
        return bestSeconds(runs, out, [&] {
            hx::ZipExtractor zip;
            zip.setParallelWrites(parallel);
            zip.extractAll(shape.archive, out);
        });
    };
    const double ours = extractor(false);
    const double ours2 = extractor(true);
    const double unzip = bestSeconds(runs, out, [&] {
        runTool("unzip -q -o " + hx::test::shellQuote(shape.archive) + " -d " +
                hx::test::shellQuote(out));
    });
    const double bsdtar = bestSeconds(runs, out, [&] {
        runTool("bsdtar -xf " + hx::test::shellQuote(shape.archive) + " -C " +
                hx::test::shellQuote(out));
    });
    std::printf("  %-14s %10s %10s\n", "tool", "seconds", "MB/s");
    std::printf("  %-14s %10.3f %10.1f\n", "ZipExtractor", ours, unpackedMb / ours);
    std::printf("  %-14s %10.3f %10.1f   (the default with 2 or more cores)\n", "  2 threads",
                ours2, unpackedMb / ours2);
    std::printf("  %-14s %10.3f %10.1f\n", "unzip -q", unzip, unpackedMb / unzip);
    std::printf("  %-14s %10.3f %10.1f\n", "bsdtar -xf", bsdtar, unpackedMb / bsdtar);
    std::printf(
        "  ZipExtractor / unzip:  %.2fx\n  ZipExtractor / bsdtar: %.2fx (2 threads: %.2fx)\n\n",
        unzip / ours, bsdtar / ours, bsdtar / ours2);
}

} // namespace

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
    const std::string only = argc > 2 ? argv[2] : "";
    const std::string work = makeWorkFolder();
    std::printf("in %s\n\n", work.c_str());
    const std::string out = work + "/out";
    if (only.empty() || only == "large")
        compare(largeFile(work), out, runs);
    if (only.empty() || only == "many")
        compare(manyFiles(work), out, runs);
    fs::remove_all(work);
    return 0;
}
