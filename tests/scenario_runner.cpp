#include "scenario_runner.h"

#include "../platform/scripted.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

struct RunEnded {
    int status;
};

[[noreturn]] void throwEnd(int status)
{
    throw RunEnded{status};
}

} // namespace

ScenarioRun runScenario(const std::string &text, int encoding, const std::string &fileName)
{
    ScenarioRun run;
    static Scenario scenario;
    if (!parseScenario(text, fileName, scenario, run.error)) {
        run.status = 2;
        return run;
    }
    scriptLoad(&scenario, fileName.c_str(), encoding);
    scriptSetEndHandler(throwEnd);
    testing::internal::CaptureStdout();
    try {
        doorlockMain();
    } catch (const RunEnded &ended) {
        run.status = ended.status;
    }
    fflush(stdout);
    run.output = testing::internal::GetCapturedStdout();
    scriptSetEndHandler(nullptr);
    return run;
}

std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    EXPECT_TRUE(file.good()) << "cannot read " << path;
    std::ostringstream contents;
    contents << file.rdbuf();
    return contents.str();
}
