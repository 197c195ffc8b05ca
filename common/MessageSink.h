#pragma once

#include <QString>

// Where messages to the user go: a message box in the program, a recorder in tests,
// so the core never opens a dialog itself and no test blocks on one.
class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual void showInfo(const QString& caption, const QString& text) = 0;
};

// Installs the sink used by showInfo (not owned; nullptr drops messages).
void setMessageSink(MessageSink* sink);
MessageSink* messageSink();
// Shows an information message through the installed sink.
void showInfo(const QString& caption, const QString& text);
