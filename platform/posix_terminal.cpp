/*
 * posix_terminal.cpp - the platform services on a POSIX terminal.
 * (Minimal first version: clock and pause; keys follow.)
 */
#include "../src/Defind.h"

#include <errno.h>
#include <time.h>

int platformKeyPressed(int keyCode)
{
    (void)keyCode;
    return 0;
}

uint32_t platformTickCount()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    const uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u + static_cast<uint64_t>(now.tv_nsec) / 1000000u;
    return static_cast<uint32_t>(ms);
}

void platformSleep(int milliseconds)
{
    fflush(stdout);
    struct timespec left;
    left.tv_sec = milliseconds / 1000;
    left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
}

int platformTextEncoding()
{
    return TEXT_UTF8;
}
