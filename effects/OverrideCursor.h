#pragma once

#include <Qt>

// Shows a cursor over the whole application until it goes out of scope, whatever way the
// scope is left.
class OverrideCursor {
public:
    explicit OverrideCursor(Qt::CursorShape shape);
    ~OverrideCursor();
    OverrideCursor(const OverrideCursor&) = delete;
    OverrideCursor& operator=(const OverrideCursor&) = delete;
};
