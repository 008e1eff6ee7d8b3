/*
 * controller_fixture.h - what the controller tests share: a fresh start-up
 * state before every test, the trace lines an operation writes, and counts
 * reached across the 2^31 and 2^32 boundaries without signed overflow.
 */
#ifndef DOORLOCK_CONTROLLER_FIXTURE_H
#define DOORLOCK_CONTROLLER_FIXTURE_H

#include "../src/Defind.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>

/* The tick of a pass ms milliseconds after a pass whose tick was base, wrapping like the platform count. */
inline int tickAfter(int base, int ms)
{
    return static_cast<int>(static_cast<uint32_t>(base) + static_cast<uint32_t>(ms));
}

/* Everything the action writes to standard output. */
template <typename Action>
std::string traceOf(Action action)
{
    fflush(stdout);
    testing::internal::CaptureStdout();
    action();
    fflush(stdout);
    return testing::internal::GetCapturedStdout();
}

/* Start-up state, its trace line swallowed; drawCommand cleared as at the end of a pass. */
class ControllerTest : public testing::Test {
protected:
    void SetUp() override
    {
        traceOf([] { init(); });
        drawCommand = 0;
    }
};

#endif
