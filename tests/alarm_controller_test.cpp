/*
 * The alarm controller: which password state starts which channel, the one
 * 500 ms stamp shared by all three channels, and the time-out that switches
 * all of them off together.
 */
#include "controller_fixture.h"

#include <climits>

void alarm1(int command);
void alarm2(int command);
void alarm3(int command);

namespace {

const char allOff[] = "KVRNAlarm alarm1(DISABLE)\nKVRNAlarm alarm2(DISABLE)\nKVRNAlarm alarm3(DISABLE)\n";

const int T = 10000;

class AlarmController : public ControllerTest {
protected:
    void SetUp() override
    {
        ControllerTest::SetUp();
        tick = T;
    }
};

/* The level of channel 1, 2 or 3. */
int channelLevel(int channel)
{
    return channel == 1 ? h_alarm1 : channel == 2 ? h_alarm2 : h_alarm3;
}

struct StartCase {
    int argument;
    int channel;
    const char *line;
    int stateAfter; /* password_state after the call, given the argument as the state before */
};

const StartCase startCases[] = {
    {STATE_PW_INPUT_1, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_INPUT_1},
    {STATE_PW_INPUT_2, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_INPUT_2},
    {STATE_PW_INPUT_3, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_INPUT_3},
    {STATE_PW_RIGHT, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_RIGHT},
    {STATE_PW_W_1, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_W_1},
    {STATE_PW_W_2, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_W_2},
    {STATE_PW_W_3, 1, "KVRNAlarm alarm1(ENABLE)\n", STATE_PW_W_3},
    {STATE_PW_WRONG, 2, "KVRNAlarm alarm2(ENABLE)\n", STATE_PW_SET},
    {STATE_PW_CANCEL, 3, "KVRNAlarm alarm3(ENABLE)\n", STATE_PW_SET},
};

class AlarmChannelTable : public AlarmController, public testing::WithParamInterface<StartCase> {};

TEST_P(AlarmChannelTable, APasswordStateStartsItsChannelAndStampsTheTick)
{
    const StartCase &c = GetParam();
    password_state = c.argument;
    EXPECT_EQ(traceOf([&] { KVRNAlramController(c.argument); }), c.line);
    for (int channel = 1; channel <= 3; channel++) {
        EXPECT_EQ(channelLevel(channel), channel == c.channel ? ON : OFF) << "channel " << channel;
    }
    EXPECT_EQ(alarm_tick, T);
    EXPECT_EQ(password_state, c.stateAfter);
    EXPECT_EQ(drawCommand, 1);
}

INSTANTIATE_TEST_SUITE_P(EveryStartingState, AlarmChannelTable, testing::ValuesIn(startCases));

/* Arguments that start nothing, whether an alarm is sounding or not. */
class AlarmIgnoredArgument : public AlarmController, public testing::WithParamInterface<int> {};

TEST_P(AlarmIgnoredArgument, ChangesNothingAndWritesNothing)
{
    const int argument = GetParam();
    password_state = STATE_PW_INPUT_2;
    EXPECT_EQ(traceOf([&] { KVRNAlramController(argument); }), "");
    EXPECT_EQ(alarm_tick, -1);
    EXPECT_EQ(h_alarm1, OFF);

    traceOf([] { KVRNAlramController(STATE_PW_W_1); });
    drawCommand = 0;
    tick = T + 100;
    EXPECT_EQ(traceOf([&] { KVRNAlramController(argument); }), "");
    EXPECT_EQ(alarm_tick, T) << "an ignored argument restarted the alarm";
    EXPECT_EQ(h_alarm1, ON);
    EXPECT_EQ(h_alarm2, OFF);
    EXPECT_EQ(h_alarm3, OFF);
    EXPECT_EQ(password_state, STATE_PW_INPUT_2);
    EXPECT_EQ(drawCommand, 0);
}

INSTANTIATE_TEST_SUITE_P(OutsideTheTable, AlarmIgnoredArgument,
                         testing::Values(INT_MIN, -2, INPUT_0, INPUT_9, INPUT_DOOR_SENSOR_CLOSE, STATE_PW_UNSET,
                                         STATE_PW_SET, STATE_PW_SET_1, STATE_PW_SET_3, STATE_LOCK_OPEN, ENABLE, DISABLE,
                                         MY_INPUT_VALUE_STATE_END, INT_MAX));

TEST_F(AlarmController, TheTimeOutTestWhileQuietWritesNothingHoweverLongItWaits)
{
    for (const int now : {T, T + 500, T + 100000, INT_MAX, INT_MIN, -1}) {
        tick = now;
        EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), "") << "tick " << now;
    }
    EXPECT_EQ(alarm_tick, -1);
    EXPECT_EQ(drawCommand, 0);
}

/* Whichever channel started the alarm, the time-out writes all three lines in order. */
class AlarmTimeOut : public AlarmController, public testing::WithParamInterface<int> {};

TEST_P(AlarmTimeOut, EndsAt500MsNot499WithAllThreeDisableLinesInOrder)
{
    const int argument = GetParam();
    password_state = STATE_PW_SET;
    traceOf([&] { KVRNAlramController(argument); });

    tick = T + 499;
    drawCommand = 0;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), "");
    EXPECT_EQ(alarm_tick, T);

    tick = T + 500;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), allOff);
    EXPECT_EQ(h_alarm1, OFF);
    EXPECT_EQ(h_alarm2, OFF);
    EXPECT_EQ(h_alarm3, OFF);
    EXPECT_EQ(alarm_tick, -1);
    EXPECT_EQ(drawCommand, 1) << "the time-out must redraw the panel";
    EXPECT_EQ(password_state, STATE_PW_SET);
}

INSTANTIATE_TEST_SUITE_P(EachChannelAlone, AlarmTimeOut,
                         testing::Values(STATE_PW_INPUT_1, STATE_PW_WRONG, STATE_PW_CANCEL));

TEST_F(AlarmController, ANewStartRestartsTheTimeForEveryChannelThatIsOn)
{
    traceOf([] { KVRNAlramController(STATE_PW_W_3); });
    tick = T + 300;
    EXPECT_EQ(traceOf([] { KVRNAlramController(STATE_PW_WRONG); }), "KVRNAlarm alarm2(ENABLE)\n");
    EXPECT_EQ(alarm_tick, T + 300);

    tick = T + 799; /* channel 1 is 799 ms old, but the shared stamp is 499 ms old */
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), "");
    EXPECT_EQ(h_alarm1, ON);
    EXPECT_EQ(h_alarm2, ON);

    tick = T + 800;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), allOff);
    EXPECT_EQ(h_alarm1, OFF);
    EXPECT_EQ(h_alarm2, OFF);
}

TEST_F(AlarmController, KeyTonesLessThan500MsApartStayOnAndEndAfterTheLast)
{
    for (int digit = 0; digit < 3; digit++) {
        tick = T + 400 * digit;
        EXPECT_EQ(traceOf([] {
                      KVRNAlramController(STATE_PW_INPUT_1);
                      KVRNAlramController(-1);
                  }),
                  "KVRNAlarm alarm1(ENABLE)\n");
        EXPECT_EQ(h_alarm1, ON);
    }
    tick = T + 800 + 499;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), "");
    tick = T + 800 + 500;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), allOff);
}

TEST_F(AlarmController, AStartInThePassWhereTheOldAlarmWouldEndKeepsItOn)
{
    traceOf([] { KVRNAlramController(STATE_PW_INPUT_1); });
    tick = T + 600;
    /* The password controller's order within one call: the start, then the closing step. */
    EXPECT_EQ(traceOf([] {
                  KVRNAlramController(STATE_PW_CANCEL);
                  KVRNAlramController(-1);
              }),
              "KVRNAlarm alarm3(ENABLE)\n");
    EXPECT_EQ(h_alarm1, ON);
    EXPECT_EQ(h_alarm3, ON);
    EXPECT_EQ(alarm_tick, T + 600);
}

struct ChannelCall {
    void (*operation)(int);
    int channel;
    int command;
    const char *line; /* "" when the command is ignored */
    int levelAfter;   /* from a channel that was ON */
};

const ChannelCall channelCalls[] = {
    {alarm1, 1, ENABLE, "KVRNAlarm alarm1(ENABLE)\n", ON},
    {alarm2, 2, ENABLE, "KVRNAlarm alarm2(ENABLE)\n", ON},
    {alarm3, 3, ENABLE, "KVRNAlarm alarm3(ENABLE)\n", ON},
    {alarm1, 1, DISABLE, "KVRNAlarm alarm1(DISABLE)\n", OFF},
    {alarm2, 2, DISABLE, "KVRNAlarm alarm2(DISABLE)\n", OFF},
    {alarm3, 3, DISABLE, "KVRNAlarm alarm3(DISABLE)\n", OFF},
    {alarm1, 1, -1, "", ON},
    {alarm2, 2, 0, "", ON},
    {alarm3, 3, STATE_PW_CANCEL, "", ON},
    {alarm1, 1, MY_INPUT_VALUE_STATE_END, "", ON},
    {alarm2, 2, STATE_LOCK_CLOSE, "", ON},
    {alarm3, 3, INT_MIN, "", ON},
};

/* Channel operations called directly: repeated commands repeat, other commands are ignored. */
class AlarmChannelOperation : public AlarmController, public testing::WithParamInterface<ChannelCall> {};

TEST_P(AlarmChannelOperation, ActsOnEnableAndDisableOnlyAndNeverLooksAtTheLevel)
{
    const ChannelCall &c = GetParam();
    const bool enable = c.command == ENABLE;
    const bool disable = c.command == DISABLE;
    /* Every channel on, stamped earlier, the entry in a state only a start of channel 2 or 3 changes. */
    h_alarm1 = ON;
    h_alarm2 = ON;
    h_alarm3 = ON;
    alarm_tick = T - 100;
    password_state = STATE_PW_W_2;
    for (int call = 0; call < 2; call++) {
        drawCommand = 0;
        EXPECT_EQ(traceOf([&] { c.operation(c.command); }), c.line) << "call " << call + 1;
        EXPECT_EQ(drawCommand, (enable || disable) ? 1 : 0);
    }
    EXPECT_EQ(channelLevel(c.channel), c.levelAfter);
    for (int other = 1; other <= 3; other++) {
        if (other != c.channel) {
            EXPECT_EQ(channelLevel(other), ON) << "channel " << other;
        }
    }
    EXPECT_EQ(alarm_tick, enable ? T : disable ? -1 : T - 100);
    EXPECT_EQ(password_state, enable && c.channel != 1 ? STATE_PW_SET : STATE_PW_W_2);
}

INSTANTIATE_TEST_SUITE_P(Commands, AlarmChannelOperation, testing::ValuesIn(channelCalls));

TEST_F(AlarmController, AStartOnAPassWhoseTickIsMinusOneStillEnds)
{
    tick = -1;
    traceOf([] { KVRNAlramController(STATE_PW_WRONG); });
    EXPECT_EQ(alarm_tick, 0);
    tick = 499; /* 500 ms after the start, 499 after the stored stamp */
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), "");
    tick = 500;
    EXPECT_EQ(traceOf([] { KVRNAlramController(-1); }), allOff);
    EXPECT_EQ(alarm_tick, -1);
}

} // namespace
