#include "tests/support/browser.h"

#if !defined(_WIN32)

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <stdexcept>

namespace TessaroTest {

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

constexpr double kSeconds = 60;  // the longest wait for one answer of the browser

bool executable(const fs::path& p) { return ::access(p.c_str(), X_OK) == 0 && !fs::is_directory(p); }

std::vector<std::uint8_t> fromBase64(const std::string& text) {
    std::vector<std::uint8_t> out;
    std::uint32_t bits = 0;
    int count = 0;
    for (const char c : text) {
        int v;
        if (c >= 'A' && c <= 'Z') v = c - 'A';
        else if (c >= 'a' && c <= 'z') v = c - 'a' + 26;
        else if (c >= '0' && c <= '9') v = c - '0' + 52;
        else if (c == '+') v = 62;
        else if (c == '/') v = 63;
        else continue;
        bits = bits << 6 | static_cast<std::uint32_t>(v);
        if ((count += 6) >= 8) {
            count -= 8;
            out.push_back(static_cast<std::uint8_t>(bits >> count));
        }
    }
    return out;
}

}  // namespace

std::optional<fs::path> chromiumProgram() {
    if (const char* given = std::getenv("TESSARO_CHROMIUM"); given && *given) {
        if (executable(given)) return fs::path(given);
        return std::nullopt;
    }
    const char* path = std::getenv("PATH");
    std::string folders = path ? path : "/usr/bin:/bin";
    for (std::size_t at = 0; at <= folders.size();) {
        const std::size_t end = std::min(folders.find(':', at), folders.size());
        const fs::path folder = folders.substr(at, end - at);
        for (const char* name : {"chromium", "chromium-browser"})
            if (!folder.empty() && executable(folder / name)) return folder / name;
        at = end + 1;
    }
    return std::nullopt;
}

std::unique_ptr<Browser> Browser::start(std::string& whyNot) {
    const auto program = chromiumProgram();
    if (!program) {
        whyNot = "no Chromium (chromium on the path, or $TESSARO_CHROMIUM): the page is not opened in a browser";
        return nullptr;
    }
    // A browser that ends makes a write to its pipe fail, not end this process.
    ::signal(SIGPIPE, SIG_IGN);
    std::unique_ptr<Browser> browser(new Browser);
    char pattern[] = "/tmp/tessaro-browser-XXXXXX";
    if (!::mkdtemp(pattern)) throw std::runtime_error("cannot make a profile folder for Chromium");
    browser->profile_ = pattern;
    int commands[2], answers[2];
    if (::pipe2(commands, O_CLOEXEC) != 0 || ::pipe2(answers, O_CLOEXEC) != 0) throw std::runtime_error("no pipe");
    std::vector<std::string> words = {program->string(),
                                      "--headless",
                                      "--no-sandbox",
                                      "--disable-gpu",
                                      "--disable-quic",
                                      "--no-first-run",
                                      "--disable-background-networking",
                                      "--disable-component-update",
                                      "--disable-sync",
                                      "--disable-extensions",
                                      "--mute-audio",
                                      "--autoplay-policy=no-user-gesture-required",
                                      "--hide-scrollbars",
                                      "--user-data-dir=" + browser->profile_.string(),
                                      "--remote-debugging-pipe",
                                      "about:blank"};
    std::vector<char*> argv;
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("cannot start a process");
    if (child == 0) {
        // Descriptor 3 is what the browser reads, 4 what it writes; nothing else is kept.
        const int read = ::dup(commands[0]), write = ::dup(answers[1]);
        if (read < 0 || write < 0 || ::dup2(read, 3) < 0 || ::dup2(write, 4) < 0) _exit(127);
        const int null = ::open("/dev/null", O_RDWR);
        if (null < 0 || ::dup2(null, 0) < 0 || ::dup2(null, 1) < 0 || ::dup2(null, 2) < 0) _exit(127);
        ::setpgid(0, 0);
        ::execv(argv[0], argv.data());
        _exit(127);
    }
    ::close(commands[0]);
    ::close(answers[1]);
    browser->child_ = child;
    browser->toBrowser_ = commands[1];
    browser->fromBrowser_ = answers[0];
    try {
        const json target = browser->call("Target.createTarget", {{"url", "about:blank"}}, false);
        const json attached = browser->call(
            "Target.attachToTarget", {{"targetId", target.at("targetId")}, {"flatten", true}}, false);
        browser->session_ = attached.at("sessionId").get<std::string>();
        for (const char* domain : {"Page.enable", "Runtime.enable", "Log.enable"}) browser->call(domain, json::object());
        browser->call("Page.setLifecycleEventsEnabled", {{"enabled", true}});
    } catch (const std::exception& e) {
        throw std::runtime_error("Chromium (" + program->string() + ") did not answer: " + e.what());
    }
    return browser;
}

Browser::~Browser() {
    if (toBrowser_ >= 0) {
        try {
            call("Browser.close", json::object(), false);
        } catch (const std::exception&) {
        }
        ::close(toBrowser_);
    }
    if (fromBrowser_ >= 0) ::close(fromBrowser_);
    if (child_ > 0) {
        // The browser's own processes are in its process group; it gets a few seconds to end.
        int status = 0;
        for (int i = 0; i < 50 && ::waitpid(child_, &status, WNOHANG) == 0; ++i) ::usleep(100000);
        if (::waitpid(child_, &status, WNOHANG) == 0) {
            ::kill(-child_, SIGKILL);
            ::waitpid(child_, &status, 0);
        }
    }
    std::error_code ec;
    if (!profile_.empty()) fs::remove_all(profile_, ec);
}

json Browser::receive(double seconds) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    for (;;) {
        if (const auto end = buffer_.find('\0'); end != std::string::npos) {
            json message = json::parse(buffer_.substr(0, end));
            buffer_.erase(0, end + 1);
            return message;
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) throw std::runtime_error("the browser did not answer in time");
        pollfd fd{fromBrowser_, POLLIN, 0};
        if (::poll(&fd, 1, static_cast<int>(left.count())) < 0 && errno != EINTR)
            throw std::runtime_error("cannot wait for the browser");
        if (fd.revents == 0) continue;
        char chunk[65536];
        const ssize_t n = ::read(fromBrowser_, chunk, sizeof chunk);
        if (n <= 0) throw std::runtime_error("the browser ended");
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

void Browser::note(const json& event) {
    const std::string method = event.value("method", "");
    const json& params = event.contains("params") ? event.at("params") : json::object();
    if (method == "Runtime.consoleAPICalled") {
        const std::string type = params.value("type", "");
        if (type == "error" || type == "assert") {
            std::string text = "console." + type + ":";
            for (const auto& argument : params.value("args", json::array()))
                text += " " + (argument.contains("value") ? argument.at("value").dump() : argument.value("description", ""));
            load_.consoleErrors.push_back(text);
        }
    } else if (method == "Runtime.exceptionThrown") {
        const json& details = params.value("exceptionDetails", json::object());
        load_.consoleErrors.push_back("exception: " + details.value("text", "") + " " +
                                      details.value("exception", json::object()).value("description", ""));
    } else if (method == "Log.entryAdded") {
        const json& entry = params.value("entry", json::object());
        if (entry.value("level", "") == "error")
            load_.consoleErrors.push_back("log: " + entry.value("text", "") + " " + entry.value("url", ""));
    } else if (method == "Page.javascriptDialogOpening") {
        load_.dialogOpened = true;
        // Answered at once, so that the page does not wait for a person.
        const json command = {{"id", nextId_++}, {"method", "Page.handleJavaScriptDialog"},
                              {"params", {{"accept", true}}}, {"sessionId", session_}};
        const std::string text = command.dump() + '\0';
        if (::write(toBrowser_, text.data(), text.size()) < 0) throw std::runtime_error("cannot write to the browser");
    } else if (method == "Page.lifecycleEvent") {
        lifecycle_.push_back(params.value("name", ""));
    }
}

json Browser::call(const std::string& method, const json& params, bool onPage) {
    const int id = nextId_++;
    json command = {{"id", id}, {"method", method}, {"params", params}};
    if (onPage) command["sessionId"] = session_;
    const std::string text = command.dump() + '\0';
    for (std::size_t at = 0; at < text.size();) {
        const ssize_t n = ::write(toBrowser_, text.data() + at, text.size() - at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw std::runtime_error("cannot write to the browser");
        at += static_cast<std::size_t>(n);
    }
    for (;;) {
        json message = receive(kSeconds);
        if (message.contains("id") && message.at("id") == id) {
            if (message.contains("error")) throw std::runtime_error(method + ": " + message.at("error").dump());
            return message.value("result", json::object());
        }
        note(message);
    }
}

Browser::Load Browser::open(const fs::path& file, int width, int height) {
    call("Emulation.setDeviceMetricsOverride",
         {{"width", width}, {"height", height}, {"deviceScaleFactor", 1}, {"mobile", false}});
    load_ = {};
    lifecycle_.clear();
    call("Page.navigate", {{"url", "file://" + fs::absolute(file).string()}});
    // Events of about:blank may come first: what counts is after this document's "init".
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(kSeconds);
    for (;;) {
        const auto init = std::find(lifecycle_.begin(), lifecycle_.end(), "init");
        if (init != lifecycle_.end()) {
            const bool load = std::find(init, lifecycle_.end(), "load") != lifecycle_.end();
            const bool paint = std::find(init, lifecycle_.end(), "firstPaint") != lifecycle_.end();
            if (load && paint) break;
        }
        if (std::chrono::steady_clock::now() > deadline) throw std::runtime_error("the page did not load and paint in time");
        note(receive(kSeconds));
    }
    const json paint = evaluate(
        "(performance.getEntriesByName('first-paint')[0] || {startTime: -1}).startTime");
    load_.firstPaint = paint.is_number() ? paint.get<double>() : -1;
    return load_;
}

json Browser::evaluate(const std::string& expression) {
    const json result = call("Runtime.evaluate",
                             {{"expression", expression}, {"returnByValue", true}, {"awaitPromise", true}});
    if (result.contains("exceptionDetails"))
        throw std::runtime_error("the page threw: " + result.at("exceptionDetails").dump());
    return result.at("result").value("value", json());
}

std::vector<std::uint8_t> Browser::screenshot() {
    const json shot = call("Page.captureScreenshot", {{"format", "png"}});
    return fromBase64(shot.at("data").get<std::string>());
}

std::optional<std::pair<std::uint32_t, std::uint32_t>> pngSize(const std::vector<std::uint8_t>& png) {
    static const std::uint8_t signature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (png.size() < 24 || std::memcmp(png.data(), signature, 8) != 0 || std::memcmp(&png[12], "IHDR", 4) != 0)
        return std::nullopt;
    const auto read32 = [&](std::size_t at) {
        return std::uint32_t{png[at]} << 24 | std::uint32_t{png[at + 1]} << 16 | std::uint32_t{png[at + 2]} << 8 | png[at + 3];
    };
    return std::make_pair(read32(16), read32(20));
}

}  // namespace TessaroTest

#endif
