#pragma once

#include "common/MessageSink.h"

#include <QList>
#include <QPair>

// Keeps every message instead of showing it; installs itself for its lifetime.
class RecordingMessageSink : public MessageSink {
public:
    RecordingMessageSink();
    ~RecordingMessageSink() override;
    RecordingMessageSink(const RecordingMessageSink&) = delete;
    RecordingMessageSink& operator=(const RecordingMessageSink&) = delete;

    void showInfo(const QString& caption, const QString& text) override;

    // (caption, text) in the order shown.
    QList<QPair<QString, QString>> messages;

private:
    MessageSink* m_previous = nullptr;
};
