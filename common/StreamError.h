#pragma once

#include <QString>

#include <stdexcept>

// A file or stream that could not be opened or ended too soon. The message is the one the
// user sees.
class StreamError : public std::runtime_error {
public:
    static StreamError readError();
    static StreamError openError(const QString& fileName, const QString& reason);

private:
    explicit StreamError(const QString& message);
};
