#include "TestData.h"

#include <QFile>
#include <QFileInfo>
#include <QTest>

namespace test_data {

namespace {

void failUnlessExists(const QString& path, const std::source_location& caller)
{
    if (QFileInfo::exists(path))
        return;
    const QByteArray message = "missing test fixture: " + QFile::encodeName(path);
    QTest::qFail(message.constData(), caller.file_name(), int(caller.line()));
}

} // namespace

QString testDataPath(const QString& name, std::source_location caller)
{
    const QString path = QStringLiteral(IDPHOTO_TESTDATA "/") + name;
    failUnlessExists(path, caller);
    return path;
}

QString bmpSuitePath(const QString& name, std::source_location caller)
{
    return testDataPath(QStringLiteral("bmpsuite/") + name, caller);
}

QByteArray readTestData(const QString& name, std::source_location caller)
{
    return readFile(testDataPath(name, caller));
}

QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

} // namespace test_data
