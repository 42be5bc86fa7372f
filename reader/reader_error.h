// The one error type of the file reader: a fixed English text naming the field that could
// not be read or was out of range. Thrown at the failing field, caught once by the chunk
// loop, which shows the user the general failure message instead.
//
// The texts are the file format's own, as the app's reader words them: they are kept
// verbatim, with their spelling, letter case and punctuation ("invalied", "Cannot read
// version" beside "cannot read color of track", "AUStateByteSize"), so that a failure
// reads the same wherever the format's texts are compared. Do not correct them. The few
// texts of this reader's own (a stream that cannot seek or skip, "out of memory") say so
// by their wording.
#pragma once

#include <stdexcept>
#include <string>

namespace Tessaro {

class ReaderError : public std::runtime_error {
public:
    explicit ReaderError(const std::string& text) : std::runtime_error(text) {}
};

[[noreturn]] inline void fail(const std::string& text) { throw ReaderError(text); }

}  // namespace Tessaro
