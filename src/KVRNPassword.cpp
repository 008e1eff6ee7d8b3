/*
 * KVRNPassword.cpp - the password controller.
 *
 * The first four digits after start-up become the password. Afterwards, while
 * the lock is closed, each digit of an entry is compared with the stored digit
 * at its position; every compared digit sounds the same key tone and a
 * mismatch shows only at the fourth digit. An unfinished entry is cancelled
 * 2000 ms after its last compared digit.
 */
#include "Defind.h"

static const int ENTRY_TIMEOUT_MS = 2000;

void setPassword(int inputValue)
{
    puts("KVRNPassword setPassword()");
    switch (password_state) {
    case STATE_PW_UNSET:
        password[0] = inputValue;
        password_state = STATE_PW_SET_1;
        break;
    case STATE_PW_SET_1:
        password[1] = inputValue;
        password_state = STATE_PW_SET_2;
        break;
    case STATE_PW_SET_2:
        password[2] = inputValue;
        password_state = STATE_PW_SET_3;
        break;
    case STATE_PW_SET_3:
        password[3] = inputValue;
        password_state = STATE_PW_SET;
        turnOffBacklight();
        break;
    default:
        break;
    }
    drawCommand = 1;
}

/* Moves the entry one digit on: to next while all digits matched, else to wrong. */
static void advanceEntry(int inputValue, int position, int next, int wrong)
{
    password_state = inputValue == password[position] ? next : wrong;
}

int comparePassword(int inputValue)
{
    puts("KVRNPassword comparePassword()");
    switch (password_state) {
    case STATE_PW_SET:
        advanceEntry(inputValue, 0, STATE_PW_INPUT_1, STATE_PW_W_1);
        password_tick = timerStart();
        break;
    case STATE_PW_INPUT_1:
        advanceEntry(inputValue, 1, STATE_PW_INPUT_2, STATE_PW_W_2);
        password_tick = timerStart();
        break;
    case STATE_PW_INPUT_2:
        advanceEntry(inputValue, 2, STATE_PW_INPUT_3, STATE_PW_W_3);
        password_tick = timerStart();
        break;
    case STATE_PW_INPUT_3:
        advanceEntry(inputValue, 3, STATE_PW_RIGHT, STATE_PW_WRONG);
        password_tick = -1;
        break;
    /* Once one digit was wrong the rest are counted, not compared. */
    case STATE_PW_W_1:
        password_state = STATE_PW_W_2;
        password_tick = timerStart();
        break;
    case STATE_PW_W_2:
        password_state = STATE_PW_W_3;
        password_tick = timerStart();
        break;
    case STATE_PW_W_3:
        password_state = STATE_PW_WRONG;
        password_tick = -1;
        break;
    default:
        break;
    }
    drawCommand = 1;
    return password_state;
}

int cancelPassword()
{
    puts("KVRNPassword cancelPassword()");
    password_tick = -1;
    password_state = STATE_PW_CANCEL;
    drawCommand = 1;
    return password_state;
}

void KVRNPasswordController(int inputValue)
{
    /* Digit step. */
    if (inputValue >= INPUT_0 && inputValue <= INPUT_9) {
        switch (password_state) {
        case STATE_PW_UNSET:
        case STATE_PW_SET_1:
        case STATE_PW_SET_2:
        case STATE_PW_SET_3:
            setPassword(inputValue);
            break;
        case STATE_PW_SET:
        case STATE_PW_INPUT_1:
        case STATE_PW_INPUT_2:
        case STATE_PW_INPUT_3:
        case STATE_PW_W_1:
        case STATE_PW_W_2:
        case STATE_PW_W_3:
            if (lock_state == STATE_LOCK_OPEN) {
                /* Dropped: no comparison, no tone; a running time-out keeps running. */
                password_state = STATE_PW_SET;
            } else {
                KVRNAlramController(comparePassword(inputValue));
            }
            break;
        default:
            break;
        }
    }

    /* Time-out step, after the digit step: a compared digit has just restarted the stamp. */
    if (timerRunOut(password_tick, ENTRY_TIMEOUT_MS)) {
        KVRNAlramController(cancelPassword());
    }

    /* Closing step: lets a running alarm end. */
    KVRNAlramController(-1);
}
