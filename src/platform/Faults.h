#pragma once
// A test switch in the file operations that change things: it makes the k-th write, flush or
// rename of this process fail with a chosen error, or calls a hook there (a test that ends the
// process at that point). Off unless a test turns it on; the operations then only count.

#include <functional>

namespace hx::platform::faults {

enum class Step { Write, Flush, Rename };

// From now on, the k-th step of kind `step` (counting from 1) fails with `error` (an errno
// value; on Windows mapped to the system's code for it). k = 0 turns the switch off.
void failAt(Step step, int k, int error);
// Calls `hook` before every step with its kind and number (from 1, per kind).
void setHook(std::function<void(Step, int)> hook);
// Counts from 0 again, no failure, no hook.
void reset();
// How many steps of that kind ran since the last reset.
int count(Step step);

// Called by the platform before a step: counts it, runs the hook, and returns the error the
// step must fail with, or 0.
int before(Step step);

} // namespace hx::platform::faults
