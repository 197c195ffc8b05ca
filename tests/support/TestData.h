#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Where the tests find their input files, and whole-file reads and writes.
namespace test_data {

// A file of the shared test data: the portrait and the bitmap suite.
inline QString testDataPath(const QString& name)
{
    return QStringLiteral(IDPHOTO_TESTDATA "/") + name;
}

// A file or folder of the bitmap suite in the shared test data.
inline QString bmpSuitePath(const QString& name)
{
    return testDataPath(QStringLiteral("bmpsuite/") + name);
}

// A small sample kept next to the raster tests.
inline QString sampleDataPath(const QString& name)
{
    return QStringLiteral(IDPHOTO_SOURCE_DIR "/tests/raster/data/") + name;
}

// The whole file; empty when it cannot be read.
inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// True when every byte was written.
inline bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

inline QByteArray readSample(const QString& name)
{
    return readFile(sampleDataPath(name));
}

} // namespace test_data
