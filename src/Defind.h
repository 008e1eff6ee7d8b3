/*
 * Defind.h - the vocabulary and the shared state of the door lock.
 *
 * Every module includes this header and no other project header. It brings
 * in KVRNHardware.h (the simulated hardware and the platform services), then
 * the level constants, the shared variables and the one enumeration of
 * input codes, password states, lock states and manager commands.
 */
#ifndef DEFIND_H
#define DEFIND_H

#include "KVRNHardware.h"

/* Levels of the simulated inputs and outputs: the active or closed level is 0. */
const int CLICKED = 0;
const int UNCLICKED = 1;
const int SENSED = 0;
const int UNSENSED = 1;
const int ON = 0;
const int OFF = 1;
const int CLOSED = 0;
const int OPENED = 1;

/* Shared state, defined once in KVRNMain.cpp. */
extern int password[4];
extern int tick;
extern int drawCommand;
extern int password_state;
extern int lock_state;
extern int door_tick;
extern int alarm_tick;
extern int password_tick;
extern int backlight_tick;
extern int num_0, num_1, num_2, num_3, num_4, num_5, num_6, num_7, num_8, num_9;
extern int key, cover, lockButton, door;
extern int backlight, h_alarm1, h_alarm2, h_alarm3, lock;

/*
 * Every code is stored and passed as a plain int; the values are fixed, and
 * the digits and the password states are tested as contiguous ranges.
 */
enum MY_INPUT_VALUE_STATE {
    INPUT_0,
    INPUT_1,
    INPUT_2,
    INPUT_3,
    INPUT_4,
    INPUT_5,
    INPUT_6,
    INPUT_7,
    INPUT_8,
    INPUT_9,
    INPUT_KEY_SENSOR,
    INPUT_COVER_SENSOR_OPEN,
    INPUT_COVER_SENSOR_CLOSE,
    INPUT_LOCK_BUTTON,
    INPUT_DOOR_SENSOR_OPEN,
    INPUT_DOOR_SENSOR_CLOSE,
    STATE_PW_UNSET,
    STATE_PW_SET,
    STATE_PW_INPUT_1,
    STATE_PW_INPUT_2,
    STATE_PW_INPUT_3,
    STATE_PW_RIGHT,
    STATE_PW_W_1,
    STATE_PW_W_2,
    STATE_PW_W_3,
    STATE_PW_WRONG,
    STATE_PW_CANCEL,
    STATE_PW_SET_1,
    STATE_PW_SET_2,
    STATE_PW_SET_3,
    STATE_LOCK_OPEN,
    STATE_LOCK_CLOSE,
    ENABLE,
    DISABLE,
    MY_INPUT_VALUE_STATE_END
};

/* The setting phase: the password is not yet stored in full. */
inline bool inSettingPhase(int state)
{
    return state == STATE_PW_UNSET || state == STATE_PW_SET_1 || state == STATE_PW_SET_2 || state == STATE_PW_SET_3;
}

/* The main loop (KVRNMain.cpp). */
void init();
void update();

/* The controllers' entry operations. */
void KVRNPasswordController(int inputValue);
void KVRNAlramController(int input_passwordState);
void KVRNLockController(int inputValue);
void KVRNBacklightController(int inputValue);

/*
 * Timer stamps. A stamp holds -1 while its timer is idle, or the tick of the
 * pass that started it. These two helpers are the one place where every
 * timer is started and tested.
 *
 * timerStart: the stamp for a timer started on this pass. A pass whose tick
 * is -1 would store the idle marker and the timer would never run; it
 * stores 0 instead, as if started 1 ms later, so the limit still passes in
 * full before it runs out.
 */
inline int timerStart()
{
    return tick == -1 ? 0 : tick;
}

/*
 * timerRunOut: true when the timer runs and at least limitMs have passed
 * since its start. The difference wraps around at 2^32: it is taken on the
 * unsigned bits and read back as signed, so no signed overflow happens when
 * tick turns negative or wraps to 0.
 */
inline bool timerRunOut(int stamp, int limitMs)
{
    if (stamp == -1) {
        return false;
    }
    const int elapsed = static_cast<int>(static_cast<unsigned int>(tick) - static_cast<unsigned int>(stamp));
    return elapsed > limitMs - 1;
}

#endif
