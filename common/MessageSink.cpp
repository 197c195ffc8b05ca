#include "common/MessageSink.h"

namespace {
MessageSink* g_sink = nullptr;
}

void setMessageSink(MessageSink* sink)
{
    g_sink = sink;
}

MessageSink* messageSink()
{
    return g_sink;
}

void showInfo(const QString& caption, const QString& text)
{
    if (g_sink)
        g_sink->showInfo(caption, text);
}
