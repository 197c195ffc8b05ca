#pragma once

#include <functional>

// How an order waits: its fixed pauses, the waits between checks of something it awaits,
// and the processing of pending events while the network works. The program's pacing
// keeps the window system running through all three, so the windows repaint and answer
// during an order; tests and the benchmark may record or drop the fixed pauses.
struct EventPacing {
    std::function<void(int milliseconds)> pause;
    std::function<void(int milliseconds)> poll;
    std::function<void()> pump;

    // Pauses that process events until they end, polls that end with the first events
    // (whatever is awaited may have come with them), and a pump that processes pending
    // events.
    static EventPacing responsive();
    // Waits milliseconds while processing events.
    static void waitResponsively(int milliseconds);
    // Processes events, waiting for them when none are pending, but no longer than
    // milliseconds.
    static void waitForEvents(int milliseconds);
};
