/* Start-up: the first trace line and the first panel, in both encodings. */
#include "../src/Defind.h"
#include "scenario_runner.h"

#include <gtest/gtest.h>

namespace {

const char firstPanelUtf8[] = "-----------------------------------------------------\n"
                              "키센서 = 평소\t\t커버 = 열림\n"
                              "잠금버튼 = 평소 \t문 = 열림\n"
                              "STATE_PW_UNSET\tSTATE_LOCK_OPEN\t 비밀번호-1-1-1-1\n"
                              " output\n"
                              "백라이트 = 켜짐\t잠금장치 = 열림 \n"
                              "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 \n";

TEST(StartUp, OnePassWritesTheTraceLineAndTheFirstPanel)
{
    const ScenarioRun run = runScenario("pass\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, std::string("KVRNMain init()\n") + firstPanelUtf8);
}

TEST(StartUp, TheFirstPanelInCodePage949Is236BytesOfTextAndSevenLineEnds)
{
    const ScenarioRun run = runScenario("pass\n", TEXT_CP949);
    const std::string prefix = "KVRNMain init()\n";
    ASSERT_EQ(run.output.compare(0, prefix.size(), prefix), 0);
    const std::string panel = run.output.substr(prefix.size());
    EXPECT_EQ(panel.size(), 236u + 7u);
}

TEST(StartUp, AnEmptyScenarioWritesOnlyTheTraceLine)
{
    const ScenarioRun run = runScenario("");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "KVRNMain init()\n");
}

} // namespace
