#pragma once

#include <QtGlobal>

// Keeps the live preview's frame conversions within a share of one core, whatever the
// camera's resolution: after a conversion that took t, the next one waits until t / share
// has passed since that one began. A 1280 × 720 camera then shows every frame; a 4K one
// shows fewer, and the window stays responsive.
class PreviewPacer {
public:
    static constexpr double kCoreShare = 0.25;

    // Milliseconds from nowNs until the next conversion may run; 0 when it may run now.
    int delayMs(qint64 nowNs) const;
    // A conversion ran from startNs to endNs.
    void converted(qint64 startNs, qint64 endNs);

private:
    qint64 m_nextAllowedNs = 0;
};
