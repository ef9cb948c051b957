#include "platform/Faults.h"

#include <array>
#include <atomic>

namespace hx::platform::faults {

namespace {

struct State {
    std::array<std::atomic<int>, 3> counts{};
    Step failStep = Step::Write;
    int failK = 0;
    int failError = 0;
    std::function<void(Step, int)> hook;
};

State& state()
{
    static State s;
    return s;
}

} // namespace

void failAt(Step step, int k, int error)
{
    state().failStep = step;
    state().failK = k;
    state().failError = error;
}

void setHook(std::function<void(Step, int)> hook)
{
    state().hook = std::move(hook);
}

void reset()
{
    for (auto& c : state().counts)
        c = 0;
    state().failK = 0;
    state().hook = nullptr;
}

int count(Step step)
{
    return state().counts[static_cast<std::size_t>(step)];
}

int before(Step step)
{
    State& s = state();
    const int n = ++s.counts[static_cast<std::size_t>(step)];
    if (s.hook)
        s.hook(step, n);
    return s.failK != 0 && s.failStep == step && s.failK == n ? s.failError : 0;
}

} // namespace hx::platform::faults
