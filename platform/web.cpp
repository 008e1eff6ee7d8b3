/*
 * web.cpp - the platform services in a web page (WebAssembly, built with
 * Emscripten and Asyncify).
 *
 * Keys: the page calls webKeyDown / webKeyUp for the on-screen buttons, the
 * clickable parts of the drawing and the physical keyboard. Every key is up
 * or down and carries a "pressed since last asked" mark, so a click that
 * starts and ends between two polls is still reported once.
 * Clock: the browser's monotonic clock (performance.now), in milliseconds
 * truncated to 32 bits.
 * Pause: emscripten_sleep, which unwinds to the browser's event loop and
 * resumes the same main loop afterwards, so the page stays responsive.
 * At every pause the output is flushed and the levels of the device are
 * handed to the page, which redraws the picture from them.
 */
#include "../src/Defind.h"

#include <emscripten.h>
#include <math.h>

namespace {

/* Indexed by virtual-key code; only the codes of the fourteen keys are used. */
const int KEY_TABLE_SIZE = 256;
unsigned char keyDown[KEY_TABLE_SIZE];
unsigned char keyMarked[KEY_TABLE_SIZE];

bool validKey(int keyCode)
{
    return keyCode >= 0 && keyCode < KEY_TABLE_SIZE;
}

} // namespace

/*
 * Hands the device's levels to the page after a pass: the page's
 * Module.onPass(levels) receives one object, or nothing happens when the
 * page has not installed it. The body is JavaScript, which clang-format
 * would break (it splits "!==").
 */
// clang-format off
EM_JS(void, webPublishLevels,
      (int coverLevel, int doorLevel, int lockLevel, int backlightLevel, int alarm1Level, int alarm2Level,
       int alarm3Level, int keyLevel, int lockButtonLevel, int lockState, int passwordState, int digit0,
       int digit1, int digit2, int digit3, int tickNow, int alarmStamp),
      {
          if (typeof Module.onPass !== "function") {
              return;
          }
          Module.onPass({
              cover : coverLevel,
              door : doorLevel,
              lock : lockLevel,
              backlight : backlightLevel,
              h_alarm1 : alarm1Level,
              h_alarm2 : alarm2Level,
              h_alarm3 : alarm3Level,
              key : keyLevel,
              lockButton : lockButtonLevel,
              lock_state : lockState,
              password_state : passwordState,
              password : [ digit0, digit1, digit2, digit3 ],
              tick : tickNow,
              alarm_tick : alarmStamp
          });
      });
// clang-format on

extern "C" {

/* The key went down: marked once per press, however long it is held. */
EMSCRIPTEN_KEEPALIVE void webKeyDown(int keyCode)
{
    if (!validKey(keyCode)) {
        return;
    }
    if (keyDown[keyCode] == 0) {
        keyDown[keyCode] = 1;
        keyMarked[keyCode] = 1;
    }
}

/* The key went up; a mark not yet asked about stays until it is. */
EMSCRIPTEN_KEEPALIVE void webKeyUp(int keyCode)
{
    if (!validKey(keyCode)) {
        return;
    }
    keyDown[keyCode] = 0;
}

/* Every key up, marks kept: for a page that loses the keyboard focus while keys are held. */
EMSCRIPTEN_KEEPALIVE void webReleaseAllKeys()
{
    for (int code = 0; code < KEY_TABLE_SIZE; code++) {
        keyDown[code] = 0;
    }
}

} // extern "C"

int platformKeyPressed(int keyCode)
{
    if (!validKey(keyCode)) {
        return 0;
    }
    const int pressed = keyDown[keyCode] != 0 || keyMarked[keyCode] != 0;
    keyMarked[keyCode] = 0;
    return pressed;
}

uint32_t platformTickCount()
{
    /* Milliseconds since the page loaded: the whole part, reduced modulo 2^32. */
    const double ms = fmod(floor(emscripten_get_now()), 4294967296.0);
    return ms > 0.0 ? static_cast<uint32_t>(ms) : 0u;
}

void platformSleep(int milliseconds)
{
    fflush(stdout);
    webPublishLevels(cover, door, lock, backlight, h_alarm1, h_alarm2, h_alarm3, key, lockButton, lock_state,
                     password_state, password[0], password[1], password[2], password[3], tick, alarm_tick);
    emscripten_sleep(static_cast<unsigned int>(milliseconds));
}

int platformTextEncoding()
{
    return TEXT_UTF8;
}
