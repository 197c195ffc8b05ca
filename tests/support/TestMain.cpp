#include "TestRegistry.h"

#include "raster/LoadBudget.h"

#include <QApplication>
#include <QTest>

#include <cstdio>
#include <cstring>
#include <vector>

// Usage: tst_<folder> [ClassName [QtTest options...]]. Without a class name every
// registered class runs.
int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    raster::limitImageReaders();
    const auto& tests = testing_support::registry();
    if (argc > 1 && argv[1][0] != '-') {
        const auto it = tests.find(argv[1]);
        if (it == tests.end()) {
            std::fprintf(stderr, "unknown test class %s\n", argv[1]);
            return 2;
        }
        std::vector<char*> args{argv[0]};
        args.insert(args.end(), argv + 2, argv + argc);
        auto test = it->second();
        return QTest::qExec(test.get(), static_cast<int>(args.size()), args.data());
    }
    int failures = 0;
    for (const auto& [name, factory] : tests) {
        auto test = factory();
        failures += QTest::qExec(test.get(), argc, argv);
    }
    return failures;
}
