// Runs a clean-up step when a scope ends, also when it ends by an exception.
#pragma once

#include <utility>

namespace lumerra {

template <class TAction>
class TScopeExit {
public:
    explicit TScopeExit(TAction Action) : FAction(std::move(Action)) {}
    ~TScopeExit() { FAction(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    TAction FAction;
};

}  // namespace lumerra
