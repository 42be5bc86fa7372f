#include "tools/import/progress.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iostream>

#if defined(_WIN32)
#include <io.h>
#include <windows.h>
#else
#include <sys/ioctl.h>
#include <unistd.h>
#endif

namespace ImportTool {

namespace {

using Clock = std::chrono::steady_clock;
constexpr std::chrono::milliseconds kDefaultDelay{500};
constexpr std::chrono::milliseconds kNumbersEvery{100};
constexpr std::size_t kDefaultWidth = 80;

std::size_t terminalWidth() {
#if defined(_WIN32)
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (GetConsoleScreenBufferInfo(GetStdHandle(STD_ERROR_HANDLE), &info))
        return static_cast<std::size_t>(info.srWindow.Right - info.srWindow.Left + 1);
#else
    winsize size{};
    if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
#endif
    return kDefaultWidth;
}

// text cut to at most width characters, a character being a UTF-8 sequence.
std::string cut(const std::string& text, std::size_t width) {
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if ((static_cast<unsigned char>(text[i]) & 0xC0) == 0x80) continue;
        if (++characters > width) return text.substr(0, i);
    }
    return text;
}

std::size_t characters(const std::string& text) {
    std::size_t n = 0;
    for (const char c : text) n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

}  // namespace

std::chrono::milliseconds Progress::delayBeforeShowing() {
    const char* text = std::getenv("TESSARO_PROGRESS_AFTER");
    if (!text || !*text) return kDefaultDelay;
    char* end = nullptr;
    const double seconds = std::strtod(text, &end);
    if (*end != 0 || !(seconds >= 0 && seconds < 86400)) return kDefaultDelay;
    return std::chrono::milliseconds(static_cast<long long>(seconds * 1000));
}

Progress::Display Progress::displayForStandardError() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) ? Display::Terminal : Display::Off;
#else
    return isatty(STDERR_FILENO) ? Display::Terminal : Display::Off;
#endif
}

Progress::Progress(std::vector<std::string> names, std::size_t slots, Display display,
                   std::chrono::milliseconds delay)
    : names_(std::move(names)),
      shown_(display == Display::Terminal),
      showFrom_(Clock::now() + delay),
      width_(shown_ ? terminalWidth() : kDefaultWidth),
      slots_(slots) {
    if (shown_) clock_ = std::thread([this] { tick(); });
}

Progress::~Progress() { stop(); }

void Progress::tick() {
    std::unique_lock lock(mutex_);
    while (!stopped_) {
        const auto now = Clock::now();
        if (now >= showFrom_) redraw(Change::Count);
        wake_.wait_until(lock, now < showFrom_ ? showFrom_ : now + kNumbersEvery);
    }
}

void Progress::started(std::size_t slot, std::size_t project) {
    if (!shown_) return;
    std::lock_guard lock(mutex_);
    slots_.at(slot) = Slot{project, {}, 0, 0, std::nullopt, 0};
    redraw(Change::Shape);
}

void Progress::wrote(std::size_t slot, const RefHost::AudioWriteProgress& block) {
    if (!shown_) return;
    std::lock_guard lock(mutex_);
    Slot& s = slots_.at(slot);
    const bool newFile = s.file != block.file || block.written < s.written;
    if (newFile) s.file = block.file;
    s.written = block.written;
    s.frames = block.frames;
    redraw(newFile ? Change::Shape : Change::Count);
}

void Progress::rendered(std::size_t slot, double seconds, double songSeconds) {
    if (!shown_) return;
    std::lock_guard lock(mutex_);
    Slot& s = slots_.at(slot);
    const bool first = !s.rendered;
    s.rendered = seconds;
    s.songSeconds = songSeconds;
    redraw(first ? Change::Shape : Change::Count);
}

void Progress::finished(std::size_t slot) {
    if (!shown_) return;
    std::lock_guard lock(mutex_);
    slots_.at(slot) = Slot{};
    ++done_;
    redraw(Change::Shape);
}

std::string Progress::text() const {
    std::string line = std::to_string(done_) + " of " + std::to_string(names_.size()) +
                       " projects";
    std::vector<const Slot*> running;
    for (const Slot& s : slots_)
        if (s.project) running.push_back(&s);
    std::sort(running.begin(), running.end(),
              [](const Slot* a, const Slot* b) { return *a->project < *b->project; });
    for (const Slot* slot : running) {
        const Slot& s = *slot;
        line += ", " + names_.at(*s.project);
        if (s.rendered)
            line += ": " + std::to_string(static_cast<long long>(std::min(*s.rendered, s.songSeconds))) + " of " +
                    std::to_string(static_cast<long long>(std::ceil(s.songSeconds))) + " s rendered";
        else if (!s.file.empty())
            line += ": " + std::to_string(s.written) + " of " + std::to_string(s.frames) +
                    " frames";
    }
    return cut(line, width_ > 1 ? width_ - 1 : width_);
}

void Progress::redraw(Change change) {
    if (!shown_ || stopped_) return;
    const auto now = Clock::now();
    if (now < showFrom_) return;
    if (change == Change::Count && drawn_ > 0 && now - lastDraw_ < kNumbersEvery) return;
    std::string line = text();
    if (line == last_ && drawn_ > 0) return;
    const std::size_t length = characters(line);
    std::string out = "\r" + line;
    if (length < drawn_) out += std::string(drawn_ - length, ' ');
    std::fputs(out.c_str(), stderr);
    std::fflush(stderr);
    drawn_ = length;
    last_ = std::move(line);
    lastDraw_ = now;
}

void Progress::clearLine() {
    if (drawn_ == 0) return;
    std::fputs(("\r" + std::string(drawn_, ' ') + "\r").c_str(), stderr);
    std::fflush(stderr);
    drawn_ = 0;
    last_.clear();
}

void Progress::print(std::string_view text) {
    std::lock_guard lock(mutex_);
    clearLine();
    std::cout << text << std::flush;
    redraw(Change::Shape);
}

void Progress::stop() {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) return;
        stopped_ = true;
        clearLine();
    }
    wake_.notify_all();
    if (clock_.joinable()) clock_.join();
}

}  // namespace ImportTool
