/*
 * KVRNHardware.h - the simulated hardware of the door lock, and the few
 * services it takes from the machine it runs on.
 *
 * The hardware operations (KVRNHardware.cpp) poll the keyboard into input
 * codes, set the output levels and write the status panel. The platform
 * services below are implemented by exactly one backend, chosen when the
 * program is linked: the Windows console, a POSIX terminal, a scripted
 * keyboard with a virtual clock, or a web page.
 */
#ifndef KVRNHARDWARE_H
#define KVRNHARDWARE_H

#include <stdint.h>
#include <stdio.h>
#include <stdlib.h>

#include "Defind.h"

/* Simulated hardware. */
void hardwareInit();
int getInput();
void resetButton();
void hardwareDraw();
void turnOnBacklight();
void turnOffBacklight();
void turnOnAlarm1();
void turnOffAlarm1();
void turnOnAlarm2();
void turnOffAlarm2();
void turnOnAlarm3();
void turnOffAlarm3();
void closeLockDevice();
void openLockDevice();

/*
 * Platform services.
 *
 * Keys are named by their Windows virtual-key codes: the digit keys of the
 * main keyboard are '0' to '9' (0x30 to 0x39).
 */
const int KEYCODE_LEFT = 0x25;
const int KEYCODE_UP = 0x26;
const int KEYCODE_RIGHT = 0x27;
const int KEYCODE_DOWN = 0x28;
const int KEYCODE_0 = 0x30;

/* Encodings the console may want for the panel's Korean texts. */
const int TEXT_UTF8 = 0;
const int TEXT_CP949 = 1;

/* Non-zero when the key is down now or was pressed since it was last asked about. */
int platformKeyPressed(int keyCode);
/* Milliseconds from some fixed point, wrapping modulo 2^32. */
uint32_t platformTickCount();
/* Suspends the program for the given time; at each pause the output is flushed. */
void platformSleep(int milliseconds);
/* TEXT_UTF8 or TEXT_CP949: how the panel's Korean texts are to be written. */
int platformTextEncoding();

#endif
