/*
 * scenario_run_fuzz.cpp - libFuzzer target that runs the system: every input
 * that parses as a scenario is run through the system's own main loop with
 * the scripted backend, so that any key sequence at any times, across the
 * count's sign change and wrap, is tried under the sanitizers. Its expect
 * lines are dropped (a failed one only ends the run early), and runs longer
 * than a few thousand passes are skipped to keep each input fast. The
 * system's output goes to the null device.
 */
#include "../platform/scripted.h"

#include <stdio.h>
#include <string.h>

#include <algorithm>
#include <string>

namespace {

const uint64_t MAX_PASSES = 4000;

struct RunEnded {
    int status;
};

[[noreturn]] void endRun(int status)
{
    throw RunEnded{status};
}

Scenario scenario;

} // namespace

extern "C" int LLVMFuzzerInitialize(int * /*argc*/, char *** /*argv*/)
{
    if (freopen("/dev/null", "w", stdout) == nullptr) {
        return 1;
    }
    scriptSetEndHandler(endRun);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string error;
    if (!parseScenario(std::string(reinterpret_cast<const char *>(data), size), "fuzz.scn", scenario, error)) {
        return 0;
    }
    scenario.steps.erase(std::remove_if(scenario.steps.begin(), scenario.steps.end(),
                                        [](const ScenarioStep &step) { return step.kind == STEP_EXPECT; }),
                         scenario.steps.end());
    if (scenarioPassCount(scenario) > MAX_PASSES) {
        return 0;
    }
    scriptLoad(&scenario, "fuzz.scn", size % 2 == 0 ? 0 : 1);
    try {
        doorlockMain();
    } catch (const RunEnded &ended) {
        if (ended.status != 0) {
            fprintf(stderr, "a scenario without expect lines ended with status %d\n", ended.status);
            abort();
        }
    }
    return 0;
}
