#include "common/StreamError.h"

StreamError::StreamError(const QString& message) : std::runtime_error(message.toStdString()) {}

StreamError StreamError::readError()
{
    return StreamError(QStringLiteral("Stream read error"));
}

StreamError StreamError::openError(const QString& fileName, const QString& reason)
{
    return StreamError(QStringLiteral("Cannot open file \"%1\". %2").arg(fileName, reason));
}
