/*
 * The password controller: the setting phase, the digit-by-digit comparison
 * with its key tone, dropped digits while the lock is open, and the entry
 * time-out measured from the last accepted digit.
 */
#include "controller_fixture.h"

#include <array>
#include <climits>
#include <string>
#include <vector>

void setPassword(int inputValue);
int comparePassword(int inputValue);
int cancelPassword();

namespace {

const char compared[] = "KVRNPassword comparePassword()\n";
const char keyTone[] = "KVRNAlarm alarm1(ENABLE)\n";
const char wrongAlarm[] = "KVRNAlarm alarm2(ENABLE)\n";
const char cancelled[] = "KVRNPassword cancelPassword()\nKVRNAlarm alarm3(ENABLE)\n";
const char allOff[] = "KVRNAlarm alarm1(DISABLE)\nKVRNAlarm alarm2(DISABLE)\nKVRNAlarm alarm3(DISABLE)\n";

const int T = 50000;

/* The lines one call of the controller writes. */
std::string pass(int inputValue)
{
    return traceOf([&] { KVRNPasswordController(inputValue); });
}

/* ---- The setting phase ---- */

struct SettingCase {
    std::array<int, 4> digits;
    int lockState;
};

class PasswordSetting : public ControllerTest, public testing::WithParamInterface<SettingCase> {};

TEST_P(PasswordSetting, TheFirstFourDigitsBecomeThePasswordWithoutToneOrTimer)
{
    const SettingCase &c = GetParam();
    lock_state = c.lockState;
    const int statesAfter[4] = {STATE_PW_SET_1, STATE_PW_SET_2, STATE_PW_SET_3, STATE_PW_SET};
    for (int i = 0; i < 4; i++) {
        tick = 1000 + 100000 * i; /* any pause between the digits is allowed */
        EXPECT_EQ(pass(c.digits[i]), "KVRNPassword setPassword()\n") << "digit " << i + 1;
        EXPECT_EQ(password_state, statesAfter[i]);
        for (int j = 0; j < 4; j++) {
            EXPECT_EQ(password[j], j <= i ? c.digits[j] : -1) << "after digit " << i + 1 << ", password[" << j << "]";
        }
        EXPECT_EQ(backlight, i < 3 ? ON : OFF) << "after digit " << i + 1;
        EXPECT_EQ(password_tick, -1);
        EXPECT_EQ(alarm_tick, -1);
        EXPECT_EQ(h_alarm1, OFF);
        EXPECT_EQ(drawCommand, 1);
        drawCommand = 0;
    }
    EXPECT_EQ(lock_state, c.lockState);
}

INSTANTIATE_TEST_SUITE_P(Passwords, PasswordSetting,
                         testing::Values(SettingCase{{1, 2, 3, 4}, STATE_LOCK_OPEN},
                                         SettingCase{{0, 0, 0, 0}, STATE_LOCK_OPEN},
                                         SettingCase{{0, 9, 0, 9}, STATE_LOCK_CLOSE},
                                         SettingCase{{7, 7, 3, 7}, STATE_LOCK_CLOSE},
                                         SettingCase{{9, 8, 8, 0}, STATE_LOCK_OPEN}));

TEST_F(ControllerTest, AFirstSettingDigitZeroIsStoredAsZeroNotAsTheUnsetMarker)
{
    pass(INPUT_0);
    EXPECT_EQ(password[0], 0);
    EXPECT_EQ(password[1], -1);
    EXPECT_EQ(password_state, STATE_PW_SET_1);
}

TEST_F(ControllerTest, CodesOtherThanDigitsDoNothingWhileThePasswordIsBeingSet)
{
    for (const int state : {STATE_PW_UNSET, STATE_PW_SET_2}) {
        password_state = state;
        for (int code = INPUT_KEY_SENSOR; code <= INPUT_DOOR_SENSOR_CLOSE; code++) {
            EXPECT_EQ(pass(code), "") << "code " << code;
        }
        EXPECT_EQ(pass(-1), "");
        EXPECT_EQ(password_state, state);
    }
    EXPECT_EQ(password[0], -1);
    EXPECT_EQ(drawCommand, 0);
}

TEST_F(ControllerTest, SetPasswordOutsideTheSettingPhaseOnlyWritesItsLineAndRedraws)
{
    password[0] = 1;
    password[1] = 2;
    password[2] = 3;
    password[3] = 4;
    password_state = STATE_PW_SET;
    EXPECT_EQ(traceOf([] { setPassword(INPUT_9); }), "KVRNPassword setPassword()\n");
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(password[0], 1);
    EXPECT_EQ(password[3], 4);
    EXPECT_EQ(backlight, ON);
    EXPECT_EQ(drawCommand, 1);
}

/* ---- After the setting: the password 1 2 3 4, the lock closed, the alarm quiet ---- */

class PasswordEntry : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        setStoredPassword({1, 2, 3, 4});
        password_state = STATE_PW_SET;
        lock_state = STATE_LOCK_CLOSE;
        backlight = OFF;
        tick = T;
    }

    static void setStoredPassword(const std::array<int, 4> &digits)
    {
        for (int i = 0; i < 4; i++) {
            password[i] = digits[i];
        }
    }
};

struct CompareCase {
    int stateBefore;
    int digit;
    int stateAfter;
    bool stamped; /* password_tick = tick after, else -1 */
};

/* With the password 1 2 3 4. */
const CompareCase compareCases[] = {
    {STATE_PW_SET, 1, STATE_PW_INPUT_1, true},     {STATE_PW_SET, 2, STATE_PW_W_1, true},
    {STATE_PW_INPUT_1, 2, STATE_PW_INPUT_2, true}, {STATE_PW_INPUT_1, 1, STATE_PW_W_2, true},
    {STATE_PW_INPUT_2, 3, STATE_PW_INPUT_3, true}, {STATE_PW_INPUT_2, 0, STATE_PW_W_3, true},
    {STATE_PW_INPUT_3, 4, STATE_PW_RIGHT, false},  {STATE_PW_INPUT_3, 3, STATE_PW_WRONG, false},
    {STATE_PW_W_1, 2, STATE_PW_W_2, true},         {STATE_PW_W_1, 9, STATE_PW_W_2, true},
    {STATE_PW_W_2, 3, STATE_PW_W_3, true},         {STATE_PW_W_3, 4, STATE_PW_WRONG, false},
    {STATE_PW_W_3, 0, STATE_PW_WRONG, false},
};

class ComparisonTable : public PasswordEntry, public testing::WithParamInterface<CompareCase> {};

TEST_P(ComparisonTable, MovesTheEntryOnAndStampsOrClearsTheTimeOut)
{
    const CompareCase &c = GetParam();
    password_state = c.stateBefore;
    password_tick = T - 700;
    int result = 0;
    EXPECT_EQ(traceOf([&] { result = comparePassword(c.digit); }), compared);
    EXPECT_EQ(password_state, c.stateAfter);
    EXPECT_EQ(result, c.stateAfter);
    EXPECT_EQ(password_tick, c.stamped ? T : -1);
    EXPECT_EQ(drawCommand, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryRow, ComparisonTable, testing::ValuesIn(compareCases));

TEST_F(PasswordEntry, ComparePasswordInAStateOutsideItsTableChangesNothingButTheRedraw)
{
    for (const int state : {STATE_PW_RIGHT, STATE_PW_WRONG, STATE_PW_CANCEL, STATE_PW_UNSET, STATE_PW_SET_2}) {
        password_state = state;
        password_tick = T - 700;
        drawCommand = 0;
        int result = 0;
        EXPECT_EQ(traceOf([&] { result = comparePassword(INPUT_1); }), compared);
        EXPECT_EQ(result, state);
        EXPECT_EQ(password_state, state);
        EXPECT_EQ(password_tick, T - 700);
        EXPECT_EQ(drawCommand, 1);
    }
}

TEST_F(PasswordEntry, CancelPasswordClearsTheStampAndReturnsTheCancelledState)
{
    password_state = STATE_PW_W_2;
    password_tick = T - 2000;
    int result = 0;
    EXPECT_EQ(traceOf([&] { result = cancelPassword(); }), "KVRNPassword cancelPassword()\n");
    EXPECT_EQ(result, STATE_PW_CANCEL);
    EXPECT_EQ(password_state, STATE_PW_CANCEL);
    EXPECT_EQ(password_tick, -1);
    EXPECT_EQ(drawCommand, 1);
}

struct EntryCase {
    std::array<int, 4> stored;
    std::array<int, 4> entry;
    std::array<int, 4> statesAfter; /* after each call of the controller */
    bool right;
};

const EntryCase entryCases[] = {
    {{1, 2, 3, 4}, {1, 2, 3, 4}, {STATE_PW_INPUT_1, STATE_PW_INPUT_2, STATE_PW_INPUT_3, STATE_PW_RIGHT}, true},
    {{1, 2, 3, 4}, {5, 2, 3, 4}, {STATE_PW_W_1, STATE_PW_W_2, STATE_PW_W_3, STATE_PW_SET}, false},
    {{1, 2, 3, 4}, {1, 9, 3, 4}, {STATE_PW_INPUT_1, STATE_PW_W_2, STATE_PW_W_3, STATE_PW_SET}, false},
    {{1, 2, 3, 4}, {1, 2, 3, 5}, {STATE_PW_INPUT_1, STATE_PW_INPUT_2, STATE_PW_INPUT_3, STATE_PW_SET}, false},
    {{1, 2, 3, 4}, {2, 3, 4, 1}, {STATE_PW_W_1, STATE_PW_W_2, STATE_PW_W_3, STATE_PW_SET}, false},
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {STATE_PW_INPUT_1, STATE_PW_INPUT_2, STATE_PW_INPUT_3, STATE_PW_RIGHT}, true},
    {{0, 0, 0, 0}, {0, 0, 0, 1}, {STATE_PW_INPUT_1, STATE_PW_INPUT_2, STATE_PW_INPUT_3, STATE_PW_SET}, false},
};

class WholeEntry : public PasswordEntry, public testing::WithParamInterface<EntryCase> {};

TEST_P(WholeEntry, SoundsTheSameKeyToneForEveryDigitAndDecidesOnlyAtTheFourth)
{
    const EntryCase &c = GetParam();
    setStoredPassword(c.stored);
    for (int i = 0; i < 4; i++) {
        tick = T + 200 * i;
        const std::string fourth = std::string(compared) + (c.right ? keyTone : wrongAlarm);
        EXPECT_EQ(pass(c.entry[i]), i < 3 ? std::string(compared) + keyTone : fourth) << "digit " << i + 1;
        EXPECT_EQ(password_state, c.statesAfter[i]) << "digit " << i + 1;
        EXPECT_EQ(password_tick, i < 3 ? tick : -1) << "digit " << i + 1;
    }
    EXPECT_EQ(h_alarm1, ON); /* the third digit's tone is 200 ms old */
    EXPECT_EQ(h_alarm2, c.right ? OFF : ON);
    EXPECT_EQ(alarm_tick, T + 600);
}

INSTANTIATE_TEST_SUITE_P(Entries, WholeEntry, testing::ValuesIn(entryCases));

TEST_F(PasswordEntry, AfterAWrongEntryTheNextDigitIsComparedWithTheFirstStoredDigit)
{
    for (const int digit : {5, 6, 7, 8}) {
        pass(digit);
    }
    ASSERT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(pass(INPUT_1), std::string(compared) + keyTone);
    EXPECT_EQ(password_state, STATE_PW_INPUT_1);
}

TEST_F(PasswordEntry, DigitsAreIgnoredInTheThreeResultStates)
{
    for (const int state : {STATE_PW_RIGHT, STATE_PW_WRONG, STATE_PW_CANCEL}) {
        password_state = state;
        EXPECT_EQ(pass(INPUT_1), "");
        EXPECT_EQ(password_state, state);
    }
}

struct DropCase {
    int state;
    int stamp;
};

class DroppedDigit : public PasswordEntry, public testing::WithParamInterface<DropCase> {};

TEST_P(DroppedDigit, WhileTheLockIsOpenReturnsToSetSilentlyAndLeavesTheStampRunning)
{
    const DropCase &c = GetParam();
    lock_state = STATE_LOCK_OPEN;
    password_state = c.state;
    password_tick = c.stamp;
    EXPECT_EQ(pass(INPUT_1), "");
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(password_tick, c.stamp);
    EXPECT_EQ(alarm_tick, -1);
    EXPECT_EQ(h_alarm1, OFF);
    EXPECT_EQ(drawCommand, 0);
}

INSTANTIATE_TEST_SUITE_P(EveryEntryState, DroppedDigit,
                         testing::Values(DropCase{STATE_PW_SET, -1}, DropCase{STATE_PW_SET, T - 100},
                                         DropCase{STATE_PW_INPUT_1, T - 100}, DropCase{STATE_PW_INPUT_2, T - 1999},
                                         DropCase{STATE_PW_INPUT_3, T - 100}, DropCase{STATE_PW_W_1, T - 100},
                                         DropCase{STATE_PW_W_2, T - 100}, DropCase{STATE_PW_W_3, T - 1999}));

TEST_F(PasswordEntry, CodesOtherThanDigitsNeverChangeTheEntry)
{
    for (const int state : {STATE_PW_SET, STATE_PW_INPUT_2, STATE_PW_W_3}) {
        for (const int code : {-1, 10, 11, 12, 13, 14, 15, int{STATE_PW_SET}, int{ENABLE}}) {
            password_state = state;
            password_tick = T - 1000;
            EXPECT_EQ(pass(code), "") << "state " << state << ", code " << code;
            EXPECT_EQ(password_state, state);
            EXPECT_EQ(password_tick, T - 1000);
        }
    }
}

/* A digit in the pass where the time-out would fire (2000 ms after the stamp). */
struct RaceCase {
    const char *what;
    int stateBefore;
    int lockState;
    int digit;
    std::string lines;
    int stateAfter;
    bool stamped;
};

class DigitBeforeTimeOut : public PasswordEntry, public testing::WithParamInterface<RaceCase> {};

TEST_P(DigitBeforeTimeOut, TheDigitStepComesFirst)
{
    const RaceCase &c = GetParam();
    password_state = c.stateBefore;
    password_tick = T - 2000;
    lock_state = c.lockState;
    EXPECT_EQ(pass(c.digit), c.lines) << c.what;
    EXPECT_EQ(password_state, c.stateAfter) << c.what;
    EXPECT_EQ(password_tick, c.stamped ? T : -1) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DigitBeforeTimeOut,
    testing::Values(RaceCase{"a second digit restarts the time-out", STATE_PW_INPUT_1, STATE_LOCK_CLOSE, 2,
                             std::string(compared) + keyTone, STATE_PW_INPUT_2, true},
                    RaceCase{"a wrong digit restarts it too", STATE_PW_W_1, STATE_LOCK_CLOSE, 2,
                             std::string(compared) + keyTone, STATE_PW_W_2, true},
                    RaceCase{"a right fourth digit completes the entry", STATE_PW_INPUT_3, STATE_LOCK_CLOSE, 4,
                             std::string(compared) + keyTone, STATE_PW_RIGHT, false},
                    RaceCase{"a wrong fourth digit completes it", STATE_PW_W_3, STATE_LOCK_CLOSE, 4,
                             std::string(compared) + wrongAlarm, STATE_PW_SET, false},
                    RaceCase{"a dropped digit does not prevent the cancel", STATE_PW_INPUT_2, STATE_LOCK_OPEN, 3,
                             cancelled, STATE_PW_SET, false}));

/* The entry time-out wherever the count stands, across 2^31 and across the wrap to 0. */
class EntryTimeOut : public PasswordEntry, public testing::WithParamInterface<int> {};

TEST_P(EntryTimeOut, CancelsAt2000MsAfterTheLastDigitNot1999)
{
    const int base = GetParam();
    tick = base;
    pass(INPUT_1);
    ASSERT_EQ(password_tick, base);
    tick = tickAfter(base, 600);
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), allOff) << "the key tone ends first";
    tick = tickAfter(base, 1999);
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), "");
    EXPECT_EQ(password_state, STATE_PW_INPUT_1);
    tick = tickAfter(base, 2000);
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), cancelled);
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(password_tick, -1);
    EXPECT_EQ(h_alarm3, ON);
    EXPECT_EQ(alarm_tick, tick);
}

INSTANTIATE_TEST_SUITE_P(AnyCount, EntryTimeOut,
                         testing::Values(1000, INT_MAX - 999, INT_MAX, INT_MIN, -1000, -2000, -2));

TEST_F(PasswordEntry, TheTimeOutRunsFromTheLastAcceptedDigitWrongDigitsIncluded)
{
    pass(INPUT_9); /* wrong */
    tick = T + 1500;
    pass(INPUT_9);
    ASSERT_EQ(password_state, STATE_PW_W_2);
    tick = T + 2000;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_OPEN), allOff) << "no cancel 2000 ms after the first digit";
    tick = T + 3499;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_OPEN), "");
    tick = T + 3500;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_OPEN), cancelled);
}

TEST_F(PasswordEntry, AnEntryInterruptedByOpeningTheLockIsStillCancelledOnTime)
{
    pass(INPUT_1);
    pass(INPUT_2);
    lock_state = STATE_LOCK_OPEN; /* the mechanical key opened it */
    tick = T + 1000;
    EXPECT_EQ(pass(INPUT_3), allOff) << "dropped: only the key tone ends";
    EXPECT_EQ(password_state, STATE_PW_SET);
    tick = T + 1999;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = T + 2000;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), cancelled);
    EXPECT_EQ(password_state, STATE_PW_SET);
    EXPECT_EQ(h_alarm3, ON);
}

TEST_F(PasswordEntry, ADigitComparedOnAPassWhoseTickIsMinusOneStillTimesOut)
{
    tick = -1;
    pass(INPUT_1);
    EXPECT_EQ(password_tick, 0);
    tick = 600;
    pass(INPUT_DOOR_SENSOR_CLOSE);
    tick = 1999; /* 2000 ms after the digit, 1999 after the stored stamp */
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), "");
    tick = 2000;
    EXPECT_EQ(pass(INPUT_DOOR_SENSOR_CLOSE), cancelled);
}

} // namespace
