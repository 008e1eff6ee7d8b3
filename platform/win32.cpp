/*
 * win32.cpp - the platform services on a Windows console.
 *
 * Keys come from GetAsyncKeyState, which reads the whole keyboard (also
 * while another window has the focus); the clock is GetTickCount and the
 * pause is Sleep. Standard output is flushed at each pause, so the panel
 * shows up at once also when it goes to a file or a pipe.
 *
 * The project's header comes first: its names (ON, OFF, CLOSED, ENABLE,
 * key, lock, ...) are then already declared, so no macro that windows.h
 * might define afterwards can change them.
 */
#include "../src/Defind.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

namespace {

/*
 * Standard output is fully buffered and flushed at each pause, so every pass
 * reaches the console in one write. A console would otherwise get the texts
 * in pieces as small as one byte, and may show a UTF-8 or code page 949
 * character split between two writes as two wrong ones.
 */
char outputBuffer[1 << 14];

struct BufferedOutput {
    BufferedOutput()
    {
        setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    }
};

/* Set up before main, before anything is written. */
const BufferedOutput bufferedOutput;

} // namespace

int platformKeyPressed(int keyCode)
{
    /* Non-zero: down now, or pressed since this key was last asked about. */
    return GetAsyncKeyState(keyCode) != 0 ? 1 : 0;
}

uint32_t platformTickCount()
{
    /* Milliseconds since the system started; wraps after about 49.7 days. */
    return static_cast<uint32_t>(GetTickCount());
}

void platformSleep(int milliseconds)
{
    fflush(stdout);
    Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

/*
 * The panel's Korean texts are written as code page 949 bytes, except on a
 * console whose output code page is UTF-8 (chcp 65001), which gets UTF-8 so
 * the texts read right. Output that goes to a file or a pipe is always code
 * page 949, whatever console the program was started from: the bytes of a
 * saved transcript do not depend on where it was made.
 */
int platformTextEncoding()
{
    const HANDLE output = GetStdHandle(STD_OUTPUT_HANDLE);
    DWORD mode = 0;
    const bool isConsole = output != INVALID_HANDLE_VALUE && output != nullptr && GetConsoleMode(output, &mode) != 0;
    if (isConsole && GetConsoleOutputCP() == CP_UTF8) {
        return TEXT_UTF8;
    }
    return TEXT_CP949;
}
