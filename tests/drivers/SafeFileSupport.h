#pragma once
// Helpers of the tests that try the drivers and the command line with bad input: generated
// files of every format, and a guard for calls that could block on a named pipe.

#include "common/TestData.h"
#include "mkdata/TGenerateDataFile.h"

#include <gtest/gtest.h>

#include <chrono>
#include <fcntl.h>
#include <functional>
#include <future>
#include <string>
#include <thread>
#include <unistd.h>

namespace vorelt::test {

// A generated file of `format` ("isa", "pci", "disp", "spartan", "vallen") in `dir`.
inline std::string GenerateFormat(const TTempDir& dir, const std::string& format,
                                  uint64_t hits = 300, uint64_t seed = 5,
                                  const std::string& name = {}) {
    TGenerateOptions o;
    o.Format = format;
    o.FileName = dir.File(name.empty() ? "data." + format : name);
    o.Hits = hits;
    o.Channels = 4;
    o.Seed = seed;
    std::string error;
    EXPECT_TRUE(GenerateDataFile(o, error)) << error;
    return o.FileName;
}

// Runs `call` and tells whether it returned within `seconds`. A call still waiting then is
// released by opening the named pipe `fifo` for writing now and then (a reader that waits for
// a writer gets one and then reads the end), so that a failing test ends too.
inline bool ReturnsWithin(const std::string& fifo, const std::function<void()>& call,
                          int seconds = 5) {
    std::promise<void> done;
    std::future<void> finished = done.get_future();
    std::thread t([&] {
        call();
        done.set_value();
    });
    const bool returned =
        finished.wait_for(std::chrono::seconds(seconds)) == std::future_status::ready;
    while (finished.wait_for(std::chrono::milliseconds(10)) != std::future_status::ready) {
        const int fd = ::open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd >= 0) ::close(fd);
    }
    t.join();
    return returned;
}

} // namespace vorelt::test
