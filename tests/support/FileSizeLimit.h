// A write that fails part way, for the tests of what the user is told: in
// a child process whose file-size limit is `limit`, every write at or past
// that many bytes fails (EFBIG) and a write across it lands only below it,
// wherever the file ends.
#pragma once

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace travik::test {

// The exit status of the child that ran `body`: its result (0 for right,
// else bits below 0x20), with 0x20 added when a check of the test failed
// in the child; kNoFileSizeLimit when the limit could not be set.
constexpr int kNoFileSizeLimit = 0x70;
inline int RunWithFileSizeLimit(rlim_t limit, const std::function<int()>& body)
{
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child < 0) return -1;
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit fsize {limit, limit};
        if (setrlimit(RLIMIT_FSIZE, &fsize) != 0) _exit(kNoFileSizeLimit);
        int result = body() & 0x1F;
        if (::testing::Test::HasFailure()) result |= 0x20;
        std::fflush(nullptr);
        _exit(result);
    }
    int status = 0;
    if (waitpid(child, &status, 0) != child || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

} // namespace travik::test
