#include "BenchRegistry.h"

#include "raster/LoadBudget.h"

#include <QApplication>

#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <map>

// Runs every registered benchmark (or those whose group or name contains the argument),
// prints the median time of each, then the ratio targets.
// Usage: idphoto_bench [--quick] [filter]
//
// Times are processor time (user and system, of this process and of any child process a
// run waits for), so other work on a shared machine does not blur them; wall-clock
// medians are printed beside them. Ratios use processor time, except those registered as
// wall-clock ratios or against a fixed time.
namespace {

struct Options {
    int minRuns = 5;
    double minSeconds = 2.0;
    std::string filter;
};

constexpr int kMaxRuns = 1000;

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0) {
            options.minRuns = 3;
            options.minSeconds = 0.3;
        } else {
            options.filter = argv[i];
        }
    }
    return options;
}

bool selected(const bench::Benchmark& benchmark, const Options& options)
{
    return options.filter.empty() || benchmark.group.find(options.filter) != std::string::npos ||
           benchmark.name.find(options.filter) != std::string::npos;
}

struct Result {
    double medianMs = 0; // processor time
    double medianWallMs = 0;
    int runs = 0;
};

double seconds(const timeval& time)
{
    return double(time.tv_sec) + time.tv_usec * 1e-6;
}

// Processor seconds used so far by this process and its waited-for children.
double processorSeconds()
{
    rusage self{};
    rusage children{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &children);
    return seconds(self.ru_utime) + seconds(self.ru_stime) + seconds(children.ru_utime) +
           seconds(children.ru_stime);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

struct Run {
    double processorMs = 0;
    double wallMs = 0;
};

Run timeOnce(const bench::Benchmark& benchmark)
{
    using Clock = std::chrono::steady_clock;
    if (benchmark.setup)
        benchmark.setup();
    const double startProcessor = processorSeconds();
    const auto start = Clock::now();
    benchmark.run();
    const double wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
    return {(processorSeconds() - startProcessor) * 1000.0, wallSeconds * 1000.0};
}

// At least minRuns runs, and more until minSeconds of timed work have passed.
Result measure(const bench::Benchmark& benchmark, const Options& options)
{
    std::vector<double> processor;
    std::vector<double> wall;
    double totalMs = 0;
    while (int(processor.size()) < options.minRuns ||
           (totalMs < options.minSeconds * 1000.0 && int(processor.size()) < kMaxRuns)) {
        const Run run = timeOnce(benchmark);
        processor.push_back(run.processorMs);
        wall.push_back(run.wallMs);
        totalMs += run.processorMs;
    }
    return {median(processor), median(wall), int(processor.size())};
}

double medianOfRuns(const bench::Benchmark& benchmark, int runs, bool wallClock)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const Run run = timeOnce(benchmark);
        times.push_back(wallClock ? run.wallMs : run.processorMs);
    }
    return median(times);
}

// The median over rounds of each round's ratio, a round timing a few runs of one and then
// of the other; one round first as warm-up. Slow drifts of the machine's load then touch
// both sides of every ratio alike.
double sideBySideRatio(const bench::Benchmark& numerator, const bench::Benchmark& denominator,
                       bool wallClock)
{
    constexpr int kRounds = 9;
    constexpr int kRunsPerRound = 3;
    medianOfRuns(numerator, 1, wallClock);
    medianOfRuns(denominator, 1, wallClock);
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
        const double top = medianOfRuns(numerator, kRunsPerRound, wallClock);
        ratios.push_back(top / medianOfRuns(denominator, kRunsPerRound, wallClock));
    }
    return median(ratios);
}

const bench::Benchmark* findBenchmark(const std::string& name)
{
    for (const bench::Benchmark& benchmark : bench::benchmarks()) {
        if (benchmark.name == name)
            return &benchmark;
    }
    return nullptr;
}

bool printRatios(const std::map<std::string, Result>& results)
{
    std::printf("\n%-58s %9s %7s\n", "ratio", "measured", "limit");
    bool allPassed = true;
    for (const bench::RatioTarget& target : bench::ratioTargets()) {
        const auto numerator = results.find(target.numerator);
        const auto denominator = results.find(target.denominator);
        const bool fixed = target.referenceMs > 0;
        if (numerator == results.end() || (!fixed && denominator == results.end())) {
            std::printf("%-58s %9s %6.2fx  not run\n", target.label.c_str(), "-", target.limit);
            continue;
        }
        const double ratio =
            fixed ? numerator->second.medianMs / target.referenceMs
            : target.sideBySide
                ? sideBySideRatio(*findBenchmark(target.numerator),
                                  *findBenchmark(target.denominator), target.wallClock)
                : numerator->second.medianMs / denominator->second.medianMs;
        const bool passed = ratio <= target.limit;
        allPassed = allPassed && passed;
        std::printf("%-58s %8.2fx %6.2fx  %s\n", target.label.c_str(), ratio, target.limit,
                    passed ? "PASS" : "FAIL");
    }
    return allPassed;
}

} // namespace

int main(int argc, char** argv)
{
    // The window benchmarks show the main window; no screen is needed for that.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    raster::limitImageReaders();
    const Options options = parseOptions(argc, argv);
    std::printf("%-10s %-44s %12s %12s %6s\n", "group", "benchmark", "median cpu", "median wall",
                "runs");
    std::map<std::string, Result> results;
    for (const bench::Benchmark& benchmark : bench::benchmarks()) {
        if (!selected(benchmark, options))
            continue;
        const Result result = measure(benchmark, options);
        results[benchmark.name] = result;
        std::printf("%-10s %-44s %9.2f ms %9.2f ms %6d\n", benchmark.group.c_str(),
                    benchmark.name.c_str(), result.medianMs, result.medianWallMs, result.runs);
        std::fflush(stdout);
    }
    const bool passed = printRatios(results);
    bench::runTeardowns();
    return passed ? 0 : 1;
}
