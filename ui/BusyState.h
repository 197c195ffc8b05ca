#pragma once

#include <Qt>

#include <optional>

class WaitPanel;

// The one way a window shows that it is busy: while alive, the given cursor over the whole
// application and the wait panel, when there is one; both are taken down however the
// scope is left.
class BusyState {
public:
    explicit BusyState(std::optional<Qt::CursorShape> cursor, WaitPanel* panel = nullptr);
    ~BusyState();
    BusyState(const BusyState&) = delete;
    BusyState& operator=(const BusyState&) = delete;

private:
    bool m_cursor;
    WaitPanel* m_panel;
};
