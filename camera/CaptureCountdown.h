#pragma once

#include <QString>

// The capture button's countdown, one tick a second: the button reads [ 5 ] … [ 1 ] on
// the first five ticks, and the sixth takes the picture and starts the count afresh.
class CaptureCountdown {
public:
    static constexpr int kSeconds = 5;

    struct Step {
        QString caption; // the button's caption after the tick
        bool capture = false;
    };

    // The button's caption while no count runs.
    static QString idleCaption();

    Step tick();
    void reset() { m_secondsLeft = kSeconds; }
    int secondsLeft() const { return m_secondsLeft; }

private:
    int m_secondsLeft = kSeconds;
};
