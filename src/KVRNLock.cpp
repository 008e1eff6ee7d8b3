/*
 * KVRNLock.cpp - the lock controller. Opens the lock on the mechanical key or
 * a correct password, toggles it on the inside lock button, and closes it
 * 3000 ms after the door was first reported closed while the lock was open.
 */
#include "Defind.h"

static const int AUTO_LOCK_MS = 3000;

/* The one operation that changes lock_state and drives the locking device. */
void lockManager(int command)
{
    puts("KVRNLock lockManager()");
    if (command == ENABLE) {
        lock_state = STATE_LOCK_OPEN;
        openLockDevice();
    } else if (command == DISABLE) {
        lock_state = STATE_LOCK_CLOSE;
        closeLockDevice();
    }
    door_tick = -1;
}

/* -1 opens whatever the state; INPUT_LOCK_BUTTON toggles. */
void handLock(int inputValue)
{
    puts("KVRNLock handLock()");
    if (inputValue == -1) {
        lockManager(ENABLE);
    } else if (inputValue == INPUT_LOCK_BUTTON) {
        if (lock_state == STATE_LOCK_OPEN) {
            lockManager(DISABLE);
        } else if (lock_state == STATE_LOCK_CLOSE) {
            lockManager(ENABLE);
        }
    }
}

void autoLock()
{
    puts("KVRNLock autoLock()");
    lockManager(DISABLE);
}

void KVRNLockController(int inputValue)
{
    switch (inputValue) {
    case INPUT_KEY_SENSOR:
        handLock(-1);
        break;
    case INPUT_LOCK_BUTTON:
        handLock(INPUT_LOCK_BUTTON);
        break;
    case INPUT_DOOR_SENSOR_OPEN:
        door_tick = -1;
        break;
    case INPUT_DOOR_SENSOR_CLOSE:
        /* A running timer keeps its first stamp. */
        if (!inSettingPhase(password_state) && lock_state == STATE_LOCK_OPEN && door_tick == -1) {
            door_tick = timerStart();
        }
        break;
    default:
        break;
    }

    if (password_state == STATE_PW_RIGHT) {
        password_state = STATE_PW_SET;
        handLock(-1);
    }

    if (door_tick != -1) {
        if (lock_state == STATE_LOCK_OPEN) {
            if (timerRunOut(door_tick, AUTO_LOCK_MS)) {
                autoLock();
            }
        } else {
            door_tick = -1;
        }
    }
}
