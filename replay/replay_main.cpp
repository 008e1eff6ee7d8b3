/*
 * doorlock-replay: runs the door lock's own main loop against a scenario
 * file, with a scripted keyboard and a virtual clock, as fast as it can.
 *
 * Exit status: 0 when the scenario ran to its end and every expect held,
 * 1 at the first failed expect, 2 on a usage or scenario error, 3 when the
 * run ended but its transcript or its waveform (--vcd) could not be written.
 */
#include "../platform/scripted.h"
#include "../src/Defind.h"
#include "scenario.h"
#include "vcd.h"

#include <errno.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char usage[] = "usage: doorlock-replay [--cp949] [--vcd FILE] [SCENARIO]\n"
                     "\n"
                     "Runs the door lock against SCENARIO (standard input when omitted or -)\n"
                     "and writes what the program writes. Panel texts are UTF-8; --cp949 writes\n"
                     "them as code page 949 bytes.\n"
                     "\n"
                     "  --vcd FILE  also write a waveform of the run to FILE: a Value Change\n"
                     "              Dump (1 ms per unit, time 0 at the first pass) of the input\n"
                     "              and output levels, the states and the timer stamps\n"
                     "\n"
                     "Exit status: 0 scenario ran and every expect held, 1 an expect failed,\n"
                     "2 usage or scenario error, 3 the transcript or the waveform could not be\n"
                     "written.\n";

int usageError(const std::string &message)
{
    fprintf(stderr, "doorlock-replay: error: %s\n%s", message.c_str(), usage);
    return 2;
}

bool readAll(FILE *file, std::string &text)
{
    char buffer[65536];
    size_t got = 0;
    while ((got = fread(buffer, 1, sizeof buffer, file)) > 0) {
        text.append(buffer, got);
    }
    return ferror(file) == 0;
}

Scenario scenario;
std::string scenarioName;
char outputBuffer[1 << 16];
const char *vcdPath = nullptr;

/*
 * The run's end. Output that could not be written in full (the transcript or
 * the waveform) is an error, never a success: status 3, unless an expect
 * already failed (1).
 */
[[noreturn]] void endRun(int status)
{
    if (vcdPath != nullptr) {
        std::string error;
        if (!vcdClose(error)) {
            fprintf(stderr, "%s: error: %s\n", vcdPath, error.c_str());
            if (status == 0) {
                status = 3;
            }
        }
    }
    if (fflush(stdout) != 0 || ferror(stdout) != 0) {
        fprintf(stderr, "doorlock-replay: error: cannot write the transcript to standard output\n");
        if (status == 0) {
            status = 3;
        }
    }
    exit(status);
}

} // namespace

int main(int argc, char **argv)
{
    int encoding = TEXT_UTF8;
    const char *path = nullptr;
    bool optionsEnded = false;
    for (int i = 1; i < argc; i++) {
        const std::string arg = argv[i];
        if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            fputs(usage, stdout);
            return 0;
        }
        if (!optionsEnded && arg == "--cp949") {
            encoding = TEXT_CP949;
        } else if (!optionsEnded && (arg == "--vcd" || arg.compare(0, 6, "--vcd=") == 0)) {
            if (vcdPath != nullptr) {
                return usageError("--vcd given more than once");
            }
            if (arg == "--vcd") {
                if (i + 1 >= argc) {
                    return usageError("--vcd needs a file name");
                }
                vcdPath = argv[++i];
            } else {
                vcdPath = argv[i] + 6;
            }
            if (vcdPath[0] == 0) {
                return usageError("--vcd needs a file name");
            }
            if (strcmp(vcdPath, "-") == 0) {
                return usageError("--vcd needs a file: standard output carries the transcript");
            }
        } else if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            return usageError("unknown option '" + arg + "'");
        } else if (path != nullptr) {
            return usageError("more than one scenario given");
        } else {
            path = argv[i];
        }
    }

    if (vcdPath != nullptr && path != nullptr && strcmp(vcdPath, path) == 0) {
        return usageError("--vcd would overwrite the scenario '" + std::string(path) + "'");
    }

    std::string text;
    if (path == nullptr || strcmp(path, "-") == 0) {
        scenarioName = "-";
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
        if (!readAll(stdin, text)) {
            fprintf(stderr, "-: error: cannot read standard input: %s\n", strerror(errno));
            return 2;
        }
    } else {
        scenarioName = path;
        FILE *file = fopen(path, "rb");
        if (file == nullptr) {
            fprintf(stderr, "%s: error: cannot open: %s\n", path, strerror(errno));
            return 2;
        }
        const bool read = readAll(file, text);
        const int readErrno = errno;
        fclose(file);
        if (!read) {
            fprintf(stderr, "%s: error: cannot read: %s\n", path, strerror(readErrno));
            return 2;
        }
    }

    std::string error;
    if (!parseScenario(text, scenarioName, scenario, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        return 2;
    }

#ifdef _WIN32
    /* "\n" line ends on every platform, so transcripts compare byte for byte. */
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    /* The dump is created only once the scenario is known to be good, before any pass. */
    if (vcdPath != nullptr) {
        if (!vcdOpen(vcdPath, scenario.start, scenarioName.c_str(), error)) {
            fprintf(stderr, "%s: error: %s\n", vcdPath, error.c_str());
            return 2;
        }
        scriptSetPassHandler(vcdPass);
    }

    setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    scriptLoad(&scenario, scenarioName.c_str(), encoding);
    scriptSetEndHandler(endRun);
    return doorlockMain();
}
