// Running a piece of foreign code on hostile bytes without letting it hang or exhaust the
// program: the work runs in a child process of its own with a deadline, a memory budget and
// a cap on what it may hand back. The picture converters of third-party libraries go
// through it, so a metafile that makes a library loop, allocate without end or crash gives
// "no picture" and the program goes on.
#pragma once

#include <QByteArray>

#include <cstddef>
#include <functional>
#include <optional>

namespace kx {

struct TKXRunLimits {
    int TimeoutMs = 5000;                   // wall-clock deadline of the whole run
    size_t MemoryBytes = size_t(768) << 20; // address space the work may add to the process's
    size_t MaxResultBytes = size_t(256) << 20;
};

// Runs Work in a forked child process and returns what it returned. nullopt when the child
// did not finish within the deadline (it is killed), ran out of memory, crashed, threw, gave
// back more than MaxResultBytes, or when no child could be started. Work must not touch
// state that the program needs afterwards: it runs on a copy of the process.
std::optional<QByteArray> RunBounded(const std::function<QByteArray()> &Work,
                                     const TKXRunLimits &Limits = {});

} // namespace kx
