#include "archive/ZipEntryReader.h"

#include "archive/StreamInflater.h"
#include "packages/SafeName.h"

#include <libdeflate.h>

#include <algorithm>

namespace hx {

namespace {

// Compressed bytes taken from libzip at a time.
constexpr std::size_t kInputSize = 256 * 1024;

} // namespace

std::string libzipMessage(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    std::string text = zip_error_strerror(&error);
    zip_error_fini(&error);
    return text;
}

std::uint32_t zipCrc32(std::uint32_t crc, const char* data, std::size_t size)
{
    return libdeflate_crc32(crc, data, size);
}

WholeInflater::WholeInflater() : decompressor_(libdeflate_alloc_decompressor())
{
    if (!decompressor_)
        throw std::bad_alloc();
}

WholeInflater::~WholeInflater()
{
    libdeflate_free_decompressor(decompressor_);
}

struct ZipEntryReader::Inflater {
    StreamInflater stream;
    std::vector<unsigned char> input = std::vector<unsigned char>(kInputSize);
    bool inputEnded = false;
    bool streamEnded = false;
};

ZipEntryReader::ZipEntryReader(zip_t* archive, const PlannedEntry& entry,
                               const std::string& archiveName, std::uint64_t wholeLimit)
    : entry_(entry), archiveName_(archiveName)
{
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(archive, entry.index, 0, &st) != 0 || !(st.valid & ZIP_STAT_CRC) ||
        !(st.valid & ZIP_STAT_COMP_METHOD) || !(st.valid & ZIP_STAT_COMP_SIZE))
        fail("cannot be read (" + std::string(zip_strerror(archive)) + ")",
             zip_error_code_zip(zip_get_error(archive)));
    expectedCrc_ = st.crc;
    compressedSize_ = st.comp_size;
    stored_ = st.comp_method == ZIP_CM_STORE;
    const bool deflated = st.comp_method == ZIP_CM_DEFLATE;
    whole_ = deflated && entry.size <= wholeLimit && compressedSize_ <= wholeLimit;
    file_ = zip_fopen_index(archive, entry.index, stored_ || deflated ? ZIP_FL_COMPRESSED : 0);
    if (!file_)
        fail("cannot be opened (" + std::string(zip_strerror(archive)) + ")",
             zip_error_code_zip(zip_get_error(archive)));
    if (deflated && !whole_) {
        try {
            inflater_ = std::make_unique<Inflater>();
        } catch (const std::bad_alloc&) {
            fail("cannot be inflated", ZIP_ER_MEMORY);
        }
    }
}

ZipEntryReader::~ZipEntryReader()
{
    if (file_)
        zip_fclose(file_);
}

void ZipEntryReader::fail(const std::string& what, int code) const
{
    if (code == ZIP_ER_MEMORY)
        throw IoError("Not enough memory to unpack the entry \"" + printableName(entry_.name) +
                      "\" of " + archiveName_);
    throw ZipError("The archive " + archiveName_ + " is damaged: entry \"" +
                   printableName(entry_.name) + "\" " + what);
}

std::size_t ZipEntryReader::readRaw(char* buffer, std::size_t size)
{
    const zip_int64_t got = zip_fread(file_, buffer, size);
    if (got < 0)
        fail("(" + std::string(zip_file_strerror(file_)) + ")",
             zip_error_code_zip(zip_file_get_error(file_)));
    return static_cast<std::size_t>(got);
}

std::size_t ZipEntryReader::inflate(char* buffer, std::size_t size)
{
    Inflater& z = *inflater_;
    auto* out = reinterpret_cast<unsigned char*>(buffer);
    std::size_t done = 0;
    while (done < size && !z.streamEnded) {
        if (z.stream.inputLeft() == 0 && !z.inputEnded) {
            const std::size_t got =
                readRaw(reinterpret_cast<char*>(z.input.data()), z.input.size());
            z.inputEnded = got == 0;
            z.stream.setInput(z.input.data(), got);
        }
        std::size_t produced = 0;
        const StreamInflater::Status status = z.stream.inflate(out + done, size - done, produced);
        done += produced;
        switch (status) {
        case StreamInflater::Status::End:
            z.streamEnded = true;
            break;
        case StreamInflater::Status::NoMemory:
            fail("cannot be inflated", ZIP_ER_MEMORY);
        case StreamInflater::Status::Stalled:
            if (z.inputEnded)
                fail("(its compressed data ends early)", 0);
            break;
        case StreamInflater::Status::Damaged:
            fail("(" + z.stream.message() + ")", 0);
        case StreamInflater::Status::Progress:
            break;
        }
    }
    return done;
}

std::size_t ZipEntryReader::read(char* buffer, std::size_t size, std::uint64_t remaining)
{
    const auto want = static_cast<std::size_t>(std::min<std::uint64_t>(remaining, size));
    std::size_t got = 0;
    if (inflater_) {
        got = inflate(buffer, want);
    } else {
        // Raw reads may come in pieces; the caller's buffer is filled as far as it goes.
        for (std::size_t n = 1; got < want && n > 0; got += n)
            n = readRaw(buffer + got, want - got);
    }
    if (got == 0)
        fail("is shorter than declared", 0);
    return got;
}

void ZipEntryReader::finish(std::uint32_t crc)
{
    char extra = 0;
    if (inflater_ ? inflate(&extra, 1) > 0 : readRaw(&extra, 1) > 0)
        fail("is longer than declared", 0);
    if (inflater_ && !inflater_->streamEnded)
        fail("(its compressed data does not end where declared)", 0);
    if (callerChecksCrc() && crc != expectedCrc_)
        fail("(CRC error)", 0);
    close();
}

void ZipEntryReader::readWhole(WholeInflater& inflater, std::vector<char>& input,
                               std::vector<char>& out)
{
    const auto compressed = static_cast<std::size_t>(compressedSize_);
    const auto size = static_cast<std::size_t>(entry_.size);
    // Grown, never shrunk, and at least one byte, so that neither is ever a null pointer.
    const auto grow = [](std::vector<char>& buffer, std::size_t bytes) {
        if (buffer.size() < std::max<std::size_t>(bytes, 1))
            buffer.resize(std::max<std::size_t>(bytes, 1));
    };
    try {
        grow(input, compressed);
        grow(out, size);
    } catch (const std::bad_alloc&) {
        fail("cannot be inflated", ZIP_ER_MEMORY);
    }
    std::size_t got = 0;
    for (std::size_t n = 1; got < compressed && n > 0; got += n)
        n = readRaw(input.data() + got, compressed - got);
    char extra = 0;
    if (got < compressed || readRaw(&extra, 1) > 0)
        fail("(its compressed data does not match its declared size)", 0);
    // The stream must fill exactly the declared size: more does not fit, less is reported.
    std::size_t produced = 0;
    const libdeflate_result result = libdeflate_deflate_decompress(
        inflater.get(), input.data(), compressed, out.data(), size, &produced);
    if (result == LIBDEFLATE_INSUFFICIENT_SPACE)
        fail("is longer than declared", 0);
    if (result != LIBDEFLATE_SUCCESS)
        fail("(its compressed data is damaged or ends early)", 0);
    if (produced < size)
        fail("is shorter than declared", 0);
    if (zipCrc32(0, out.data(), size) != expectedCrc_)
        fail("(CRC error)", 0);
    close();
}

void ZipEntryReader::close()
{
    const int code = zip_fclose(file_);
    file_ = nullptr;
    if (code != 0)
        fail("(" + libzipMessage(code) + ")", code);
}

} // namespace hx
