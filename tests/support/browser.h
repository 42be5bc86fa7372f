// A headless Chromium, driven over the DevTools protocol on a pair of pipes
// (--remote-debugging-pipe: the browser reads commands from descriptor 3 and writes its
// answers and events to descriptor 4, each a JSON text ended by a NUL byte). One browser
// serves many pages: a test starts it once and opens page after page in it. POSIX only.
//
//     std::string why;
//     auto browser = TessaroTest::Browser::start(why);
//     if (!browser) GTEST_SKIP() << why;
//     const auto load = browser->open(page);
//     EXPECT_EQ(browser->evaluate("document.title"), "Demo");
#pragma once

#if !defined(_WIN32)

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace TessaroTest {

// The Chromium program: $TESSARO_CHROMIUM, else chromium or chromium-browser on the path;
// none where there is none.
std::optional<std::filesystem::path> chromiumProgram();

class Browser {
public:
    // Starts the browser with a new empty profile, headless, without sandbox, GPU or any
    // network service of its own; none where no Chromium is installed (whyNot says so).
    // Throws std::runtime_error when an installed Chromium does not start or answer.
    static std::unique_ptr<Browser> start(std::string& whyNot);
    ~Browser();
    Browser(const Browser&) = delete;
    Browser& operator=(const Browser&) = delete;

    struct Load {
        double firstPaint = -1;  // milliseconds from the start of the navigation
        std::vector<std::string> consoleErrors;  // console errors, uncaught exceptions, failed loads
        bool dialogOpened = false;  // alert, confirm or prompt
    };
    // Opens file (made absolute) in a window of width × height pixels and waits for its
    // load and its first paint. What the page reports later is added to the last load
    // (errors()). Throws std::runtime_error when the browser fails or takes too long.
    Load open(const std::filesystem::path& file, int width = 1280, int height = 800);
    // The errors and dialogs of the page opened last, up to now.
    const Load& current() const { return load_; }
    // The value of a JavaScript expression in the page (a promise is awaited); throws
    // std::runtime_error naming the exception the expression threw.
    nlohmann::json evaluate(const std::string& expression);
    // The window as a PNG.
    std::vector<std::uint8_t> screenshot();

private:
    Browser() = default;
    nlohmann::json call(const std::string& method, const nlohmann::json& params, bool onPage = true);
    nlohmann::json receive(double seconds);
    void note(const nlohmann::json& event);

    pid_t child_ = -1;
    int toBrowser_ = -1;
    int fromBrowser_ = -1;
    std::string buffer_;
    std::filesystem::path profile_;
    std::string session_;
    int nextId_ = 1;
    Load load_;
    std::vector<std::string> lifecycle_;  // lifecycle events of the page since the last open
};

// The width and height of a PNG file; none when the bytes are no PNG.
std::optional<std::pair<std::uint32_t, std::uint32_t>> pngSize(const std::vector<std::uint8_t>& png);

}  // namespace TessaroTest

#endif
