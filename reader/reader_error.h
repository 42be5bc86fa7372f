// The one error type of the file reader: a fixed English text naming the field that could
// not be read or was out of range. Thrown at the failing field, caught once by the chunk
// loop, which shows the user the general failure message instead.
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
