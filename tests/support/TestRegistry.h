#pragma once

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <string>

// Lets several QtTest classes live in one executable per folder; each registers
// itself by class name and TestMain runs the one named on the command line.
namespace testing_support {

using TestFactory = std::function<std::unique_ptr<QObject>()>;

inline std::map<std::string, TestFactory>& registry()
{
    static std::map<std::string, TestFactory> tests;
    return tests;
}

struct Registrar {
    Registrar(const char* name, TestFactory factory)
    {
        registry().emplace(name, std::move(factory));
    }
};

} // namespace testing_support

#define REGISTER_TEST(Class)                                                                       \
    static const testing_support::Registrar registrar_##Class(                                     \
        #Class, [] { return std::unique_ptr<QObject>(std::make_unique<Class>()); })
