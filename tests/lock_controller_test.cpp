/*
 * The lock controller: its events on an open lock with the auto-lock timer
 * idle or running and on a closed lock, the 3000 ms auto-lock, and the
 * manager operation that repeats whatever the state.
 */
#include "controller_fixture.h"

#include <cctype>
#include <climits>
#include <string>

void lockManager(int command);
void handLock(int inputValue);
void autoLock();

namespace {

const char opensOrToggles[] = "KVRNLock handLock()\nKVRNLock lockManager()\n";
const char autoCloses[] = "KVRNLock autoLock()\nKVRNLock lockManager()\n";

const int T = 20000;

/* The password set, the lock open with its timer idle, the door closed. */
class LockController : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        password[0] = 1;
        password[1] = 2;
        password[2] = 3;
        password[3] = 4;
        password_state = STATE_PW_SET;
        backlight = OFF;
        door = CLOSED;
        tick = T;
    }

    static void setLock(int state)
    {
        lock_state = state;
        lock = state == STATE_LOCK_OPEN ? OPENED : CLOSED;
    }
};

std::string lockPass(int inputValue)
{
    return traceOf([&] { KVRNLockController(inputValue); });
}

enum TimerAfter { IDLE, KEPT, STARTED_NOW };

struct LockEvent {
    const char *what;
    int lockBefore;
    int stampAge; /* ms since door_tick was stamped; -1 for an idle timer */
    int passwordState;
    int input;
    const char *lines;
    int lockAfter;
    TimerAfter timerAfter;
};

const int OPEN = STATE_LOCK_OPEN;
const int CLOSE = STATE_LOCK_CLOSE;
const int SET = STATE_PW_SET;
const int RIGHT = STATE_PW_RIGHT;

const LockEvent lockEvents[] = {
    /* Open, timer idle. */
    {"open idle: key opens again", OPEN, -1, SET, INPUT_KEY_SENSOR, opensOrToggles, OPEN, IDLE},
    {"open idle: button closes", OPEN, -1, SET, INPUT_LOCK_BUTTON, opensOrToggles, CLOSE, IDLE},
    {"open idle: door open", OPEN, -1, SET, INPUT_DOOR_SENSOR_OPEN, "", OPEN, IDLE},
    {"open idle: door closed starts the timer", OPEN, -1, SET, INPUT_DOOR_SENSOR_CLOSE, "", OPEN, STARTED_NOW},
    {"open idle: digit", OPEN, -1, SET, INPUT_5, "", OPEN, IDLE},
    {"open idle: cover opened", OPEN, -1, SET, INPUT_COVER_SENSOR_OPEN, "", OPEN, IDLE},
    {"open idle: cover closed", OPEN, -1, SET, INPUT_COVER_SENSOR_CLOSE, "", OPEN, IDLE},
    {"open idle: no input", OPEN, -1, SET, -1, "", OPEN, IDLE},
    {"open idle: right password opens again", OPEN, -1, RIGHT, INPUT_4, opensOrToggles, OPEN, IDLE},
    /* Open, timer running. */
    {"open running: key stops the timer", OPEN, 1000, SET, INPUT_KEY_SENSOR, opensOrToggles, OPEN, IDLE},
    {"open running: button closes", OPEN, 1000, SET, INPUT_LOCK_BUTTON, opensOrToggles, CLOSE, IDLE},
    {"open running: door open stops the timer", OPEN, 1000, SET, INPUT_DOOR_SENSOR_OPEN, "", OPEN, IDLE},
    {"open running: door closed keeps the first stamp", OPEN, 1000, SET, INPUT_DOOR_SENSOR_CLOSE, "", OPEN, KEPT},
    {"open running: digit", OPEN, 1000, SET, INPUT_0, "", OPEN, KEPT},
    {"open running: cover opened", OPEN, 1000, SET, INPUT_COVER_SENSOR_OPEN, "", OPEN, KEPT},
    {"open running: cover closed", OPEN, 1000, SET, INPUT_COVER_SENSOR_CLOSE, "", OPEN, KEPT},
    {"open running: no input", OPEN, 1000, SET, -1, "", OPEN, KEPT},
    {"open running: right password stops the timer", OPEN, 1000, RIGHT, INPUT_4, opensOrToggles, OPEN, IDLE},
    {"open running: 2999 ms", OPEN, 2999, SET, INPUT_DOOR_SENSOR_CLOSE, "", OPEN, KEPT},
    {"open running: 3000 ms closes", OPEN, 3000, SET, INPUT_DOOR_SENSOR_CLOSE, autoCloses, CLOSE, IDLE},
    {"open running: 3000 ms closes on a digit pass too", OPEN, 3000, SET, INPUT_7, autoCloses, CLOSE, IDLE},
    {"open running: door open at 3000 ms stops it first", OPEN, 3000, SET, INPUT_DOOR_SENSOR_OPEN, "", OPEN, IDLE},
    {"open running: key at 3000 ms opens instead", OPEN, 3000, SET, INPUT_KEY_SENSOR, opensOrToggles, OPEN, IDLE},
    {"open running: right password at 3000 ms opens", OPEN, 3000, RIGHT, INPUT_4, opensOrToggles, OPEN, IDLE},
    /* Closed (timer idle). */
    {"closed: key opens", CLOSE, -1, SET, INPUT_KEY_SENSOR, opensOrToggles, OPEN, IDLE},
    {"closed: button opens", CLOSE, -1, SET, INPUT_LOCK_BUTTON, opensOrToggles, OPEN, IDLE},
    {"closed: door open", CLOSE, -1, SET, INPUT_DOOR_SENSOR_OPEN, "", CLOSE, IDLE},
    {"closed: door closed starts no timer", CLOSE, -1, SET, INPUT_DOOR_SENSOR_CLOSE, "", CLOSE, IDLE},
    {"closed: digit", CLOSE, -1, SET, INPUT_9, "", CLOSE, IDLE},
    {"closed: cover opened", CLOSE, -1, SET, INPUT_COVER_SENSOR_OPEN, "", CLOSE, IDLE},
    {"closed: no input", CLOSE, -1, SET, -1, "", CLOSE, IDLE},
    {"closed: right password opens", CLOSE, -1, RIGHT, INPUT_4, opensOrToggles, OPEN, IDLE},
    /* A stamp left on a closed lock is cleared, never acted on. */
    {"closed: stray stamp cleared", CLOSE, 1000, SET, INPUT_1, "", CLOSE, IDLE},
    {"closed: stray old stamp cleared, no auto-lock", CLOSE, 5000, SET, INPUT_DOOR_SENSOR_CLOSE, "", CLOSE, IDLE},
};

class LockEventTable : public LockController, public testing::WithParamInterface<LockEvent> {};

TEST_P(LockEventTable, ActsOnTheInputThenThePasswordThenTheTimer)
{
    const LockEvent &c = GetParam();
    setLock(c.lockBefore);
    const int stamp = c.stampAge < 0 ? -1 : T - c.stampAge;
    door_tick = stamp;
    password_state = c.passwordState;
    const bool managed = c.lines[0] != '\0';

    EXPECT_EQ(lockPass(c.input), c.lines);
    EXPECT_EQ(lock_state, c.lockAfter);
    EXPECT_EQ(lock, c.lockAfter == OPEN ? OPENED : CLOSED);
    EXPECT_EQ(door_tick, c.timerAfter == IDLE ? -1 : c.timerAfter == KEPT ? stamp : T);
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(drawCommand, managed ? 1 : 0) << "the device setter redraws, even when the level does not change";
}

INSTANTIATE_TEST_SUITE_P(Events, LockEventTable, testing::ValuesIn(lockEvents),
                         [](const testing::TestParamInfo<LockEvent> &param) {
                             std::string id;
                             for (const char *p = param.param.what; *p != 0; p++) {
                                 id += isalnum(static_cast<unsigned char>(*p)) != 0 ? *p : '_';
                             }
                             return id;
                         });

TEST_F(LockController, TheFourthDigitPassWritesItsLockLinesAfterTheOthersAndShowsSet)
{
    setLock(STATE_LOCK_CLOSE);
    password_state = STATE_PW_INPUT_3;
    password_tick = T - 200;
    /* The normal-phase order of one pass: password, backlight, lock. */
    const std::string lines = traceOf([] {
        KVRNPasswordController(INPUT_4);
        KVRNBacklightController(INPUT_4);
        KVRNLockController(INPUT_4);
    });
    EXPECT_EQ(lines, "KVRNPassword comparePassword()\n"
                     "KVRNAlarm alarm1(ENABLE)\n"
                     "KVRNBacklight backlightManager()\n"
                     "KVRNLock handLock()\n"
                     "KVRNLock lockManager()\n");
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(lock_state, STATE_LOCK_OPEN);
    EXPECT_EQ(lock, OPENED);
}

/* The auto-lock wherever the count stands, across 2^31 and across the wrap to 0. */
class AutoLock : public LockController, public testing::WithParamInterface<int> {};

TEST_P(AutoLock, ClosesOnThePass3000MsAfterTheFirstDoorClosedReportNot2999)
{
    const int base = GetParam();
    tick = base;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "") << "the pass that sets the stamp never closes the lock";
    EXPECT_EQ(door_tick, base);
    for (int ms = 200; ms <= 2800; ms += 200) {
        tick = tickAfter(base, ms);
        EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "") << ms << " ms";
        EXPECT_EQ(door_tick, base) << "a later door-closed pass restarted the timer at " << ms << " ms";
    }
    tick = tickAfter(base, 2999);
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
    EXPECT_EQ(lock_state, STATE_LOCK_OPEN);
    tick = tickAfter(base, 3000);
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), autoCloses);
    EXPECT_EQ(lock_state, STATE_LOCK_CLOSE);
    EXPECT_EQ(lock, CLOSED);
    EXPECT_EQ(door_tick, -1);
    EXPECT_EQ(drawCommand, 1) << "the closed lock must reach the panel on a door-code pass";
}

INSTANTIATE_TEST_SUITE_P(AnyCount, AutoLock, testing::Values(1000, INT_MAX - 1500, INT_MAX, INT_MIN, -1500, -2));

TEST_F(LockController, OpeningTheDoorStopsTheTimerAndTheNextDoorClosedPassStartsItAfresh)
{
    lockPass(INPUT_DOOR_SENSOR_CLOSE);
    tick = T + 1000;
    lockPass(INPUT_DOOR_SENSOR_OPEN);
    EXPECT_EQ(door_tick, -1);
    tick = T + 1200;
    lockPass(INPUT_DOOR_SENSOR_CLOSE);
    EXPECT_EQ(door_tick, T + 1200);
    tick = T + 4199;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = T + 4200;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), autoCloses);
}

TEST_F(LockController, TheMechanicalKeyPostponesTheAutoLock)
{
    lockPass(INPUT_DOOR_SENSOR_CLOSE);
    tick = T + 2800;
    EXPECT_EQ(lockPass(INPUT_KEY_SENSOR), opensOrToggles);
    EXPECT_EQ(door_tick, -1);
    tick = T + 3000;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
    EXPECT_EQ(door_tick, T + 3000);
    tick = T + 5999;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = T + 6000;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), autoCloses);
}

TEST_F(LockController, AHeldLockButtonTogglesOnEveryPass)
{
    const int expected[] = {STATE_LOCK_CLOSE, STATE_LOCK_OPEN, STATE_LOCK_CLOSE, STATE_LOCK_OPEN, STATE_LOCK_CLOSE};
    for (const int state : expected) {
        EXPECT_EQ(lockPass(INPUT_LOCK_BUTTON), opensOrToggles);
        EXPECT_EQ(lock_state, state);
        EXPECT_EQ(lock, state == STATE_LOCK_OPEN ? OPENED : CLOSED);
        tick += 200;
    }
}

TEST_F(LockController, NoTimerStartsWhileThePasswordIsBeingSet)
{
    for (const int state : {STATE_PW_UNSET, STATE_PW_SET_1, STATE_PW_SET_2, STATE_PW_SET_3}) {
        password_state = state;
        EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
        EXPECT_EQ(door_tick, -1) << "state " << state;
    }
}

TEST_F(LockController, ADoorClosedPassOnTickMinusOneStillStartsTheTimer)
{
    tick = -1;
    lockPass(INPUT_DOOR_SENSOR_CLOSE);
    EXPECT_EQ(door_tick, 0);
    tick = 2999; /* 3000 ms after the report, 2999 after the stored stamp */
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = 3000;
    EXPECT_EQ(lockPass(INPUT_DOOR_SENSOR_CLOSE), autoCloses);
}

struct ManagerCall {
    int command;
    int lockBefore;
    int lockAfter; /* lock_state after */
    bool drives;   /* calls a device setter */
};

class LockManagerRepeats : public LockController, public testing::WithParamInterface<ManagerCall> {};

TEST_P(LockManagerRepeats, NeverLooksAtTheStateAndAlwaysClearsTheTimer)
{
    const ManagerCall &c = GetParam();
    setLock(c.lockBefore);
    const int levelBefore = lock;
    for (int call = 0; call < 2; call++) {
        door_tick = T - 100;
        drawCommand = 0;
        lock = levelBefore;
        EXPECT_EQ(traceOf([&] { lockManager(c.command); }), "KVRNLock lockManager()\n") << "call " << call + 1;
        EXPECT_EQ(lock_state, c.lockAfter);
        EXPECT_EQ(lock, c.drives ? (c.lockAfter == STATE_LOCK_OPEN ? OPENED : CLOSED) : levelBefore);
        EXPECT_EQ(door_tick, -1);
        EXPECT_EQ(drawCommand, c.drives ? 1 : 0);
    }
}

INSTANTIATE_TEST_SUITE_P(Commands, LockManagerRepeats,
                         testing::Values(ManagerCall{ENABLE, STATE_LOCK_OPEN, STATE_LOCK_OPEN, true},
                                         ManagerCall{ENABLE, STATE_LOCK_CLOSE, STATE_LOCK_OPEN, true},
                                         ManagerCall{DISABLE, STATE_LOCK_CLOSE, STATE_LOCK_CLOSE, true},
                                         ManagerCall{DISABLE, STATE_LOCK_OPEN, STATE_LOCK_CLOSE, true},
                                         ManagerCall{-1, STATE_LOCK_OPEN, STATE_LOCK_OPEN, false},
                                         ManagerCall{STATE_LOCK_CLOSE, STATE_LOCK_OPEN, STATE_LOCK_OPEN, false},
                                         ManagerCall{0, STATE_LOCK_CLOSE, STATE_LOCK_CLOSE, false}));

TEST_F(LockController, AnEnableOnAnOpenLockDrivesTheDeviceAgain)
{
    lock = CLOSED; /* a device level out of step shows the setter is called */
    traceOf([] { lockManager(ENABLE); });
    EXPECT_EQ(lock, OPENED);
}

struct HandLockCall {
    int argument;
    int lockBefore;
    const char *lines;
    int lockAfter;
};

class HandLockTable : public LockController, public testing::WithParamInterface<HandLockCall> {};

TEST_P(HandLockTable, OpensOnMinusOneTogglesOnTheButtonAndOtherwiseOnlyWritesItsLine)
{
    const HandLockCall &c = GetParam();
    lock_state = c.lockBefore;
    EXPECT_EQ(traceOf([&] { handLock(c.argument); }), c.lines);
    EXPECT_EQ(lock_state, c.lockAfter);
}

INSTANTIATE_TEST_SUITE_P(
    Arguments, HandLockTable,
    testing::Values(HandLockCall{-1, STATE_LOCK_OPEN, opensOrToggles, STATE_LOCK_OPEN},
                    HandLockCall{-1, STATE_LOCK_CLOSE, opensOrToggles, STATE_LOCK_OPEN},
                    HandLockCall{INPUT_LOCK_BUTTON, STATE_LOCK_OPEN, opensOrToggles, STATE_LOCK_CLOSE},
                    HandLockCall{INPUT_LOCK_BUTTON, STATE_LOCK_CLOSE, opensOrToggles, STATE_LOCK_OPEN},
                    HandLockCall{INPUT_LOCK_BUTTON, 0, "KVRNLock handLock()\n", 0},
                    HandLockCall{INPUT_KEY_SENSOR, STATE_LOCK_CLOSE, "KVRNLock handLock()\n", STATE_LOCK_CLOSE},
                    HandLockCall{ENABLE, STATE_LOCK_CLOSE, "KVRNLock handLock()\n", STATE_LOCK_CLOSE}));

TEST_F(LockController, AutoLockClosesWhateverTheState)
{
    for (const int state : {STATE_LOCK_OPEN, STATE_LOCK_CLOSE}) {
        setLock(state);
        EXPECT_EQ(traceOf([] { autoLock(); }), autoCloses);
        EXPECT_EQ(lock_state, STATE_LOCK_CLOSE);
        EXPECT_EQ(lock, CLOSED);
    }
}

} // namespace
