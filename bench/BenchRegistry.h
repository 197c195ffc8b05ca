#pragma once

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// Benchmark rows and ratio targets, registered from any source file of the benchmark
// executable (usually from a static initialiser), then run and printed by main.
namespace bench {

struct Benchmark {
    std::string group;
    std::string name;
    std::function<void()> setup; // before every run, not timed; may be empty
    std::function<void()> run;   // timed
};

// Passes when the median of numerator is at most limit times the median of denominator.
// A side-by-side ratio is measured again in rounds that alternate the two benchmarks, so
// that both see the same load on a shared machine.
struct RatioTarget {
    std::string label;
    std::string numerator;
    std::string denominator;
    double limit;
    bool sideBySide = false;
    double referenceMs = 0; // > 0: the denominator is this fixed time, not a benchmark
    bool wallClock = false; // side-by-side rounds timed by the wall clock, not the processor
};

// Reports a failed step of a measured operation; its time then means nothing.
inline void check(bool ok, const char* what)
{
    if (!ok)
        std::fprintf(stderr, "benchmark step failed: %s\n", what);
}

inline std::vector<Benchmark>& benchmarks()
{
    static std::vector<Benchmark> all;
    return all;
}

inline std::vector<RatioTarget>& ratioTargets()
{
    static std::vector<RatioTarget> all;
    return all;
}

inline bool registerBench(std::string group, std::string name, std::function<void()> setup,
                          std::function<void()> run)
{
    benchmarks().push_back({std::move(group), std::move(name), std::move(setup), std::move(run)});
    return true;
}

inline bool registerRatio(std::string label, std::string numerator, std::string denominator,
                          double limit)
{
    ratioTargets().push_back(
        {std::move(label), std::move(numerator), std::move(denominator), limit});
    return true;
}

inline bool registerSideBySideRatio(std::string label, std::string numerator,
                                    std::string denominator, double limit)
{
    ratioTargets().push_back(
        {std::move(label), std::move(numerator), std::move(denominator), limit, true});
    return true;
}

// Passes when the median of numerator is at most limit times a fixed time, such as a
// timer's period.
inline bool registerFixedRatio(std::string label, std::string numerator, double referenceMs,
                               double limit)
{
    ratioTargets().push_back(
        {std::move(label), std::move(numerator), {}, limit, false, referenceMs});
    return true;
}

// A side-by-side ratio of wall-clock times, for work done mostly in other processes,
// whose load on a shared machine drifts as much as ours.
inline bool registerWallClockRatio(std::string label, std::string numerator,
                                   std::string denominator, double limit)
{
    ratioTargets().push_back(
        {std::move(label), std::move(numerator), std::move(denominator), limit, true, 0, true});
    return true;
}

// Clean-ups that need the application alive (windows, child processes); main runs them
// after the last figure, latest registered first.
inline std::vector<std::function<void()>>& teardowns()
{
    static std::vector<std::function<void()>> all;
    return all;
}

inline void registerTeardown(std::function<void()> teardown)
{
    teardowns().push_back(std::move(teardown));
}

inline void runTeardowns()
{
    while (!teardowns().empty()) {
        const std::function<void()> teardown = std::move(teardowns().back());
        teardowns().pop_back();
        teardown();
    }
}

} // namespace bench
