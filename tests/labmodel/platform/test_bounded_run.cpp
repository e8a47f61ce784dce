// Foreign code on hostile bytes runs in a child process with a deadline and a memory budget:
// a result comes back whole; a loop, a crash, an exception, an allocation without end or an
// oversized result give no result, and the caller goes on.
#include "platform/KXBoundedRun.h"

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <vector>

#include <unistd.h>

using namespace kx;

namespace {

using Clock = std::chrono::steady_clock;

volatile int Sink = 0;

TEST(BoundedRun, ResultComesBackWhole)
{
    QByteArray big(3 * 1000 * 1000 + 7, '\0'); // more than a pipe holds at once
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    const auto r = RunBounded([&big] { return big; });
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, big);
    const auto empty = RunBounded([] { return QByteArray(); });
    ASSERT_TRUE(empty.has_value());
    EXPECT_TRUE(empty->isEmpty());
}

TEST(BoundedRun, WorkThatFailsGivesNoResult)
{
    TKXRunLimits limits;
    limits.TimeoutMs = 1500;
    limits.MaxResultBytes = 1000;
    const struct {
        const char *note;
        std::function<QByteArray()> work;
    } cases[] = {
        {"endless loop", [] {
             for (;;)
                 Sink = Sink + 1;
             return QByteArray();
         }},
        {"waiting for ever (a lock that nobody frees)", [] {
             for (;;)
                 ::pause();
             return QByteArray();
         }},
        {"crash", [] {
             std::raise(SIGSEGV);
             return QByteArray("never");
         }},
        {"abort", []() -> QByteArray { std::abort(); }},
        {"exception", []() -> QByteArray { throw std::runtime_error("no"); }},
        {"result over the cap", [] { return QByteArray(1001, 'x'); }},
        {"memory without end", [] {
             std::vector<std::vector<char>> hog;
             for (;;) {
                 hog.emplace_back(size_t(64) << 20, char(1));
                 Sink = Sink + hog.back()[4096];
             }
             return QByteArray();
         }},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.note);
        const Clock::time_point start = Clock::now();
        EXPECT_FALSE(RunBounded(c.work, limits).has_value());
        // The deadline holds, with room for a loaded machine.
        EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(limits.TimeoutMs + 3000));
    }
    // The program itself goes on as before.
    const auto r = RunBounded([] { return QByteArray("fine"); }, limits);
    ASSERT_TRUE(r.has_value());
    EXPECT_EQ(*r, "fine");
}

} // namespace
