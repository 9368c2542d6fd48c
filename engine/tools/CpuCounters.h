#pragma once
// Measuring a stretch of work for the benchmarks: processor time of the calling
// thread and, where the kernel lets us count them, the instructions it retired.
#include <ctime>
#include <linux/perf_event.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace corvane::bench {

// Processor time of this thread in milliseconds: on a busy machine it says
// more than the clock on the wall.
inline double ThreadCpuMs() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1000.0 + static_cast<double>(t.tv_nsec) / 1e6;
}

// Instructions retired in user space by this thread. Virtual machines and
// restrictive kernels often refuse the counter: Available() is then false and
// the benchmarks say so instead of printing a number.
class InstructionCounter {
public:
    InstructionCounter() {
        perf_event_attr attr{};
        attr.type = PERF_TYPE_HARDWARE;
        attr.size = sizeof(attr);
        attr.config = PERF_COUNT_HW_INSTRUCTIONS;
        attr.disabled = 1;
        attr.exclude_kernel = 1;
        attr.exclude_hv = 1;
        fd_ = static_cast<int>(syscall(SYS_perf_event_open, &attr, 0, -1, -1, 0));
    }
    ~InstructionCounter() {
        if (fd_ >= 0) close(fd_);
    }
    InstructionCounter(const InstructionCounter&) = delete;
    InstructionCounter& operator=(const InstructionCounter&) = delete;

    bool Available() const { return fd_ >= 0; }
    void Start() {
        if (fd_ < 0) return;
        ioctl(fd_, PERF_EVENT_IOC_RESET, 0);
        ioctl(fd_, PERF_EVENT_IOC_ENABLE, 0);
    }
    // Instructions since Start(); 0 when the counter is not available.
    std::uint64_t Stop() {
        if (fd_ < 0) return 0;
        ioctl(fd_, PERF_EVENT_IOC_DISABLE, 0);
        std::uint64_t count = 0;
        if (read(fd_, &count, sizeof(count)) != static_cast<ssize_t>(sizeof(count))) return 0;
        return count;
    }

private:
    int fd_ = -1;
};

// Median, 90th percentile (nearest rank) and maximum of a set of figures.
struct Spread {
    double median = 0, p90 = 0, max = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
    Spread s;
    if (values.empty()) return s;
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    s.median = n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
    const std::size_t rank = (n * 9 + 9) / 10; // ceil(0.9 n), 1-based
    s.p90 = values[std::min(n, std::max<std::size_t>(rank, 1)) - 1];
    s.max = values.back();
    return s;
}

} // namespace corvane::bench
