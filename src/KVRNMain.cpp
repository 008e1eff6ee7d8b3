/*
 * KVRNMain.cpp - the shared state, start-up, and the main loop.
 *
 * Each pass stores the millisecond count in tick, lets update() take one
 * input code and route it to the controllers, writes the status panel if a
 * redraw was requested, and pauses 200 ms. The loop never ends; the process
 * is ended from outside.
 */
#include "Defind.h"

/* Defined without initialisers: all are 0 at load, and init() sets them. */
int password[4];
int tick;
int drawCommand;
int password_state;
int lock_state;
int door_tick;
int alarm_tick;
int password_tick;
int backlight_tick;
int num_0, num_1, num_2, num_3, num_4, num_5, num_6, num_7, num_8, num_9;
int key, cover, lockButton, door;
int backlight, h_alarm1, h_alarm2, h_alarm3, lock;

static const int PAUSE_MS = 200;

void init()
{
    puts("KVRNMain init()");
    tick = 0;
    drawCommand = 1;
    password[0] = -1;
    password[1] = -1;
    password[2] = -1;
    password[3] = -1;
    password_state = STATE_PW_UNSET;
    lock_state = STATE_LOCK_OPEN;
    door_tick = -1;
    alarm_tick = -1;
    backlight_tick = -1;
    password_tick = -1;
    hardwareInit();
}

void update()
{
    const int inputValue = getInput();

    /* The phase is chosen once, before any controller can change the state. */
    if (inSettingPhase(password_state)) {
        KVRNPasswordController(inputValue);
    } else {
        KVRNPasswordController(inputValue);
        KVRNBacklightController(inputValue);
        KVRNLockController(inputValue);
    }

    /* Door codes are also the idle input: they neither redraw nor release. */
    if (inputValue != INPUT_DOOR_SENSOR_CLOSE && inputValue != INPUT_DOOR_SENSOR_OPEN) {
        drawCommand = 1;
        resetButton();
    }
}

int main()
{
    init();
    for (;;) {
        /* The unsigned count is stored bit for bit: tick turns negative past 2^31. */
        tick = static_cast<int>(platformTickCount());
        update();
        if (drawCommand == 1) {
            hardwareDraw();
            drawCommand = 0;
        }
        platformSleep(PAUSE_MS);
    }
}
