#include "archive/StreamInflater.h"

#include <isa-l/igzip_lib.h>

#include <algorithm>
#include <cstdint>

namespace hx {

struct StreamInflater::State {
    inflate_state state;
};

StreamInflater::StreamInflater() : state_(std::make_unique<State>())
{
    isal_inflate_init(&state_->state);
    state_->state.crc_flag = 0; // raw Deflate; the caller checks the entry's CRC
}

StreamInflater::~StreamInflater() = default;

void StreamInflater::setInput(const unsigned char* data, std::size_t size)
{
    state_->state.next_in = const_cast<std::uint8_t*>(data);
    state_->state.avail_in = static_cast<std::uint32_t>(size);
}

std::size_t StreamInflater::inputLeft() const
{
    return state_->state.avail_in;
}

StreamInflater::Status StreamInflater::inflate(unsigned char* out, std::size_t size,
                                               std::size_t& produced)
{
    inflate_state& s = state_->state;
    s.next_out = out;
    s.avail_out = static_cast<std::uint32_t>(std::min<std::size_t>(size, UINT32_MAX));
    const std::uint32_t before = s.avail_out;
    const int result = isal_inflate(&s);
    produced = before - s.avail_out;
    if (result == ISAL_DECOMP_OK || result == ISAL_END_INPUT) {
        if (s.block_state == ISAL_BLOCK_FINISH)
            return Status::End;
        return produced == 0 && s.avail_out > 0 ? Status::Stalled : Status::Progress;
    }
    if (result == ISAL_OUT_OVERFLOW)
        return Status::Progress;
    message_ = result == ISAL_INVALID_LOOKBACK ? "invalid distance too far back"
               : result == ISAL_INVALID_SYMBOL ? "invalid code"
                                               : "invalid block";
    return Status::Damaged;
}

} // namespace hx
