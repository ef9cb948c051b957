// Installing a livery: the aircraft.cfg edit at 10 to 100,000 entries (its cost should
// grow with the file's size, not faster), copying a texture folder of 200 files / 100 MB
// with copyFileNoOverwrite against `cp -n` on the same files, and a whole installation of such
// a livery into a 10,000-entry aircraft.cfg, with its history, against `cp -rn` of the texture
// folder alone: in this process as the window runs it, and as a hangarix-cli process.
//
// Run: build/bench/install_bench [rounds]   (prints three tables; everything lives in a temporary
// folder that is removed at the end)

#include "aircraftcfg/FltsimEntries.h"
#include "aircraftcfg/Installation.h"
#include "history/History.h"
#include "platform/FileSystem.h"
#include "support/TempDir.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

struct Silent : hx::Feedback {
    void showMessage(const std::string&) override {}
};

std::string entry(std::size_t n)
{
    const std::string v = "Livery " + std::to_string(n);
    return "[fltsim." + std::to_string(n) + "]\r\ntitle=KZQ Airbus A320 " + v +
           "\r\nsim=KZQ_A320\r\nmodel=\r\npanel=\r\nsound=\r\ntexture=" + std::to_string(n) +
           "\r\nkb_checklists=KZQ_A320_check\r\nkb_reference=KZQ_A320_ref\r\natc_id=D-A" +
           std::to_string(n) +
           "\r\natc_airline=KAYZEDQUE\r\natc_flight_number=320\r\n"
           "ui_manufacturer=\"Airbus\"\r\nui_type=\"A320-200\"\r\nui_variation=" +
           v +
           "\r\nui_typerole=\"Commercial Airliner\"\r\nui_createdby=\"KZQ Simulations\"\r\n"
           "description=Airbus A320-214 in the colours of " +
           v + ".\r\n\r\n";
}

void benchEntries(const hx::test::TempDir& dir, int rounds)
{
    std::printf("installing one livery (no texture files) into an aircraft.cfg; medians\n");
    std::printf("%8s %8s %11s %10s %10s %10s %11s %11s\n", "entries", "file KB", "install ms",
                "read ms", "edit ms", "write ms", "read+edit", "us/entry");
    std::printf("%8s %8s %11s %10s %10s %10s %11s %11s\n", "", "", "", "", "", "", "ms/MB",
                "(install)");
    const std::string root = dir / "FS9";
    const std::string product = root + "/Aircraft/KZQ_A320";
    const std::string config = product + "/aircraft.cfg";
    hx::test::writeFile(dir / "pkg/installerinfo.txt", "");
    hx::PackageToInstall package;
    package.packageFolder = dir / "pkg";
    package.productFolderName = "KZQ_A320";
    package.informationText = entry(0).substr(0, entry(0).size() - 2);
    package.informationText.replace(8, 1, "xx");
    const hx::Simulator sim{hx::SimKind::FS9, root};
    Silent silent;
    for (std::size_t count :
         {std::size_t{10}, std::size_t{1000}, std::size_t{10000}, std::size_t{100000}}) {
        std::string text;
        for (std::size_t i = 0; i < count; ++i)
            text += entry(i);
        text += "[General]\r\natc_type=AIRBUS\r\natc_model=A320\r\n";
        hx::test::writeFile(config, text);
        std::vector<double> install, read, edit, write;
        for (int r = 0; r < rounds; ++r) {
            auto start = Clock::now();
            hx::installOnePackage(package, sim, silent);
            install.push_back(secondsSince(start));
            // The same work in its three steps.
            start = Clock::now();
            const std::string working = hx::readWorkingText(config);
            read.push_back(secondsSince(start));
            start = Clock::now();
            const std::string next = hx::insertEntry(
                working, hx::numberEntry(package.informationText, hx::newEntryNumber(working)));
            edit.push_back(secondsSince(start));
            start = Clock::now();
            hx::writeWorkingText(config, next);
            write.push_back(secondsSince(start));
        }
        const double mb = static_cast<double>(text.size()) / (1024.0 * 1024.0);
        const double t = median(install);
        std::printf("%8zu %8zu %11.3f %10.3f %10.3f %10.3f %11.2f %11.3f\n", count,
                    text.size() / 1024, t * 1e3, median(read) * 1e3, median(edit) * 1e3,
                    median(write) * 1e3, (median(read) + median(edit)) * 1e3 / mb,
                    t * 1e6 / static_cast<double>(count));
    }
    std::printf("(the write replaces the file atomically and flushes it and its folder to disk;\n"
                " that flush is a fixed cost that dominates small files)\n");
}

// The livery of the copy and the whole installation: 200 x 512 KB = 100 MB of random bytes.
constexpr int kFiles = 200;
constexpr std::size_t kFileSize = 512 * 1024;

void writeTextureFolder(const std::string& folder)
{
    std::mt19937_64 random(42);
    std::string bytes(kFileSize, '\0');
    for (int i = 0; i < kFiles; ++i) {
        for (std::size_t k = 0; k + 8 <= bytes.size(); k += 8) {
            const auto v = random();
            std::memcpy(bytes.data() + k, &v, 8);
        }
        hx::test::writeFile(folder + "/KZQ_A320_" + std::to_string(i) + ".bmp", bytes);
    }
}

void benchCopy(const hx::test::TempDir& dir, int rounds)
{
    const std::string source = dir / "texture.Big";
    writeTextureFolder(source);
    const auto files = hx::platform::listFolder(source, "*.*");

    std::vector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        const std::string a = dir / ("ours" + std::to_string(r));
        const std::string b = dir / ("cp" + std::to_string(r));
        fs::create_directory(a);
        fs::create_directory(b);
        auto start = Clock::now();
        for (const auto& f : files)
            (void)hx::platform::copyFileNoOverwrite(source + "/" + f.name, a + "/" + f.name);
        ours.push_back(secondsSince(start));
        start = Clock::now();
        const std::string command =
            "cp -n " + hx::test::shellQuote(source) + "/* " + hx::test::shellQuote(b) + "/";
        if (std::system(command.c_str()) != 0)
            std::fprintf(stderr, "cp -n failed\n");
        theirs.push_back(secondsSince(start));
        fs::remove_all(a);
        fs::remove_all(b);
    }
    const double o = median(ours), c = median(theirs);
    const double mb = kFiles * static_cast<double>(kFileSize) / (1024.0 * 1024.0);
    std::printf("\ntexture folder copy: %d files, %.0f MB, median of %d rounds\n", kFiles, mb,
                rounds);
    std::printf("%-22s %10s %10s\n", "", "seconds", "MB/s");
    std::printf("%-22s %10.3f %10.1f\n", "copyFileNoOverwrite", o, mb / o);
    std::printf("%-22s %10.3f %10.1f\n", "cp -n", c, mb / c);
    std::printf("speed ratio (cp time / our time): %.2f (target >= 0.8)\n", c / o);
}

void benchWholeInstall(const hx::test::TempDir& dir, int rounds)
{
    const std::string start = dir / "whole/start";
    const std::string root = dir / "whole/FSX";
    const std::string aircraft = root + "/SimObjects/Airplanes/KZQ_A320";
    const std::string package = start + "/downloads/Big";
    hx::test::makeFolders(start);
    hx::test::writeFile(package + "/installerinfo.txt",
                        "[fltsim.xx]\r\ntitle=KZQ A320 Big\r\nsim=KZQ_A320\r\ntexture=Big\r\n"
                        "ui_variation=Big\r\nproductfolder=A320\r\n");
    writeTextureFolder(package + "/texture.Big");
    // 10,000 short entries, about 700 KB, as the larger real aircraft have.
    std::string config;
    for (int i = 0; i < 10000; ++i) {
        const std::string n = std::to_string(i);
        config += "[fltsim." + n + "]\r\ntitle=KZQ A320 " + n + "\r\ntexture=" + n +
                  "\r\nui_variation=L" + n + "\r\n\r\n";
    }
    config += "[General]\r\natc_type=AIRBUS\r\n";
    auto reset = [&] {
        fs::remove_all(aircraft + "/texture.Big");
        fs::remove_all(start + "/history");
        hx::test::writeFile(aircraft + "/aircraft.cfg", config);
        ::sync();
    };
    const hx::Simulator sim{hx::SimKind::FSX, root};
    Silent silent;
    const std::string cli = std::string(HX_CLI_PATH) + " -C " + hx::test::shellQuote(start) +
                            " --sim fsx --root " + hx::test::shellQuote(root) +
                            " install Big >/dev/null";
    const std::string cp = "cp -rn " + hx::test::shellQuote(package + "/texture.Big") + " " +
                           hx::test::shellQuote(aircraft + "/texture.Big");
    std::vector<double> inProcess, process, copy;
    for (int r = 0; r < rounds; ++r) {
        // Side by side, in turn, each from the same state with the data in the page cache.
        reset();
        auto begin = Clock::now();
        hx::History history(start);
        hx::installOnePackage(hx::preparePackage(package), sim, silent, &history);
        inProcess.push_back(secondsSince(begin));
        reset();
        begin = Clock::now();
        if (std::system(cli.c_str()) != 0)
            std::fprintf(stderr, "hangarix-cli install failed\n");
        process.push_back(secondsSince(begin));
        reset();
        begin = Clock::now();
        if (std::system(cp.c_str()) != 0)
            std::fprintf(stderr, "cp -rn failed\n");
        copy.push_back(secondsSince(begin));
    }
    reset();
    const double c = median(copy);
    std::printf("\nwhole installation: 200 files, 100 MB, into a %zu KB aircraft.cfg with its "
                "history; median of %d rounds\n",
                config.size() / 1024, rounds);
    std::printf("%-30s %10s %18s\n", "", "seconds", "speed vs cp -rn");
    std::printf("%-30s %10.3f %18.2f\n", "installOnePackage (window)", median(inProcess),
                c / median(inProcess));
    std::printf("%-30s %10.3f %18.2f\n", "hangarix-cli install", median(process),
                c / median(process));
    std::printf("%-30s %10.3f %18.2f\n", "cp -rn texture folder", c, 1.0);
}

} // namespace

int main(int argc, char** argv)
{
    const int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 5;
    hx::test::TempDir dir;
    benchEntries(dir, rounds);
    benchCopy(dir, rounds);
    benchWholeInstall(dir, rounds);
    return 0;
}
