// What the benchmarks share: running a measured step in a fresh process of its own (so
// that its peak memory is its own), timing, and printing.
#pragma once

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace TessaroBench {

struct ChildRun {
    int status = -1;            // the exit status; -1 when it did not exit normally
    double wallSeconds = 0;     // from start to exit, as the parent saw it
    double cpuSeconds = 0;      // user and system time of the whole process
    long peakKiB = 0;           // the child's peak resident memory
    std::map<std::string, std::string> values;  // "key=value" lines the child printed
};

// Runs program with args in a new process, its standard output read as key=value lines.
ChildRun runChild(const std::string& program, const std::vector<std::string>& args);
// This program's own file, to run it again as a child.
std::string selfPath();

// User and system time this process has used so far.
double cpuNow();

struct Timing {
    double wall = 0;
    double cpu = 0;
};

// The wall and processor time the call took.
template <class F>
Timing timed(F&& f) {
    const double cpu = cpuNow();
    const auto start = std::chrono::steady_clock::now();
    f();
    return {std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count(),
            cpuNow() - cpu};
}

// The median of values (which it sorts).
double median(std::vector<double> values);
long maxOf(const std::vector<long>& values);

// The child's value as a number; 0 when absent.
double number(const ChildRun& run, const std::string& key);

}  // namespace TessaroBench
