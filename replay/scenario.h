/*
 * scenario.h - the scenario format of doorlock-replay: parsing a scenario
 * file into steps, and the names that `expect` lines may use.
 */
#ifndef DOORLOCK_SCENARIO_H
#define DOORLOCK_SCENARIO_H

#include <stdint.h>

#include <string>
#include <vector>

enum ScenarioStepKind {
    STEP_PERIOD,  /* number: ms between pass starts */
    STEP_PRESS,   /* keys go down and stay down */
    STEP_RELEASE, /* keys go up */
    STEP_TAP,     /* keys are marked pressed, up/down unchanged */
    STEP_PASS,    /* number: passes to run */
    STEP_WAIT,    /* number: ms to let pass, in whole periods */
    STEP_TYPE,    /* digits: tap each, one pass each */
    STEP_EXPECT   /* variable holds value */
};

/* Keys of a scenario, as bit positions in ScenarioStep::keys. */
enum ScenarioKey {
    SCENARIO_KEY_0 = 0, /* 0 to 9: the digit keys */
    SCENARIO_KEY_LEFT = 10,
    SCENARIO_KEY_DOWN = 11,
    SCENARIO_KEY_UP = 12,
    SCENARIO_KEY_RIGHT = 13,
    SCENARIO_KEY_COUNT = 14
};

const int SCENARIO_TYPE_MAX = 64;

struct ScenarioStep {
    int kind;
    int line;
    uint64_t number;
    uint32_t keys;
    char digits[SCENARIO_TYPE_MAX + 1];
    int variable;
    int32_t value;
};

struct Scenario {
    uint32_t start = 0;
    std::vector<ScenarioStep> steps;
};

/*
 * Parses a whole scenario. On the first error returns false and sets error
 * to "FILE:LINE: error: MESSAGE"; out is then unspecified.
 */
bool parseScenario(const std::string &text, const std::string &fileName, Scenario &out, std::string &error);

/* The platform's virtual-key code of a scenario key. */
int scenarioKeyCode(int scenarioKey);

/* The variables an `expect` line may name: index 0 to scenarioVariableCount() - 1. */
int scenarioVariableCount();
const char *scenarioVariableName(int index);
int scenarioVariableValue(int index);

/* How many passes the scenario runs: its pass, wait and type steps, each wait at the period then in force. */
uint64_t scenarioPassCount(const Scenario &scenario);

#endif
