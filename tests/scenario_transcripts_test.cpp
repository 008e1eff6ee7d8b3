/*
 * Whole-system behaviour as a table of scenarios: every tests/scenarios/NAME.scn
 * runs through the system's own main loop, must end with status 0 (all its
 * expect lines held), and must write exactly tests/scenarios/NAME.out.
 */
#include "../src/Defind.h"
#include "scenario_runner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <string>
#include <vector>

namespace {

std::filesystem::path scenarioDir()
{
    return std::filesystem::path(DOORLOCK_SOURCE_DIR) / "tests" / "scenarios";
}

std::vector<std::string> scenarioNames()
{
    std::vector<std::string> names;
    if (std::filesystem::is_directory(scenarioDir())) {
        for (const auto &entry : std::filesystem::directory_iterator(scenarioDir())) {
            if (entry.path().extension() == ".scn") {
                names.push_back(entry.path().stem().string());
            }
        }
    }
    std::sort(names.begin(), names.end());
    return names;
}

class ScenarioTranscript : public testing::TestWithParam<std::string> {};

TEST_P(ScenarioTranscript, RunsToItsEndAndWritesItsExpectedTranscript)
{
    const std::string name = GetParam();
    const std::string script = readFile((scenarioDir() / (name + ".scn")).string());
    const std::string expected = readFile((scenarioDir() / (name + ".out")).string());
    const ScenarioRun run = runScenario(script, TEXT_UTF8, name + ".scn");
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, expected);
}

INSTANTIATE_TEST_SUITE_P(Scenarios, ScenarioTranscript, testing::ValuesIn(scenarioNames()),
                         [](const testing::TestParamInfo<std::string> &param) {
                             std::string id = param.param;
                             std::replace_if(
                                 id.begin(), id.end(),
                                 [](char c) { return isalnum(static_cast<unsigned char>(c)) == 0; }, '_');
                             return id;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ScenarioTranscript);

} // namespace
