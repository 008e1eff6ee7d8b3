/*
 * The scenario format of doorlock-replay: which lines are rejected (with the
 * file, the line and the reason), and what the accepted steps do to the
 * scripted keyboard and the virtual clock.
 */
#include "../platform/scripted.h"
#include "../src/Defind.h"
#include "scenario_runner.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>

namespace {

struct BadScenario {
    const char *name;
    const char *text;
    const char *error;
};

void PrintTo(const BadScenario &bad, std::ostream *out)
{
    *out << bad.name;
}

class RejectedScenario : public testing::TestWithParam<BadScenario> {};

TEST_P(RejectedScenario, IsReportedWithItsFileLineAndReasonAndNotRun)
{
    Scenario parsed;
    std::string error;
    EXPECT_FALSE(parseScenario(GetParam().text, "bad.scn", parsed, error));
    EXPECT_EQ(error, GetParam().error);

    const ScenarioRun run = runScenario(GetParam().text, TEXT_UTF8, "bad.scn");
    EXPECT_EQ(run.status, 2);
    EXPECT_EQ(run.output, "");
}

/* 65 ones: one digit more than a type step takes. */
#define SIXTY_FIVE_DIGITS "11111111111111111111111111111111111111111111111111111111111111111"

INSTANTIATE_TEST_SUITE_P(
    Lines, RejectedScenario,
    testing::Values(
        BadScenario{"unknown_step", "jump\n", "bad.scn:1: error: unknown step 'jump'"},
        BadScenario{"upper_case_step", "PASS\n", "bad.scn:1: error: unknown step 'PASS'"},
        BadScenario{"capitalised_step", "pass\nPress 1\n", "bad.scn:2: error: unknown step 'Press'"},
        BadScenario{"line_counts_blank_and_comment_lines", "\n# set-up\n\n  \t\npass 0\n",
                    "bad.scn:5: error: 0 is out of range (1 to 1000000000)"},
        BadScenario{"first_of_two_faults", "pass\njump\nleap\n", "bad.scn:2: error: unknown step 'jump'"},
        BadScenario{"fault_on_last_line_without_line_end", "pass\npass x", "bad.scn:2: error: 'x' is not a number"},
        BadScenario{"comment_does_not_hide_the_step", "jump # not a step\n", "bad.scn:1: error: unknown step 'jump'"},
        BadScenario{"step_glued_to_a_number", "pass2\n", "bad.scn:1: error: unknown step 'pass2'"},
        BadScenario{"crlf_line_numbers", "pass\r\n\r\njump\r\n", "bad.scn:3: error: unknown step 'jump'"},
        BadScenario{"start_without_count", "start\n", "bad.scn:1: error: start needs one count"},
        BadScenario{"start_with_two_counts", "start 1 2\n", "bad.scn:1: error: start takes only one count"},
        BadScenario{"start_negative", "start -1\n", "bad.scn:1: error: '-1' is not a number"},
        BadScenario{"start_above_32_bits", "start 4294967296\n",
                    "bad.scn:1: error: 4294967296 is out of range (0 to 4294967295)"},
        BadScenario{"start_twice", "start 1\nstart 1\n", "bad.scn:2: error: start given twice"},
        BadScenario{"start_after_pass", "pass\nstart 5\n", "bad.scn:2: error: start must come before the first pass"},
        BadScenario{"start_after_wait", "wait 10\nstart 5\n",
                    "bad.scn:2: error: start must come before the first pass"},
        BadScenario{"start_after_type", "type 1\nstart 5\n", "bad.scn:2: error: start must come before the first pass"},
        BadScenario{"period_without_time", "period\n", "bad.scn:1: error: period needs one time in ms"},
        BadScenario{"period_with_two_times", "period 1 2\n", "bad.scn:1: error: period takes only one time in ms"},
        BadScenario{"period_zero", "period 0\n", "bad.scn:1: error: 0 is out of range (1 to 3600000)"},
        BadScenario{"period_above_an_hour", "period 3600001\n",
                    "bad.scn:1: error: 3600001 is out of range (1 to 3600000)"},
        BadScenario{"period_fraction", "period 2.5\n", "bad.scn:1: error: '2.5' is not a number"},
        BadScenario{"period_hexadecimal", "period 0x10\n", "bad.scn:1: error: '0x10' is not a number"},
        BadScenario{"period_with_plus", "period +5\n", "bad.scn:1: error: '+5' is not a number"},
        BadScenario{"period_exponent", "period 1e3\n", "bad.scn:1: error: '1e3' is not a number"},
        BadScenario{"pass_zero", "pass 0\n", "bad.scn:1: error: 0 is out of range (1 to 1000000000)"},
        BadScenario{"pass_above_a_billion", "pass 1000000001\n",
                    "bad.scn:1: error: 1000000001 is out of range (1 to 1000000000)"},
        BadScenario{"pass_far_above_64_bits", "pass 123456789012345678901234567890\n",
                    "bad.scn:1: error: 123456789012345678901234567890 is out of range (1 to 1000000000)"},
        BadScenario{"pass_with_two_counts", "pass 1 2\n", "bad.scn:1: error: pass takes only one count"},
        BadScenario{"wait_without_time", "wait\n", "bad.scn:1: error: wait needs one time in ms"},
        BadScenario{"wait_zero", "wait 0\n", "bad.scn:1: error: 0 is out of range (1 to 4294967295)"},
        BadScenario{"wait_above_32_bits", "wait 4294967296\n",
                    "bad.scn:1: error: 4294967296 is out of range (1 to 4294967295)"},
        BadScenario{"wait_negative", "wait -200\n", "bad.scn:1: error: '-200' is not a number"},
        BadScenario{"press_without_keys", "press\n", "bad.scn:1: error: press needs at least one key"},
        BadScenario{"release_without_keys", "release\n", "bad.scn:1: error: release needs at least one key"},
        BadScenario{"tap_without_keys", "tap  # nothing\n", "bad.scn:1: error: tap needs at least one key"},
        BadScenario{"upper_case_key", "press LEFT\n",
                    "bad.scn:1: error: unknown key 'LEFT' (keys: 0 to 9, left, down, up, right)"},
        BadScenario{"two_digit_key", "tap 10\n",
                    "bad.scn:1: error: unknown key '10' (keys: 0 to 9, left, down, up, right)"},
        BadScenario{"bad_key_after_good_ones", "release 1 down enter\n",
                    "bad.scn:1: error: unknown key 'enter' (keys: 0 to 9, left, down, up, right)"},
        BadScenario{"type_without_digits", "type\n", "bad.scn:1: error: type needs one word of digits"},
        BadScenario{"type_two_words", "type 12 34\n", "bad.scn:1: error: type takes only one word of digits"},
        BadScenario{"type_non_digit", "type 12a4\n", "bad.scn:1: error: type needs 1 to 64 digits, not '12a4'"},
        BadScenario{"type_negative", "type -1\n", "bad.scn:1: error: type needs 1 to 64 digits, not '-1'"},
        BadScenario{"type_65_digits", "type " SIXTY_FIVE_DIGITS "\n",
                    "bad.scn:1: error: type needs 1 to 64 digits, not '" SIXTY_FIVE_DIGITS "'"},
        BadScenario{"expect_without_arguments", "expect\n", "bad.scn:1: error: expect needs a variable and a value"},
        BadScenario{"expect_without_value", "expect tick\n", "bad.scn:1: error: expect needs a variable and a value"},
        BadScenario{"expect_with_extra_word", "expect tick 0 0\n",
                    "bad.scn:1: error: expect takes only a variable and a value"},
        BadScenario{"expect_unknown_variable", "expect Tick 0\n", "bad.scn:1: error: unknown variable 'Tick'"},
        BadScenario{"expect_whole_array", "expect password -1\n", "bad.scn:1: error: unknown variable 'password'"},
        BadScenario{"expect_past_the_array", "expect password[4] -1\n",
                    "bad.scn:1: error: unknown variable 'password[4]'"},
        BadScenario{"expect_value_above_int", "expect tick 2147483648\n",
                    "bad.scn:1: error: bad value '2147483648' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_value_below_int", "expect tick -2147483649\n",
                    "bad.scn:1: error: bad value '-2147483649' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_unsigned_spelling", "expect tick 4294967295\n",
                    "bad.scn:1: error: bad value '4294967295' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_lower_case_constant", "expect cover opened\n",
                    "bad.scn:1: error: bad value 'opened' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_lone_minus", "expect tick -\n",
                    "bad.scn:1: error: bad value '-' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_double_minus", "expect tick --1\n",
                    "bad.scn:1: error: bad value '--1' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_plus", "expect tick +1\n",
                    "bad.scn:1: error: bad value '+1' (a 32-bit decimal number or a constant's name)"},
        BadScenario{"expect_hexadecimal", "expect tick 0x1\n",
                    "bad.scn:1: error: bad value '0x1' (a 32-bit decimal number or a constant's name)"}),
    [](const testing::TestParamInfo<BadScenario> &param) { return std::string(param.param.name); });

/* A scenario that must run to its end with every expect holding. */
void expectRunsClean(const std::string &text)
{
    const ScenarioRun run = runScenario(text);
    EXPECT_EQ(run.error, "") << text;
    EXPECT_EQ(run.status, 0) << text;
}

TEST(AcceptedScenario, TakesTheExtremesOfEveryRange)
{
    expectRunsClean("start 4294967295\nperiod 3600000\npass\nperiod 1\npass 1\nexpect tick 0\n");
    expectRunsClean("start 0\nperiod 1\ntype " + std::string(64, '7') + "\nexpect tick 63\n");
    Scenario parsed;
    std::string error;
    EXPECT_TRUE(parseScenario("expect tick 2147483647\nexpect tick -2147483648\nexpect tick -0\npass 1000000000\n",
                              "x.scn", parsed, error))
        << error;
    ASSERT_EQ(parsed.steps.size(), 4u);
    EXPECT_EQ(parsed.steps[0].value, 2147483647);
    EXPECT_EQ(parsed.steps[1].value, -2147483647 - 1);
    EXPECT_EQ(parsed.steps[2].value, 0);
    EXPECT_EQ(parsed.steps[3].number, 1000000000u);
}

TEST(AcceptedScenario, IgnoresCommentsBlankLinesTabsAndACarriageReturnBeforeTheLineEnd)
{
    expectRunsClean("# only a comment\n"
                    "\n"
                    "   \t  \n"
                    "\tpass\t2\t# two passes\r\n"
                    "expect\ttick\t200\r\n"
                    "pass#glued comment\n"
                    "expect tick 400");
}

TEST(AcceptedScenario, WithoutStartOrPeriodTheFirstPassReadsZeroAndPassesAre200MsApart)
{
    expectRunsClean("pass\nexpect tick 0\npass\nexpect tick 200\npass 3\nexpect tick 800\n");
}

TEST(AcceptedScenario, StartIsTheCountOfTheFirstPassAndTheCountWrapsModulo2To32)
{
    expectRunsClean("start 2147483647\npass\nexpect tick 2147483647\npass\nexpect tick -2147483449\n");
    expectRunsClean("start 4294967295\npass\nexpect tick -1\npass\nexpect tick 199\n");
}

TEST(AcceptedScenario, PeriodSetsThePauseBeforeTheNextPass)
{
    expectRunsClean(
        "pass\nperiod 250\npass\nexpect tick 250\npass\nexpect tick 500\nperiod 1\npass\nexpect tick 501\n");
    /* A period given before the first pass changes nothing of that pass's count. */
    expectRunsClean("start 1000\nperiod 7\npass\nexpect tick 1000\npass\nexpect tick 1007\n");
}

struct Wait {
    int period;
    const char *ms;
    int passes;
};

void PrintTo(const Wait &wait, std::ostream *out)
{
    *out << "period " << wait.period << ", wait " << wait.ms;
}

class WaitStep : public testing::TestWithParam<Wait> {};

TEST_P(WaitStep, RunsAsManyPassesAsPeriodsFitIntoItsTimeRoundedUp)
{
    const Wait &wait = GetParam();
    /* A first pass at 0, then the wait: its last pass reads passes * period. */
    const std::string text = "pass\nperiod " + std::to_string(wait.period) + "\nwait " + wait.ms + "\nexpect tick " +
                             std::to_string(wait.passes * wait.period) + "\n";
    expectRunsClean(text);
}

INSTANTIATE_TEST_SUITE_P(Rounding, WaitStep,
                         testing::Values(Wait{200, "1", 1}, Wait{200, "199", 1}, Wait{200, "200", 1},
                                         Wait{200, "201", 2}, Wait{200, "2000", 10}, Wait{300, "301", 2},
                                         Wait{1, "1999", 1999}, Wait{3600000, "3600001", 2}));

TEST(AcceptedScenario, AWaitAsLongAsTheCounterWrapsAround)
{
    /* ceil(4294967295 / 3600000) = 1194 passes; the last reads 1194 * 3600000 mod 2^32. */
    expectRunsClean("pass\nperiod 3600000\nwait 4294967295\nexpect tick 3432704\n");
}

TEST(AcceptedScenario, APressedKeyIsReportedOnEveryPassUntilReleased)
{
    expectRunsClean("press 5\npass 3\nexpect password[2] 5\nexpect password[3] -1\n"
                    "release 5\npass\nexpect password[3] -1\n");
}

TEST(AcceptedScenario, ATappedKeyIsReportedOnceAndATapLeavesAHeldKeyDown)
{
    expectRunsClean("tap 5\npass 3\nexpect password[0] 5\nexpect password[1] -1\n");
    expectRunsClean("press 6\ntap 6\npass 2\nexpect password[1] 6\n");
}

TEST(AcceptedScenario, APressAndReleaseBeforeAPassIsReportedOnce)
{
    expectRunsClean("press 5\nrelease 5\npass 2\nexpect password[0] 5\nexpect password[1] -1\n");
}

TEST(AcceptedScenario, SeveralKeysOnOneLineAndReleasingAKeyThatIsUp)
{
    expectRunsClean("release 3 right\npress 2 7\npass\nexpect password[0] 2\nrelease 2\npass\n"
                    "expect password[1] 7\nrelease 7\npass\nexpect password[2] -1\n");
}

TEST(AcceptedScenario, TypeTapsEachDigitAndRunsOnePassForIt)
{
    expectRunsClean("type 4096\nexpect tick 600\nexpect password[0] 4\nexpect password[1] 0\n"
                    "expect password[2] 9\nexpect password[3] 6\nexpect password_state STATE_PW_SET\n");
}

TEST(AcceptedScenario, ExpectBeforeAnyPassSeesTheStateAfterStartUp)
{
    const ScenarioRun run = runScenario("start 500\nexpect tick 0\nexpect drawCommand 1\n"
                                        "expect password_state 16\nexpect backlight ON\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "KVRNMain init()\n");
}

TEST(AcceptedScenario, ExpectAfterAPassSeesTheStateAfterItsPanel)
{
    expectRunsClean("start 500\npass\nexpect tick 500\nexpect drawCommand 0\n");
}

TEST(AcceptedScenario, ExpectAcceptsTheNamesOfTheEnumeratorsAndTheLevelConstants)
{
    expectRunsClean("expect lock_state STATE_LOCK_OPEN\nexpect lock_state 30\nexpect cover OPENED\n"
                    "expect cover 1\nexpect h_alarm1 OFF\nexpect num_0 UNCLICKED\nexpect key UNSENSED\n"
                    "tap 9\npass\nexpect password[0] INPUT_9\nexpect password_state STATE_PW_SET_1\n"
                    "tap down\npass\nexpect cover CLOSED\nexpect backlight OFF\n");
}

TEST(FailedExpect, StopsTheRunThereAndSaysWhatWasWantedAndWhatWasFound)
{
    testing::internal::CaptureStderr();
    const ScenarioRun run = runScenario("pass\nexpect cover CLOSED\npass\n", TEXT_UTF8, "door.scn");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(error, "door.scn:2: expect cover: wanted 0, got 1\n");
    const ScenarioRun onePass = runScenario("pass\n");
    EXPECT_EQ(run.output, onePass.output);
}

TEST(FailedExpect, BeforeAnyPassLeavesOnlyTheStartUpLine)
{
    testing::internal::CaptureStderr();
    const ScenarioRun run = runScenario("expect password[0] 3\npass\n");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(error, "test.scn:1: expect password[0]: wanted 3, got -1\n");
    EXPECT_EQ(run.output, "KVRNMain init()\n");
}

TEST(FailedExpect, AfterTheLastPassIsStillChecked)
{
    testing::internal::CaptureStderr();
    const ScenarioRun run = runScenario("pass 2\nrelease 1\n# end\nexpect tick -5\n");
    const std::string error = testing::internal::GetCapturedStderr();
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(error, "test.scn:4: expect tick: wanted -5, got 200\n");
}

TEST(AcceptedScenario, AnEmptyScenarioRunsNoPass)
{
    for (const char *text : {"", "\n", "# nothing\n", "press 1\nperiod 5\nexpect tick 0\n"}) {
        const ScenarioRun run = runScenario(text);
        EXPECT_EQ(run.status, 0) << text;
        EXPECT_EQ(run.output, "KVRNMain init()\n") << text;
    }
}

} // namespace
