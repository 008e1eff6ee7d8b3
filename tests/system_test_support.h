/*
 * system_test_support.h - helpers for tests that call the system's operations
 * one by one instead of running whole passes.
 */
#ifndef DOORLOCK_SYSTEM_TEST_SUPPORT_H
#define DOORLOCK_SYSTEM_TEST_SUPPORT_H

#include "../platform/scripted.h"
#include "../src/Defind.h"
#include "controller_fixture.h"

#include <gtest/gtest.h>

#include <string>

/*
 * A fixture with the system freshly started (init, without its trace line on
 * the test's output) and a keyboard script: keyboard("press 3 left") sets the
 * scripted keyboard afresh, all keys up and unmarked, then runs the given
 * press/release/tap steps. The operations under test then query the keys
 * exactly as the running program does.
 */
class FreshSystem : public testing::Test {
protected:
    void SetUp() override
    {
        scriptSetEndHandler(ranPastTheScript);
        keyboard("");
        traceOf([] { init(); });
    }

    void TearDown() override
    {
        scriptSetEndHandler(nullptr);
    }

    void keyboard(const std::string &steps, int encoding = TEXT_UTF8)
    {
        std::string error;
        ASSERT_TRUE(parseScenario(steps + "\npass\n", "keyboard", keys_, error)) << error;
        scriptLoad(&keys_, "keyboard", encoding);
        /* Reading the clock runs the steps before the pass: the keys are now set. */
        platformTickCount();
    }

private:
    [[noreturn]] static void ranPastTheScript(int status)
    {
        throw status;
    }

    Scenario keys_;
};

#endif
