/*
 * vcd.cpp - writes the Value Change Dump of a run; see vcd.h.
 */
#include "vcd.h"

#include "../src/Defind.h"

#include <errno.h>
#include <inttypes.h>
#include <string.h>

namespace {

struct Signal {
    const char *name;
    int *value;
    int width; /* 1: a level; 32: a whole shared int */
};

/* One scope per group; the viewer shows them as a small tree. */
struct Group {
    const char *scope;
    const Signal *signals;
    int count;
};

const Signal inputs[] = {
    {"key", &key, 1},     {"cover", &cover, 1}, {"lockButton", &lockButton, 1}, {"door", &door, 1},
    {"num_0", &num_0, 1}, {"num_1", &num_1, 1}, {"num_2", &num_2, 1},           {"num_3", &num_3, 1},
    {"num_4", &num_4, 1}, {"num_5", &num_5, 1}, {"num_6", &num_6, 1},           {"num_7", &num_7, 1},
    {"num_8", &num_8, 1}, {"num_9", &num_9, 1},
};
const Signal outputs[] = {
    {"backlight", &backlight, 1}, {"lock", &lock, 1},         {"h_alarm1", &h_alarm1, 1},
    {"h_alarm2", &h_alarm2, 1},   {"h_alarm3", &h_alarm3, 1},
};
const Signal states[] = {
    {"password_state", &password_state, 32},
    {"lock_state", &lock_state, 32},
};
const Signal timers[] = {
    {"door_tick", &door_tick, 32},
    {"alarm_tick", &alarm_tick, 32},
    {"password_tick", &password_tick, 32},
    {"backlight_tick", &backlight_tick, 32},
};

#define COUNT(array) static_cast<int>(sizeof(array) / sizeof((array)[0]))
const Group groups[] = {
    {"inputs", inputs, COUNT(inputs)},
    {"outputs", outputs, COUNT(outputs)},
    {"states", states, COUNT(states)},
    {"timers", timers, COUNT(timers)},
};
const int GROUP_COUNT = COUNT(groups);
const int SIGNAL_COUNT = COUNT(inputs) + COUNT(outputs) + COUNT(states) + COUNT(timers);
static_assert(SIGNAL_COUNT <= 52, "one letter per signal");
#undef COUNT

/* The signals in one flat list, in header order, with the values written last. */
const Signal *allSignals[SIGNAL_COUNT];
int written[SIGNAL_COUNT];

FILE *dump = nullptr;
char dumpBuffer[1 << 16];
bool valuesWritten = false; /* the $dumpvars section is out */
uint64_t lastTime = 0;      /* of the latest time line */
uint64_t lastPass = 0;      /* elapsed ms of the latest pass */
int failedErrno = 0;        /* of the first failed write, 0 while none failed */

/*
 * Identifier codes: one letter each. Letters, unlike '#' and '$', can never
 * be taken for a time line or a keyword by a reader that splits on spaces.
 */
char identifier(int index)
{
    return static_cast<char>(index < 26 ? 'A' + index : 'a' + (index - 26));
}

void writeValue(int index, int value)
{
    const Signal &signal = *allSignals[index];
    if (signal.width == 1) {
        /* A level is 0 or 1; anything else would be a fault, shown as unknown. */
        const char bit = value == 0 ? '0' : value == 1 ? '1' : 'x';
        fprintf(dump, "%c%c\n", bit, identifier(index));
        return;
    }
    /* Binary, most significant bit first, leading zeros left out (b0 for 0). */
    char bits[33];
    int length = 0;
    const uint32_t word = static_cast<uint32_t>(value);
    for (int bit = 31; bit >= 0; bit--) {
        const bool one = ((word >> bit) & 1u) != 0;
        if (one || length > 0 || bit == 0) {
            bits[length++] = one ? '1' : '0';
        }
    }
    bits[length] = 0;
    fprintf(dump, "b%s %c\n", bits, identifier(index));
}

/* Notes the first failed write; later writes are skipped. */
void checkWrites()
{
    if (failedErrno == 0 && ferror(dump) != 0) {
        failedErrno = errno != 0 ? errno : EIO;
    }
}

/* Keeps the header's comment one comment: no "$end" and no line breaks from a name. */
void writeName(const char *name)
{
    for (const char *c = name; *c != 0; c++) {
        const unsigned char u = static_cast<unsigned char>(*c);
        fputc(u < 0x20 || u == 0x7F || u == '$' ? '?' : u, dump);
    }
}

} // namespace

bool vcdOpen(const char *path, uint32_t startCount, const char *scenarioName, std::string &error)
{
    std::string closing;
    vcdClose(closing);
    errno = 0;
    dump = fopen(path, "wb");
    if (dump == nullptr) {
        error = std::string("cannot create: ") + strerror(errno);
        return false;
    }
    setvbuf(dump, dumpBuffer, _IOFBF, sizeof dumpBuffer);
    valuesWritten = false;
    lastTime = 0;
    lastPass = 0;
    failedErrno = 0;

    fputs("$comment\n  doorlock-replay run of ", dump);
    writeName(scenarioName);
    fprintf(dump,
            "\n  start count %" PRIu32 ": time 0 is the first pass, which read this millisecond count\n"
            "  levels as stored: 0 is the active or closed level (ON, CLICKED, SENSED, CLOSED)\n"
            "$end\n",
            startCount);
    fputs("$version doorlock-replay $end\n"
          "$timescale 1 ms $end\n"
          "$scope module doorlock $end\n",
          dump);
    int index = 0;
    for (int g = 0; g < GROUP_COUNT; g++) {
        fprintf(dump, "$scope module %s $end\n", groups[g].scope);
        for (int s = 0; s < groups[g].count; s++) {
            const Signal &signal = groups[g].signals[s];
            allSignals[index] = &signal;
            fprintf(dump, "$var %s %d %c %s $end\n", signal.width == 1 ? "wire" : "integer", signal.width,
                    identifier(index), signal.name);
            index++;
        }
        fputs("$upscope $end\n", dump);
    }
    fputs("$upscope $end\n"
          "$enddefinitions $end\n",
          dump);
    checkWrites();
    return true;
}

void vcdPass(uint64_t elapsedMs)
{
    if (dump == nullptr || failedErrno != 0) {
        return;
    }
    lastPass = elapsedMs;
    if (!valuesWritten) {
        fprintf(dump, "#%" PRIu64 "\n$dumpvars\n", elapsedMs);
        for (int i = 0; i < SIGNAL_COUNT; i++) {
            written[i] = *allSignals[i]->value;
            writeValue(i, written[i]);
        }
        fputs("$end\n", dump);
        valuesWritten = true;
        lastTime = elapsedMs;
        checkWrites();
        return;
    }
    bool timeWritten = false;
    for (int i = 0; i < SIGNAL_COUNT; i++) {
        const int value = *allSignals[i]->value;
        if (value == written[i]) {
            continue;
        }
        if (!timeWritten) {
            fprintf(dump, "#%" PRIu64 "\n", elapsedMs);
            timeWritten = true;
            lastTime = elapsedMs;
        }
        written[i] = value;
        writeValue(i, value);
    }
    if (timeWritten) {
        checkWrites();
    }
}

bool vcdClose(std::string &error)
{
    if (dump == nullptr) {
        return true;
    }
    if (failedErrno == 0 && valuesWritten && lastPass > lastTime) {
        fprintf(dump, "#%" PRIu64 "\n", lastPass);
    }
    errno = 0;
    if (fflush(dump) != 0) {
        checkWrites();
    }
    checkWrites();
    errno = 0;
    if (fclose(dump) != 0 && failedErrno == 0) {
        failedErrno = errno != 0 ? errno : EIO;
    }
    dump = nullptr;
    if (failedErrno != 0) {
        error = std::string("cannot write: ") + strerror(failedErrno);
        failedErrno = 0;
        return false;
    }
    return true;
}
