// The streaming inflater, whichever library the build uses: whole output for a valid stream in
// any piece sizes, and a stall or a damage report for bad input, never more output than fits.

#include "archive/StreamInflater.h"
#include "support/ZipMaker.h"

#include <libdeflate.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace hx {
namespace {

std::string deflateRaw(const std::string& data)
{
    libdeflate_compressor* compressor = libdeflate_alloc_compressor(6);
    std::string out(libdeflate_deflate_compress_bound(compressor, data.size()), '\0');
    out.resize(
        libdeflate_deflate_compress(compressor, data.data(), data.size(), out.data(), out.size()));
    libdeflate_free_compressor(compressor);
    return out;
}

struct Inflated {
    std::string output;
    StreamInflater::Status last = StreamInflater::Status::Progress;
};

// Feeds `input` in pieces of `inPiece` bytes and takes output in pieces of `outPiece`, as the
// entry reader does, until the stream ends, fails or stalls with no input left.
Inflated inflateInPieces(const std::string& input, std::size_t inPiece, std::size_t outPiece)
{
    StreamInflater inflater;
    Inflated run;
    std::vector<unsigned char> out(outPiece);
    std::size_t fed = 0;
    for (int guard = 0; guard < 1000000; ++guard) {
        if (inflater.inputLeft() == 0 && fed < input.size()) {
            const std::size_t n = std::min(inPiece, input.size() - fed);
            inflater.setInput(reinterpret_cast<const unsigned char*>(input.data()) + fed, n);
            fed += n;
        }
        std::size_t produced = 0;
        run.last = inflater.inflate(out.data(), out.size(), produced);
        EXPECT_LE(produced, out.size());
        run.output.append(reinterpret_cast<const char*>(out.data()), produced);
        using S = StreamInflater::Status;
        if (run.last == S::End || run.last == S::Damaged || run.last == S::NoMemory ||
            (run.last == S::Stalled && fed == input.size()))
            return run;
    }
    ADD_FAILURE() << "no end";
    return run;
}

TEST(StreamInflater, InflatesWholeOrReportsWhyNot)
{
    const std::string texture = test::textureLikeData(3 << 20, 5);
    const std::string stream = deflateRaw(texture);
    std::string garbage = stream;
    for (std::size_t i = 0; i < 64; ++i)
        garbage[i] = static_cast<char>(0xFF); // an invalid block type from the first byte
    using S = StreamInflater::Status;
    struct Row {
        const char* what;
        std::string input;
        std::size_t inPiece, outPiece;
        S status;
        bool whole; // the output is the texture
    };
    const Row rows[] = {
        {"in one piece", stream, stream.size(), 4 << 20, S::End, true},
        {"small pieces both ways", stream, 4096, 1000, S::End, true},
        {"megabyte pieces", stream, 1 << 20, 1 << 20, S::End, true},
        {"cut short", stream.substr(0, stream.size() / 2), 65536, 65536, S::Stalled, false},
        {"garbage", garbage, 65536, 65536, S::Damaged, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Inflated run = inflateInPieces(row.input, row.inPiece, row.outPiece);
        EXPECT_EQ(run.last, row.status);
        if (row.whole) {
            EXPECT_TRUE(run.output == texture) << run.output.size();
        } else {
            EXPECT_TRUE(texture.starts_with(run.output)) << "no byte that the data does not hold";
        }
    }
}

} // namespace
} // namespace hx
