#include "archive/StreamInflater.h"

#include <zlib.h>

#include <limits>
#include <new>

namespace hx {

struct StreamInflater::State {
    z_stream stream{};
    ~State() { inflateEnd(&stream); }
};

StreamInflater::StreamInflater() : state_(std::make_unique<State>())
{
    if (inflateInit2(&state_->stream, -MAX_WBITS) != Z_OK)
        throw std::bad_alloc();
}

StreamInflater::~StreamInflater() = default;

void StreamInflater::setInput(const unsigned char* data, std::size_t size)
{
    state_->stream.next_in = const_cast<unsigned char*>(data);
    state_->stream.avail_in = static_cast<uInt>(size);
}

std::size_t StreamInflater::inputLeft() const
{
    return state_->stream.avail_in;
}

StreamInflater::Status StreamInflater::inflate(unsigned char* out, std::size_t size,
                                               std::size_t& produced)
{
    z_stream& z = state_->stream;
    z.next_out = out;
    z.avail_out = static_cast<uInt>(std::min<std::size_t>(size, std::numeric_limits<uInt>::max()));
    const uInt before = z.avail_out;
    const int result = ::inflate(&z, Z_NO_FLUSH);
    produced = before - z.avail_out;
    switch (result) {
    case Z_OK:
        return Status::Progress;
    case Z_STREAM_END:
        return Status::End;
    case Z_BUF_ERROR:
        return Status::Stalled;
    case Z_MEM_ERROR:
        return Status::NoMemory;
    default:
        message_ = z.msg ? z.msg : "invalid compressed data";
        return Status::Damaged;
    }
}

} // namespace hx
