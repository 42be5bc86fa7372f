#include "tools/import/outputs.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <system_error>

#include "refhost/file_io.h"

namespace ImportTool {

namespace fs = std::filesystem;
namespace FileIo = RefHost::FileIo;

namespace {

bool endsInSeparator(std::string_view text) {
    if (text.empty()) return false;
    const char last = text.back();
#if defined(_WIN32)
    return last == '/' || last == '\\';
#else
    return last == '/';
#endif
}

std::string folded(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

// The file's name without its extension; "project" when it has none to give.
std::string stemOf(const fs::path& input) {
    const std::u8string stem = input.filename().stem().u8string();
    if (stem.empty() || stem == u8"." || stem == u8"..") return "project";
    return std::string(stem.begin(), stem.end());
}

}  // namespace

OutputOption outputOption(std::string_view text) {
    OutputOption option;
    if (text.empty()) return option;
    if (text == "-") {
        option.kind = OutputOption::Kind::StandardOutput;
        return option;
    }
    option.path = FileIo::fromUtf8(std::string(text));
    std::error_code ec;
    option.kind = endsInSeparator(text) || fs::is_directory(option.path, ec)
                      ? OutputOption::Kind::Folder
                      : OutputOption::Kind::File;
    return option;
}

std::optional<std::string> prepareOutputFolder(const OutputOption& option) {
    if (option.kind != OutputOption::Kind::Folder) return std::nullopt;
    std::error_code ec;
    fs::create_directories(option.path, ec);
    if (ec) return ec.message();
    if (!fs::is_directory(option.path, ec)) return "not a folder";
    // A probe file shows what the folder's mode alone would not (a read-only file system,
    // a folder of another user's, an access control list).
    const fs::path probe = option.path / ".tessaro-import-probe";
    const int fd = FileIo::openForWrite(probe);
    if (fd < 0) return std::strerror(errno);
    FileIo::close(fd);
    fs::remove(probe, ec);
    return std::nullopt;
}

OutputNames::OutputNames(const std::vector<fs::path>& inputs) {
    std::vector<std::string> stems;
    std::map<std::string, std::size_t> count;  // by folded stem
    for (const auto& input : inputs) {
        stems.push_back(stemOf(input));
        ++count[folded(stems.back())];
    }
    std::set<std::string> taken;  // folded names given so far
    for (const std::string& stem : stems) {
        std::string name = stem;
        if (taken.contains(folded(name))) {
            for (int n = 2;; ++n) {
                name = stem + "-" + std::to_string(n);
                if (!taken.contains(folded(name)) && !count.contains(folded(name))) break;
            }
        }
        taken.insert(folded(name));
        names_.push_back(std::move(name));
    }
}

fs::path OutputNames::pathFor(const OutputOption& option, std::size_t input,
                              std::string_view extension) const {
    switch (option.kind) {
    case OutputOption::Kind::File: return option.path;
    case OutputOption::Kind::Folder:
        return option.path / FileIo::fromUtf8(name(input) + std::string(extension));
    case OutputOption::Kind::None:
    case OutputOption::Kind::StandardOutput: break;
    }
    return {};
}

}  // namespace ImportTool
