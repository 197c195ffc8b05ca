#pragma once

#include "common/MessageSink.h"

// Shows each message as a modal information box with an OK button.
class MessageBoxSink : public MessageSink {
public:
    void showInfo(const QString& caption, const QString& text) override;
};
