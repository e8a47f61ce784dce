#include "platform/KXBoundedRun.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

// The address sanitizer reserves terabytes of address space up front for its shadow memory,
// which the address-space limit would count; the data limit covers such a build.
#if defined(__SANITIZE_ADDRESS__)
#define KX_ADDRESS_SANITIZER 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define KX_ADDRESS_SANITIZER 1
#endif
#endif

namespace kx {

namespace {

using Clock = std::chrono::steady_clock;

bool WriteAll(int fd, const char *p, size_t n)
{
    while (n > 0) {
        const ssize_t w = ::write(fd, p, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        p += w;
        n -= size_t(w);
    }
    return true;
}

// A field of /proc/self/status in bytes ("VmSize", "VmData"; given there in kB); 0 when it
// cannot be read.
size_t StatusBytes(const char *Field)
{
    const int fd = ::open("/proc/self/status", O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    char text[4096] = {};
    size_t n = 0;
    for (ssize_t r; n < sizeof text - 1 && (r = ::read(fd, text + n, sizeof text - 1 - n)) != 0;) {
        if (r < 0 && errno == EINTR)
            continue;
        if (r < 0)
            break;
        n += size_t(r);
    }
    ::close(fd);
    const size_t len = std::strlen(Field);
    for (const char *line = text; line && *line;) {
        if (std::strncmp(line, Field, len) == 0 && line[len] == ':') {
            const char *p = line + len + 1;
            while (*p == ' ' || *p == '\t')
                ++p;
            size_t kb = 0;
            while (*p >= '0' && *p <= '9')
                kb = kb * 10 + size_t(*p++ - '0');
            return kb * 1024;
        }
        line = std::strchr(line, '\n');
        if (line)
            ++line;
    }
    return 0;
}

// Lets the process take at most Budget more bytes of the kind that Resource counts.
void LimitGrowth(int Resource, const char *Field, size_t Budget)
{
    if (const size_t now = StatusBytes(Field); now > 0) {
        const rlimit limit{rlim_t(now + Budget), rlim_t(now + Budget)};
        ::setrlimit(Resource, &limit);
    }
}

// In the child: limits, the work, the result down the pipe as an 8-byte length and the
// bytes. Never returns.
[[noreturn]] void RunChild(const std::function<QByteArray()> &Work, const TKXRunLimits &Limits, int Out,
                           pid_t Parent)
{
    // A child whose parent is gone has no one to report to.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() != Parent)
        ::_exit(3);
    // Data (heap and private mappings) and, where no sanitizer has reserved its shadow,
    // the whole address space may grow by the budget from what the copy holds now.
    LimitGrowth(RLIMIT_DATA, "VmData", Limits.MemoryBytes);
#ifndef KX_ADDRESS_SANITIZER
    LimitGrowth(RLIMIT_AS, "VmSize", Limits.MemoryBytes);
#endif
    // A second stop, in processor time, for a child that outlives its parent's watch.
    const rlim_t seconds = rlim_t(Limits.TimeoutMs / 1000 + 2);
    const rlimit cpu{seconds, seconds + 1};
    ::setrlimit(RLIMIT_CPU, &cpu);
    QByteArray result;
    try {
        result = Work();
    } catch (...) {
        ::_exit(2);
    }
    const uint64_t size = uint64_t(result.size());
    if (size > Limits.MaxResultBytes)
        ::_exit(4);
    char head[8];
    for (int i = 0; i < 8; ++i)
        head[i] = char((size >> (8 * i)) & 0xFF);
    // _exit: no handlers of the parent's (Qt, the leak checker) run in the copy.
    ::_exit(WriteAll(Out, head, 8) && WriteAll(Out, result.constData(), size_t(size)) ? 0 : 5);
}

int RemainingMs(Clock::time_point Deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(Deadline - Clock::now()).count();
    return left > 0 ? int(left) : 0;
}

// Waits for the child until the deadline, then kills it; true when it exited with 0.
bool Reap(pid_t Child, Clock::time_point Deadline, bool Kill)
{
    int status = 0;
    if (!Kill) {
        for (;;) {
            const pid_t r = ::waitpid(Child, &status, WNOHANG);
            if (r == Child)
                return WIFEXITED(status) && WEXITSTATUS(status) == 0;
            if (r < 0 && errno != EINTR)
                return false;
            if (RemainingMs(Deadline) == 0)
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    ::kill(Child, SIGKILL);
    while (::waitpid(Child, &status, 0) < 0 && errno == EINTR) {
    }
    return false;
}

} // namespace

std::optional<QByteArray> RunBounded(const std::function<QByteArray()> &Work, const TKXRunLimits &Limits)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return std::nullopt;
    const pid_t parent = ::getpid();
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(Limits.TimeoutMs);
    const pid_t child = ::fork();
    if (child < 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return std::nullopt;
    }
    if (child == 0) {
        ::close(fds[0]);
        RunChild(Work, Limits, fds[1], parent);
    }
    ::close(fds[1]);

    QByteArray received;
    bool failed = false;
    char chunk[65536];
    for (;;) {
        pollfd p{fds[0], POLLIN, 0};
        const int ready = ::poll(&p, 1, RemainingMs(deadline));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0) {
            failed = true; // deadline passed (or poll failed)
            break;
        }
        const ssize_t n = ::read(fds[0], chunk, sizeof chunk);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            failed = true;
            break;
        }
        if (n == 0)
            break;
        received.append(chunk, qsizetype(n));
        if (size_t(received.size()) > Limits.MaxResultBytes + 8) {
            failed = true;
            break;
        }
    }
    ::close(fds[0]);
    const bool exited = Reap(child, deadline, failed);
    if (failed || !exited || received.size() < 8)
        return std::nullopt;
    uint64_t size = 0;
    for (int i = 0; i < 8; ++i)
        size |= uint64_t(uint8_t(received[i])) << (8 * i);
    if (size != uint64_t(received.size() - 8))
        return std::nullopt;
    return received.mid(8);
}

} // namespace kx
