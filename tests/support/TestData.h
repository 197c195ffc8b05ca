#pragma once

#include <QByteArray>
#include <QString>

#include <source_location>

// Where the tests find their fixtures (tests/data), and whole-file reads and writes.
namespace test_data {

// The absolute path of a file or folder under tests/data. When it does not exist, the running
// test (or data function) fails with the path at the caller's line, so a lost fixture is named
// instead of showing up later as two pictures that differ.
QString testDataPath(const QString& name,
                     std::source_location caller = std::source_location::current());

// A file or folder of the bitmap suite, checked as above.
QString bmpSuitePath(const QString& name,
                     std::source_location caller = std::source_location::current());

// The whole fixture, checked as above; empty when it cannot be read.
QByteArray readTestData(const QString& name,
                        std::source_location caller = std::source_location::current());

// The whole file; empty when it cannot be read.
QByteArray readFile(const QString& path);

// True when every byte was written.
bool writeFile(const QString& path, const QByteArray& bytes);

} // namespace test_data
