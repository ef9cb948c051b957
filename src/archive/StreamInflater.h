#pragma once
// Raw Deflate data inflated piece by piece into a caller's buffer, for entries too large to be
// inflated whole. Built on ISA-L's inflater where the system has it (about twice as fast as
// zlib's on textures), on zlib's otherwise (StreamInflaterIsal.cpp, StreamInflaterZlib.cpp).

#include <cstddef>
#include <memory>
#include <string>

namespace hx {

class StreamInflater {
public:
    enum class Status {
        Progress, // went on; more output may come
        Stalled,  // needs more input to go on
        End,      // the Deflate stream ended
        Damaged,  // the data is no valid Deflate stream (message() says why)
        NoMemory,
    };

    StreamInflater();
    ~StreamInflater();
    StreamInflater(const StreamInflater&) = delete;
    StreamInflater& operator=(const StreamInflater&) = delete;

    // The next compressed bytes; they stay the caller's and must last until inputLeft() is 0.
    void setInput(const unsigned char* data, std::size_t size);
    std::size_t inputLeft() const;
    // Inflates into `out` as far as its `size` and the input go; `produced` gets how many bytes.
    Status inflate(unsigned char* out, std::size_t size, std::size_t& produced);
    const std::string& message() const { return message_; }

private:
    struct State;
    std::unique_ptr<State> state_;
    std::string message_;
};

} // namespace hx
