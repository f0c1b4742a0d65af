#pragma once

namespace tav {

// Remembers which of our windows has the focus and gives it back later, so a player
// program that opens a window does not keep the focus. Callable from any thread; the
// desktop may refuse to move the focus.
class FocusKeeper {
public:
    virtual ~FocusKeeper() = default;
    virtual void RememberForeground() = 0;
    virtual void RestoreForeground() = 0;
};

// For programs without windows.
class NoFocusKeeper final : public FocusKeeper {
public:
    void RememberForeground() override {}
    void RestoreForeground() override {}
};

} // namespace tav
