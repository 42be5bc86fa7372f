#include "interchange/output_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>
#include <system_error>

namespace Interchange {

namespace fs = std::filesystem;

namespace {

// The folder a path names a file in: "." for a bare file name.
fs::path folderOf(const fs::path& file) {
    const fs::path parent = file.parent_path();
    return parent.empty() ? fs::path(".") : parent;
}

// Opens a new file of a name no other has in folder, readable and writable by whom the
// process's umask allows; returns its descriptor and sets path.
int createUnique(const fs::path& folder, const std::string& stem, fs::path& path) {
    thread_local std::mt19937_64 random{std::random_device{}()};  // each thread its own
    int error = 0;
    for (int attempt = 0; attempt < 64; ++attempt) {
        char suffix[17];
        std::snprintf(suffix, sizeof suffix, "%016llx", static_cast<unsigned long long>(random()));
        path = folder / ("." + stem + "." + suffix + ".part");
        const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) return fd;
        error = errno;
        if (error != EEXIST) break;
    }
    throw ExportError(fileError("cannot write into the folder", folder, error));
}

}  // namespace

std::string fileError(const char* doing, const fs::path& file, int error) {
    return std::string(doing) + " " + file.string() + ": " + std::strerror(error);
}

OutputFile::OutputFile(fs::path target) : target_(std::move(target)) {
    std::error_code ec;
    if (target_.filename().empty() || fs::is_directory(target_, ec))
        throw ExportError("cannot write " + target_.string() + ": it is a folder");
    const fs::path folder = folderOf(target_);
    if (!fs::is_directory(folder, ec))
        throw ExportError("cannot write " + target_.string() + ": " + folder.string() +
                          (fs::exists(folder, ec) ? " is not a folder" : " does not exist"));
    const int fd = createUnique(folder, target_.filename().string(), temporary_);
    stream_ = ::fdopen(fd, "wb");
    // GCOVR_EXCL_START: fdopen of a descriptor open for writing fails only when the C
    // library cannot allocate the stream, which no test brings about.
    if (!stream_) {
        const int error = errno;
        ::close(fd);
        fs::remove(temporary_, ec);
        throw ExportError(fileError("cannot write", temporary_, error));
    }
    // GCOVR_EXCL_STOP
}

OutputFile::~OutputFile() {
    if (stream_) std::fclose(stream_);
    if (!committed_) {
        std::error_code ec;
        fs::remove(temporary_, ec);
    }
}

void OutputFile::closeStream() {
    if (!stream_) return;
    const bool failed = std::ferror(stream_) != 0;
    const int closed = std::fclose(stream_);
    const int error = errno;
    stream_ = nullptr;
    if (failed || closed != 0) throw ExportError(fileError("cannot write", target_, error ? error : EIO));
}

void OutputFile::commit() {
    closeStream();
    if (std::rename(temporary_.c_str(), target_.c_str()) != 0)
        throw ExportError(fileError("cannot write", target_, errno));
    committed_ = true;
}

}  // namespace Interchange
