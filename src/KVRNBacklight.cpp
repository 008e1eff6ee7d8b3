/*
 * KVRNBacklight.cpp - the backlight controller: a digit or the opening of the
 * cover lights the keypad, and it goes out 2000 ms after the last of them.
 */
#include "Defind.h"

static const int BACKLIGHT_MS = 2000;

void backlightManager(int command)
{
    puts("KVRNBacklight backlightManager()");
    if (command == ENABLE) {
        turnOnBacklight();
        backlight_tick = timerStart();
    } else if (command == DISABLE) {
        turnOffBacklight();
        backlight_tick = -1;
    }
    drawCommand = 1;
}

void KVRNBacklightController(int inputValue)
{
    if ((inputValue >= INPUT_0 && inputValue <= INPUT_9) || inputValue == INPUT_COVER_SENSOR_OPEN) {
        backlight_tick = timerStart();
        backlightManager(ENABLE);
    }
    if (timerRunOut(backlight_tick, BACKLIGHT_MS)) {
        backlightManager(DISABLE);
    }
}
