/*
 * scenario_runner.h - runs the system's own main loop in-process against a
 * scenario, and returns what it wrote.
 */
#ifndef DOORLOCK_SCENARIO_RUNNER_H
#define DOORLOCK_SCENARIO_RUNNER_H

#include <string>

struct ScenarioRun {
    int status = -1;    /* 0, 1 (failed expect) or 2 (scenario error) */
    std::string output; /* standard output */
    std::string error;  /* the parse error, for status 2 */
};

/* Runs scenario text through doorlockMain; encoding is TEXT_UTF8 or TEXT_CP949. */
ScenarioRun runScenario(const std::string &text, int encoding = 0, const std::string &fileName = "test.scn");

/* The whole contents of a file, or a test failure. */
std::string readFile(const std::string &path);

#endif
