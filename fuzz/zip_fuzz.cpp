// The archive check and extraction: the input is written as the downloaded archive and
// unpacked below a fresh base folder, with small budgets so that sizes matter.
//
// Invariants: only the tool's own errors escape; after a refusal or any other failure nothing
// the call created is left; after success every entry lies inside the base folder as a plain
// file or folder (no link), the files and bytes are those the summary counts, within the
// budgets; the meter never runs backwards or beyond its total.

#include "FuzzSupport.h"

#include "archive/ZipExtractor.h"
#include "platform/Errors.h"

#include <filesystem>

namespace {

using hx::fuzz::require;
namespace fs = std::filesystem;

constexpr hx::ZipLimits kLimits{1000, 4u << 20, false, 1u << 20};

void checkTree(const fs::path& base, const hx::ZipSummary& summary)
{
    std::uint64_t files = 0, bytes = 0;
    const std::string inside = fs::canonical(base).string() + "/";
    for (const auto& entry : fs::recursive_directory_iterator(base)) {
        require(!entry.is_symlink(), "a link was extracted");
        require(fs::canonical(entry.path()).string().starts_with(inside),
                "an entry lies outside the base folder");
        if (entry.is_directory())
            continue;
        require(entry.is_regular_file(), "an entry is neither file nor folder");
        ++files;
        bytes += entry.file_size();
    }
    require(files == summary.files && bytes == summary.bytes, "summary differs from the tree");
    require(bytes <= kLimits.maxTotalSize && files <= kLimits.maxEntries, "budget exceeded");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fs::path scratch = hx::fuzz::scratchFolder();
    const fs::path archive = scratch / "livery.zip";
    const fs::path base = scratch / "templiv";
    fs::remove_all(base);
    hx::fuzz::writeFile(archive.string(), hx::fuzz::asText(data, size));

    hx::ZipExtractor extractor(kLimits);
    extractor.setParallelWrites(size % 2 == 1);
    hx::ZipProgress last;
    extractor.setMeter([&last](const hx::ZipProgress& p) {
        require(p.done <= p.total && p.percent >= 0 && p.percent <= 100, "meter beyond its total");
        require(p.done >= last.done && p.percent >= last.percent, "meter ran backwards");
        last = p;
    });
    try {
        checkTree(base, extractor.extractAll(archive.string(), base.string()));
    } catch (const hx::Error&) {
        require(!fs::exists(base) || fs::is_empty(base), "a failed extraction left files behind");
    }
    for (const auto& entry : fs::directory_iterator(scratch))
        require(entry.path() == archive || entry.path() == base, "a file outside the base folder");
    return 0;
}
