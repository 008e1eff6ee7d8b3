/*
 * KVRNAlram.cpp - the alarm controller: three channels (key tone,
 * wrong-password alarm, entry-cancelled alarm) sharing one 500 ms stamp.
 * Every start restarts the time for all channels that are on, and the
 * time-out switches all three off together.
 */
#include "Defind.h"

static const int ALARM_TIMEOUT_MS = 500;

void alarm1(int command)
{
    if (command == ENABLE) {
        puts("KVRNAlarm alarm1(ENABLE)");
        turnOnAlarm1();
        alarm_tick = timerStart();
    } else if (command == DISABLE) {
        puts("KVRNAlarm alarm1(DISABLE)");
        turnOffAlarm1();
        alarm_tick = -1;
    }
}

void alarm2(int command)
{
    if (command == ENABLE) {
        puts("KVRNAlarm alarm2(ENABLE)");
        turnOnAlarm2();
        alarm_tick = timerStart();
        password_state = STATE_PW_SET;
    } else if (command == DISABLE) {
        puts("KVRNAlarm alarm2(DISABLE)");
        turnOffAlarm2();
        alarm_tick = -1;
    }
}

void alarm3(int command)
{
    if (command == ENABLE) {
        puts("KVRNAlarm alarm3(ENABLE)");
        turnOnAlarm3();
        alarm_tick = timerStart();
        password_state = STATE_PW_SET;
    } else if (command == DISABLE) {
        puts("KVRNAlarm alarm3(DISABLE)");
        turnOffAlarm3();
        alarm_tick = -1;
    }
}

void KVRNAlramController(int input_passwordState)
{
    if (input_passwordState == -1) {
        if (timerRunOut(alarm_tick, ALARM_TIMEOUT_MS)) {
            alarm1(DISABLE);
            alarm2(DISABLE);
            alarm3(DISABLE);
        }
    } else if (input_passwordState >= STATE_PW_INPUT_1 && input_passwordState <= STATE_PW_W_3) {
        alarm1(ENABLE);
        alarm_tick = timerStart();
    } else if (input_passwordState == STATE_PW_WRONG) {
        alarm2(ENABLE);
        alarm_tick = timerStart();
    } else if (input_passwordState == STATE_PW_CANCEL) {
        alarm3(ENABLE);
        alarm_tick = timerStart();
    }
}
