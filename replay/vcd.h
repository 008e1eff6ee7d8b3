/*
 * vcd.h - a Value Change Dump (IEEE 1364 VCD) of a run, for waveform viewers.
 *
 * One time unit is 1 ms, and time 0 is the first pass. After each pass the
 * writer compares the input and output levels, the password and lock states
 * and the four timer stamps with the values it wrote last, and writes only
 * what changed, under one time line. The first pass writes every value
 * ($dumpvars). Levels are written as stored: 0 is the active or closed level.
 *
 * Nothing is allocated per pass: the values are compared against a fixed
 * table and written through the file's own buffer.
 */
#ifndef DOORLOCK_VCD_H
#define DOORLOCK_VCD_H

#include <stdint.h>

#include <string>

/*
 * Creates (or truncates) the dump at path and writes its header. startCount
 * is the millisecond count of the first pass, noted in the header;
 * scenarioName names the run there. On failure returns false with a message
 * ("cannot create: REASON") and no dump is open.
 */
bool vcdOpen(const char *path, uint32_t startCount, const char *scenarioName, std::string &error);

/*
 * Records the values after one pass, elapsedMs after the first pass. Meant
 * as the scripted backend's pass handler. Does nothing while no dump is open
 * or after a write has failed.
 */
void vcdPass(uint64_t elapsedMs);

/*
 * Marks the time of the last pass (when nothing changed there, so that a
 * viewer shows the run to its end), flushes and closes the dump. Returns
 * false with a message when any write since vcdOpen failed, or the close
 * did ("cannot write: REASON"). Nothing happens, and true is returned, when
 * no dump is open.
 */
bool vcdClose(std::string &error);

#endif
