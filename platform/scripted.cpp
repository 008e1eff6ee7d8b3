/*
 * scripted.cpp - the platform services for a scenario: a keyboard model in
 * which every key is up or down and carries a "pressed since last asked"
 * mark, and a clock that advances by the scenario's period at every pause.
 */
#include "scripted.h"

#include "../src/Defind.h"

namespace {

const Scenario *scenario = nullptr;
const char *scenarioFile = "-";
int textEncoding = TEXT_UTF8;
void (*endHandler)(int status) = nullptr;
void (*passHandler)(uint64_t elapsedMs) = nullptr;

/*
 * Indexed by virtual-key code; only the codes of the fourteen keys are used.
 * Each key's state holds KEY_DOWN while it is down and KEY_MARKED while it
 * was pressed since it was last asked about. activeKeys counts the keys whose
 * state is not 0, so that a query with no key active costs next to nothing:
 * the loop asks about every key on every pass.
 */
const unsigned char KEY_DOWN = 1;
const unsigned char KEY_MARKED = 2;
unsigned char keyState[256];
int activeKeys = 0;

uint32_t clockNow = 0;
uint32_t period = 200;
uint64_t elapsed = 0;
bool firstPass = true;
uint64_t passesLeft = 0;
size_t nextStep = 0;
size_t typedDigits = 0;

void finish(int status)
{
    if (endHandler != nullptr) {
        endHandler(status);
    }
    fflush(stdout);
    exit(status);
}

void forEachKey(uint32_t keys, void (*action)(int keyCode))
{
    for (int k = 0; k < SCENARIO_KEY_COUNT; k++) {
        if ((keys & (1u << k)) != 0) {
            action(scenarioKeyCode(k));
        }
    }
}

/* Sets a key's state, keeping activeKeys in step. */
void setKeyState(int keyCode, unsigned char state)
{
    activeKeys += (state != 0 ? 1 : 0) - (keyState[keyCode] != 0 ? 1 : 0);
    keyState[keyCode] = state;
}

void pressKey(int keyCode)
{
    if ((keyState[keyCode] & KEY_DOWN) == 0) {
        setKeyState(keyCode, KEY_DOWN | KEY_MARKED);
    }
}

void releaseKey(int keyCode)
{
    setKeyState(keyCode, keyState[keyCode] & KEY_MARKED);
}

void tapKey(int keyCode)
{
    setKeyState(keyCode, keyState[keyCode] | KEY_MARKED);
}

/*
 * Runs steps until one asks for passes; ends the run when none is left.
 * Kept out of line: it runs once per step, the clock read once per pass.
 */
#if defined(__GNUC__)
__attribute__((noinline, cold))
#endif
void runStepsToNextPass()
{
    while (scenario != nullptr && nextStep < scenario->steps.size()) {
        const ScenarioStep &step = scenario->steps[nextStep];
        switch (step.kind) {
        case STEP_PERIOD:
            period = static_cast<uint32_t>(step.number);
            break;
        case STEP_PRESS:
            forEachKey(step.keys, pressKey);
            break;
        case STEP_RELEASE:
            forEachKey(step.keys, releaseKey);
            break;
        case STEP_TAP:
            forEachKey(step.keys, tapKey);
            break;
        case STEP_PASS:
            nextStep++;
            passesLeft = step.number;
            return;
        case STEP_WAIT:
            nextStep++;
            passesLeft = (step.number + period - 1) / period;
            return;
        case STEP_TYPE:
            tapKey(KEYCODE_0 + (step.digits[typedDigits] - '0'));
            typedDigits++;
            if (step.digits[typedDigits] == 0) {
                typedDigits = 0;
                nextStep++;
            }
            passesLeft = 1;
            return;
        case STEP_EXPECT: {
            const int got = scenarioVariableValue(step.variable);
            if (got != step.value) {
                fflush(stdout);
                fprintf(stderr, "%s:%d: expect %s: wanted %d, got %d\n", scenarioFile, step.line,
                        scenarioVariableName(step.variable), static_cast<int>(step.value), got);
                finish(1);
            }
            break;
        }
        default:
            break;
        }
        nextStep++;
    }
    finish(0);
}

} // namespace

void scriptLoad(const Scenario *loaded, const char *fileName, int encoding)
{
    scenario = loaded;
    scenarioFile = fileName;
    textEncoding = encoding;
    for (int k = 0; k < 256; k++) {
        keyState[k] = 0;
    }
    activeKeys = 0;
    clockNow = loaded->start;
    period = 200;
    elapsed = 0;
    firstPass = true;
    passesLeft = 0;
    nextStep = 0;
    typedDigits = 0;
}

void scriptSetEndHandler(void (*handler)(int status))
{
    endHandler = handler;
}

void scriptSetPassHandler(void (*handler)(uint64_t elapsedMs))
{
    passHandler = handler;
}

int platformKeyPressed(int keyCode)
{
    if (activeKeys == 0) {
        return 0;
    }
    const int index = keyCode & 0xFF;
    const int pressed = keyState[index];
    if (pressed != 0) {
        setKeyState(index, keyState[index] & KEY_DOWN);
    }
    return pressed;
}

/* Read once at the start of every pass: the steps before the pass run first. */
uint32_t platformTickCount()
{
    if (passesLeft == 0) {
        runStepsToNextPass();
    }
    passesLeft--;
    if (firstPass) {
        firstPass = false;
    } else {
        clockNow += period;
        elapsed += period;
    }
    return clockNow;
}

void platformSleep(int milliseconds)
{
    (void)milliseconds; /* the virtual clock moves by the scenario's period instead */
    if (passHandler != nullptr) {
        passHandler(elapsed);
    }
}

int platformTextEncoding()
{
    return textEncoding;
}
