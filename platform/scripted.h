/*
 * scripted.h - the scripted platform backend: a keyboard and a virtual clock
 * driven by a scenario, for doorlock-replay and the tests.
 *
 * The system's own main loop runs unchanged against it: every time the loop
 * reads the clock for a new pass, the scenario's steps run up to the next
 * pass. When the steps are used up the run ends through the end handler.
 */
#ifndef DOORLOCK_SCRIPTED_H
#define DOORLOCK_SCRIPTED_H

#include "../replay/scenario.h"

/* The system's main loop (KVRNMain's main, renamed in programs that drive it). */
int doorlockMain();

/*
 * Arms the backend with a parsed scenario. fileName names it in expect
 * failures; encoding is TEXT_UTF8 or TEXT_CP949. The scenario must outlive
 * the run.
 */
void scriptLoad(const Scenario *loaded, const char *fileName, int encoding);

/*
 * Called once when the run ends: status 0 when every step ran and every
 * expect held, 1 at the first failed expect (already reported on standard
 * error). It must not return; the default flushes standard output and
 * exits with the status.
 */
void scriptSetEndHandler(void (*handler)(int status));

/*
 * Called after every pass, at its pause, with the milliseconds since the first
 * pass (which never go back, across the count's wrap). Null for none.
 */
void scriptSetPassHandler(void (*handler)(uint64_t elapsedMs));

#endif
