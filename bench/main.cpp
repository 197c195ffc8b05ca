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
// medians are printed beside them. Ratios use processor time.
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

// At least minRuns runs, and more until minSeconds of timed work have passed.
Result measure(const bench::Benchmark& benchmark, const Options& options)
{
    using Clock = std::chrono::steady_clock;
    std::vector<double> processor;
    std::vector<double> wall;
    double totalSeconds = 0;
    while (int(processor.size()) < options.minRuns ||
           (totalSeconds < options.minSeconds && int(processor.size()) < kMaxRuns)) {
        if (benchmark.setup)
            benchmark.setup();
        const double startProcessor = processorSeconds();
        const auto start = Clock::now();
        benchmark.run();
        const double wallSeconds = std::chrono::duration<double>(Clock::now() - start).count();
        const double processorUsed = processorSeconds() - startProcessor;
        processor.push_back(processorUsed * 1000.0);
        wall.push_back(wallSeconds * 1000.0);
        totalSeconds += processorUsed;
    }
    return {median(processor), median(wall), int(processor.size())};
}

bool printRatios(const std::map<std::string, Result>& results)
{
    std::printf("\n%-58s %9s %7s\n", "ratio", "measured", "limit");
    bool allPassed = true;
    for (const bench::RatioTarget& target : bench::ratioTargets()) {
        const auto numerator = results.find(target.numerator);
        const auto denominator = results.find(target.denominator);
        if (numerator == results.end() || denominator == results.end()) {
            std::printf("%-58s %9s %6.2fx  not run\n", target.label.c_str(), "-", target.limit);
            continue;
        }
        const double ratio = numerator->second.medianMs / denominator->second.medianMs;
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
    return printRatios(results) ? 0 : 1;
}
