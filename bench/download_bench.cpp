// Downloads a 512 MiB file from nginx on loopback with `hangarix-cli fetch` and with `curl -o`,
// side by side, into a tmpfs folder (/dev/shm) and into a folder on disk, and prints the
// throughput of each, their ratio and each one's peak memory; then the same for a resume of the
// second half (a partial file of the first half, with fetch's side file, and `curl -C -`).
// Targets: at least curl's throughput (ratio 1.0), peak memory under 16 MiB.
//
// Run: build/bench/download_bench [MiB]   (needs /usr/sbin/nginx and /usr/bin/curl)

#include "support/Nginx.h"
#include "support/TempDir.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

struct Run {
    double seconds = 0;
    long peakKiB = 0;
    int exitCode = -1;
};

// Runs a program with stdout and stderr sent to /dev/null; wall time and peak RSS from wait4.
Run timed(std::vector<std::string> args)
{
    std::vector<char*> argv;
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = -1;
    Run run;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        return run;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    run.peakKiB = usage.ru_maxrss;
    run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return run;
}

struct Pair {
    Run cli, curl;
};

// Each client writes a fresh file; the second round is the one reported (warm cache).
Pair measure(const std::string& url, const std::string& folder)
{
    Pair pair;
    for (int round = 0; round < 2; ++round) {
        std::remove((folder + "/cli.zip").c_str());
        std::remove((folder + "/curl.zip").c_str());
        pair.cli = timed({HX_CLI_PATH, "-C", folder, "fetch", url, "cli.zip"});
        pair.curl = timed({"/usr/bin/curl", "-s", "-o", folder + "/curl.zip", url});
    }
    std::remove((folder + "/cli.zip").c_str());
    std::remove((folder + "/curl.zip").c_str());
    return pair;
}

// The first `bytes` of `from` as `to`.
void copyPrefix(const std::string& from, const std::string& to, long long bytes)
{
    std::filesystem::copy_file(from, to, std::filesystem::copy_options::overwrite_existing);
    std::filesystem::resize_file(to, static_cast<std::uintmax_t>(bytes));
}

// The validator nginx sends for the file (its ETag), as the side file of a partial fetch keeps.
std::string etagOf(const std::string& url)
{
    const std::string command = "/usr/bin/curl -sI " + url;
    std::FILE* pipe = ::popen(command.c_str(), "r");
    std::string etag;
    char line[512];
    while (pipe && std::fgets(line, sizeof line, pipe)) {
        const std::string text = line;
        if (text.rfind("ETag: ", 0) == 0 || text.rfind("etag: ", 0) == 0)
            etag = text.substr(6, text.find_last_not_of("\r\n") - 5);
    }
    if (pipe)
        ::pclose(pipe);
    return etag;
}

// Both clients resume the second half of `source` (served at `url`) into `folder`.
Pair measureResume(const std::string& url, const std::string& source, const std::string& folder)
{
    const auto size = static_cast<long long>(std::filesystem::file_size(source));
    const std::string etag = etagOf(url);
    Pair pair;
    for (int round = 0; round < 2; ++round) {
        copyPrefix(source, folder + "/cli.zip", size / 2);
        copyPrefix(source, folder + "/curl.zip", size / 2);
        std::FILE* side = std::fopen((folder + "/cli.zip.resume").c_str(), "wb");
        std::fprintf(side, "url=%s\nsize=%lld\nvalidator=%s\n", url.c_str(), size, etag.c_str());
        std::fclose(side);
        ::sync();
        pair.cli = timed({HX_CLI_PATH, "-C", folder, "fetch", url, "cli.zip"});
        pair.curl = timed({"/usr/bin/curl", "-s", "-C", "-", "-o", folder + "/curl.zip", url});
        const bool whole =
            std::filesystem::file_size(folder + "/cli.zip") == static_cast<std::uintmax_t>(size) &&
            std::filesystem::file_size(folder + "/curl.zip") == static_cast<std::uintmax_t>(size);
        if (!whole)
            pair.cli.exitCode = 3;
    }
    std::remove((folder + "/cli.zip").c_str());
    std::remove((folder + "/curl.zip").c_str());
    return pair;
}

void report(const Pair& p, double size)
{
    std::printf("%-22s %10s %10s %14s\n", "client", "seconds", "MiB/s", "peak RSS MiB");
    std::printf("%-22s %10.2f %10.1f %14.1f\n", "hangarix-cli fetch", p.cli.seconds,
                size / p.cli.seconds, static_cast<double>(p.cli.peakKiB) / 1024);
    std::printf("%-22s %10.2f %10.1f %14.1f\n", "curl -o", p.curl.seconds, size / p.curl.seconds,
                static_cast<double>(p.curl.peakKiB) / 1024);
    std::printf("ratio (fetch / curl throughput): %.2f (target >= 1.00)\n",
                p.curl.seconds / p.cli.seconds);
    std::printf("fetch peak memory: %.1f MiB (target < 16)\n",
                static_cast<double>(p.cli.peakKiB) / 1024);
    if (p.cli.exitCode != 0 || p.curl.exitCode != 0)
        std::printf("exit codes: fetch %d, curl %d\n", p.cli.exitCode, p.curl.exitCode);
}

} // namespace

int main(int argc, char** argv)
{
    const long mib = argc > 1 ? std::atol(argv[1]) : 512;
    if (!hx::test::Nginx::available()) {
        std::fprintf(stderr, "nginx is not installed\n");
        return 1;
    }
    hx::test::TempDir root, work;
    {
        // The file, written in 1 MiB blocks.
        std::FILE* f = std::fopen((root / "big.zip").c_str(), "wb");
        std::string block(1024 * 1024, '\0');
        for (std::size_t i = 0; i < block.size(); ++i)
            block[i] = static_cast<char>(i * 131 + 7);
        for (long i = 0; i < mib; ++i)
            std::fwrite(block.data(), 1, block.size(), f);
        std::fclose(f);
    }
    hx::test::Nginx nginx(root.path());
    const std::string url = nginx.url("/big.zip");
    const double size = static_cast<double>(mib);

    char shmTemplate[] = "/dev/shm/hx-download-bench-XXXXXX";
    const char* shm = mkdtemp(shmTemplate);
    if (!shm) {
        std::fprintf(stderr, "cannot make a folder in /dev/shm\n");
        return 1;
    }
    bool ok = true;
    for (const std::string& folder : {std::string(shm), work.path()}) {
        const Pair pair = measure(url, folder);
        std::printf("\ninto %s\n", folder.c_str());
        report(pair, size);
        const Pair resumed = measureResume(url, root / "big.zip", folder);
        std::printf("resuming the second half, into the same folder\n");
        report(resumed, size / 2);
        ok = ok && pair.cli.exitCode == 0 && pair.curl.exitCode == 0 && resumed.cli.exitCode == 0 &&
             resumed.curl.exitCode == 0;
    }
    std::filesystem::remove_all(shm);
    return ok ? 0 : 1;
}
