#include "RecordingMessageSink.h"

RecordingMessageSink::RecordingMessageSink() : m_previous(messageSink())
{
    setMessageSink(this);
}

RecordingMessageSink::~RecordingMessageSink()
{
    setMessageSink(m_previous);
}

void RecordingMessageSink::showInfo(const QString& caption, const QString& text)
{
    messages.append({caption, text});
}
