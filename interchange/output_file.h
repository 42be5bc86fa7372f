// Writing an output so that an interrupted run never leaves half a file at the target: the
// bytes go to a temporary file in the target's folder, which is renamed into place once
// it is complete. A temporary file that is not committed is removed.
#pragma once

#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

namespace Interchange {

// Why an export could not be written (an unwritable target, a full disk, an unreadable
// input): the text names the file.
class ExportError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class OutputFile {
public:
    // Makes the temporary file beside target; throws ExportError when the folder does not
    // exist or cannot be written, or when target is a folder.
    explicit OutputFile(std::filesystem::path target);
    ~OutputFile();
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    const std::filesystem::path& target() const { return target_; }
    const std::filesystem::path& temporary() const { return temporary_; }
    // The temporary file, open for writing (until closeStream or commit).
    std::FILE* stream() { return stream_; }
    // Closes the stream (for writers that reopen the temporary file by its name); throws
    // when the bytes could not all be written.
    void closeStream();
    // Closes the stream and renames the temporary file into place; throws on failure.
    void commit();

private:
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    std::FILE* stream_ = nullptr;
    bool committed_ = false;
};

// The message of errno with a file's name: "cannot write out.mid: No space left on device".
std::string fileError(const char* doing, const std::filesystem::path& file, int error);

}  // namespace Interchange
