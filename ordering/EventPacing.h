#pragma once

#include <functional>

// How an order waits: its pauses and the processing of pending events while the network
// works. The program's pacing keeps the window system running through both, so the
// windows repaint and answer during an order; tests may record or shorten the pauses.
struct EventPacing {
    std::function<void(int milliseconds)> pause;
    std::function<void()> pump;

    // Pauses that process events until they end, and a pump that processes pending events.
    static EventPacing responsive();
};
