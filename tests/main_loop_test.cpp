/*
 * Start-up and the work of one pass: the start values init leaves, which
 * codes make update release the momentary inputs and request a redraw, and
 * that a pass writes at most one panel.
 */
#include "scenario_runner.h"
#include "system_test_support.h"

#include <ostream>
#include <string>

namespace {

using StartValues = FreshSystem;

TEST_F(StartValues, InitGivesEverySharedVariableItsStartValueWhateverItHeldBefore)
{
    /* The loop below writes through the pointers: they cannot point to const. */
    // cppcheck-suppress constVariable
    int *const everything[] = {
        &tick,           &drawCommand, &password_state, &lock_state, &door_tick, &alarm_tick, &password_tick,
        &backlight_tick, &num_0,       &num_1,          &num_2,      &num_3,     &num_4,      &num_5,
        &num_6,          &num_7,       &num_8,          &num_9,      &key,       &cover,      &lockButton,
        &door,           &backlight,   &h_alarm1,       &h_alarm2,   &h_alarm3,  &lock,       &password[0],
        &password[1],    &password[2], &password[3]};
    for (int *variable : everything) {
        *variable = 77;
    }
    EXPECT_EQ(traceOf([] { init(); }), "KVRNMain init()\n");

    EXPECT_EQ(tick, 0);
    EXPECT_EQ(drawCommand, 1);
    for (int digit = 0; digit < 4; digit++) {
        EXPECT_EQ(password[digit], -1) << "password[" << digit << "]";
    }
    EXPECT_EQ(password_state, STATE_PW_UNSET);
    EXPECT_EQ(lock_state, STATE_LOCK_OPEN);
    EXPECT_EQ(door_tick, -1);
    EXPECT_EQ(alarm_tick, -1);
    EXPECT_EQ(password_tick, -1);
    EXPECT_EQ(backlight_tick, -1);
    const int *const digits[10] = {&num_0, &num_1, &num_2, &num_3, &num_4, &num_5, &num_6, &num_7, &num_8, &num_9};
    for (int digit = 0; digit < 10; digit++) {
        EXPECT_EQ(*digits[digit], UNCLICKED) << "num_" << digit;
    }
    EXPECT_EQ(key, UNSENSED);
    EXPECT_EQ(cover, OPENED);
    EXPECT_EQ(lockButton, UNCLICKED);
    EXPECT_EQ(door, OPENED);
    EXPECT_EQ(backlight, ON);
    EXPECT_EQ(h_alarm1, OFF);
    EXPECT_EQ(h_alarm2, OFF);
    EXPECT_EQ(h_alarm3, OFF);
    EXPECT_EQ(lock, OPENED);
}

TEST_F(StartValues, HardwareInitSetsOnlyTheLevels)
{
    drawCommand = 0;
    password_state = STATE_PW_SET;
    lock_state = STATE_LOCK_CLOSE;
    door_tick = 5;
    alarm_tick = 6;
    password_tick = 7;
    backlight_tick = 8;
    password[0] = 3;
    cover = CLOSED;
    door = CLOSED;
    backlight = OFF;
    lock = CLOSED;
    h_alarm2 = ON;
    hardwareInit();
    EXPECT_EQ(cover, OPENED);
    EXPECT_EQ(door, OPENED);
    EXPECT_EQ(backlight, ON);
    EXPECT_EQ(lock, OPENED);
    EXPECT_EQ(h_alarm2, OFF);
    EXPECT_EQ(drawCommand, 0);
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(lock_state, STATE_LOCK_CLOSE);
    EXPECT_EQ(door_tick, 5);
    EXPECT_EQ(alarm_tick, 6);
    EXPECT_EQ(password_tick, 7);
    EXPECT_EQ(backlight_tick, 8);
    EXPECT_EQ(password[0], 3);
}

/* Every shared variable after start-up, through the names that scenarios use. */
TEST(StartValuesSeenByAScenario, EveryExpectNameReadsItsVariable)
{
    const std::string script = "expect tick 0\n"
                               "expect drawCommand 1\n"
                               "expect password_state STATE_PW_UNSET\n"
                               "expect lock_state STATE_LOCK_OPEN\n"
                               "expect door_tick -1\n"
                               "expect alarm_tick -1\n"
                               "expect password_tick -1\n"
                               "expect backlight_tick -1\n"
                               "expect num_0 UNCLICKED\nexpect num_1 UNCLICKED\nexpect num_2 UNCLICKED\n"
                               "expect num_3 UNCLICKED\nexpect num_4 UNCLICKED\nexpect num_5 UNCLICKED\n"
                               "expect num_6 UNCLICKED\nexpect num_7 UNCLICKED\nexpect num_8 UNCLICKED\n"
                               "expect num_9 UNCLICKED\n"
                               "expect key UNSENSED\n"
                               "expect cover OPENED\n"
                               "expect lockButton UNCLICKED\n"
                               "expect door OPENED\n"
                               "expect backlight ON\n"
                               "expect h_alarm1 OFF\n"
                               "expect h_alarm2 OFF\n"
                               "expect h_alarm3 OFF\n"
                               "expect lock OPENED\n"
                               "expect password[0] -1\nexpect password[1] -1\n"
                               "expect password[2] -1\nexpect password[3] -1\n";
    const ScenarioRun run = runScenario(script);
    EXPECT_EQ(run.error, "");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.output, "KVRNMain init()\n");
}

/* update() in the setting phase, where no controller requests a redraw of its own for these keys. */
class PassRules : public FreshSystem {
protected:
    /* Momentary inputs left active, as if from an earlier call, and no redraw asked yet. */
    static void leaveInputsActive()
    {
        num_2 = CLICKED;
        key = SENSED;
        lockButton = CLICKED;
        drawCommand = 0;
    }

    static void expectInputsActive()
    {
        EXPECT_EQ(num_2, CLICKED);
        EXPECT_EQ(key, SENSED);
        EXPECT_EQ(lockButton, CLICKED);
    }

    static void expectInputsAtRest()
    {
        EXPECT_EQ(num_2, UNCLICKED);
        EXPECT_EQ(key, UNSENSED);
        EXPECT_EQ(lockButton, UNCLICKED);
    }
};

TEST_F(PassRules, AnIdlePassNeitherReleasesNorRequestsARedraw)
{
    for (const int level : {OPENED, CLOSED}) {
        door = level;
        leaveInputsActive();
        update();
        expectInputsActive();
        EXPECT_EQ(drawCommand, 0);
    }
}

TEST_F(PassRules, AFrozenDoorCodeNeitherReleasesNorRequestsARedraw)
{
    lock_state = STATE_LOCK_CLOSE;
    keyboard("press right");
    leaveInputsActive();
    update();
    expectInputsActive();
    EXPECT_EQ(drawCommand, 0);
}

TEST_F(PassRules, ADoorThatMovesGetsItsRedrawFromThePollingButIsNotReleased)
{
    keyboard("tap right");
    leaveInputsActive();
    update();
    EXPECT_EQ(door, CLOSED);
    expectInputsActive();
    EXPECT_EQ(drawCommand, 1);
}

class EveryOtherCode : public PassRules, public testing::WithParamInterface<const char *> {};

TEST_P(EveryOtherCode, IsReleasedAndRedrawnInItsOwnPass)
{
    keyboard(GetParam());
    leaveInputsActive();
    traceOf([] { update(); });
    expectInputsAtRest();
    const int *const digits[10] = {&num_0, &num_1, &num_2, &num_3, &num_4, &num_5, &num_6, &num_7, &num_8, &num_9};
    for (int digit = 0; digit < 10; digit++) {
        EXPECT_EQ(*digits[digit], UNCLICKED) << "num_" << digit;
    }
    EXPECT_EQ(drawCommand, 1);
}

INSTANTIATE_TEST_SUITE_P(Keys, EveryOtherCode, testing::Values("tap 7", "tap left", "tap up", "tap down"));

TEST(PassRulesOverWholePasses, SeveralRedrawRequestsInOnePassGiveOnePanel)
{
    /* The fourth digit: setPassword, the backlight setter, update and resetButton all ask. */
    const ScenarioRun run = runScenario("type 1234\n");
    EXPECT_EQ(run.status, 0);
    const std::string separator = "-----------------------------------------------------\n";
    size_t panels = 0;
    for (size_t at = run.output.find(separator); at != std::string::npos; at = run.output.find(separator, at + 1)) {
        panels++;
    }
    EXPECT_EQ(panels, 4u);
}

TEST(PassRulesOverWholePasses, IdlePassesAfterTheFirstWriteNothing)
{
    const ScenarioRun once = runScenario("pass\n");
    const ScenarioRun many = runScenario("pass 500\n");
    EXPECT_EQ(many.status, 0);
    EXPECT_EQ(many.output, once.output);
}

using Setters = FreshSystem;

struct Setter {
    const char *name;
    void (*operation)();
    int *level;
    int value;
};

void PrintTo(const Setter &setter, std::ostream *out)
{
    *out << setter.name;
}

class EachSetter : public FreshSystem, public testing::WithParamInterface<Setter> {};

TEST_P(EachSetter, WritesItsLevelAndRequestsARedrawEvenWhenTheLevelIsUnchanged)
{
    const Setter &setter = GetParam();
    for (int time = 0; time < 2; time++) {
        drawCommand = 0;
        setter.operation();
        EXPECT_EQ(*setter.level, setter.value) << "call " << time;
        EXPECT_EQ(drawCommand, 1) << "call " << time;
    }
}

INSTANTIATE_TEST_SUITE_P(Outputs, EachSetter,
                         testing::Values(Setter{"turnOnBacklight", turnOnBacklight, &backlight, ON},
                                         Setter{"turnOffBacklight", turnOffBacklight, &backlight, OFF},
                                         Setter{"turnOnAlarm1", turnOnAlarm1, &h_alarm1, ON},
                                         Setter{"turnOffAlarm1", turnOffAlarm1, &h_alarm1, OFF},
                                         Setter{"turnOnAlarm2", turnOnAlarm2, &h_alarm2, ON},
                                         Setter{"turnOffAlarm2", turnOffAlarm2, &h_alarm2, OFF},
                                         Setter{"turnOnAlarm3", turnOnAlarm3, &h_alarm3, ON},
                                         Setter{"turnOffAlarm3", turnOffAlarm3, &h_alarm3, OFF},
                                         Setter{"closeLockDevice", closeLockDevice, &lock, CLOSED},
                                         Setter{"openLockDevice", openLockDevice, &lock, OPENED}),
                         [](const testing::TestParamInfo<Setter> &param) { return std::string(param.param.name); });

TEST_F(Setters, EachChangesOnlyItsOwnLevelAndWritesNothing)
{
    EXPECT_EQ(traceOf([] { turnOffAlarm1(); }), "");
    EXPECT_EQ(traceOf([] { turnOnAlarm2(); }), "");
    EXPECT_EQ(h_alarm1, OFF);
    EXPECT_EQ(h_alarm2, ON);
    EXPECT_EQ(h_alarm3, OFF);
    EXPECT_EQ(backlight, ON);
    EXPECT_EQ(lock, OPENED);
}

TEST_F(Setters, ResetButtonReleasesTheMomentaryInputsOnlyAndAlwaysRequestsARedraw)
{
    drawCommand = 0;
    resetButton();
    EXPECT_EQ(drawCommand, 1);

    num_0 = CLICKED;
    num_9 = CLICKED;
    key = SENSED;
    lockButton = CLICKED;
    cover = CLOSED;
    door = CLOSED;
    backlight = OFF;
    h_alarm3 = ON;
    lock = CLOSED;
    drawCommand = 0;
    resetButton();
    EXPECT_EQ(num_0, UNCLICKED);
    EXPECT_EQ(num_9, UNCLICKED);
    EXPECT_EQ(key, UNSENSED);
    EXPECT_EQ(lockButton, UNCLICKED);
    EXPECT_EQ(cover, CLOSED);
    EXPECT_EQ(door, CLOSED);
    EXPECT_EQ(backlight, OFF);
    EXPECT_EQ(h_alarm3, ON);
    EXPECT_EQ(lock, CLOSED);
    EXPECT_EQ(drawCommand, 1);
}

} // namespace
