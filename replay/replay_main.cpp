/*
 * doorlock-replay: runs the door lock's own main loop against a scenario
 * file, with a scripted keyboard and a virtual clock, as fast as it can.
 *
 * Exit status: 0 when the scenario ran to its end and every expect held,
 * 1 at the first failed expect, 2 on a usage or scenario error.
 */
#include "../platform/scripted.h"
#include "../src/Defind.h"
#include "scenario.h"

#include <errno.h>
#include <string.h>

#include <string>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace {

const char usage[] = "usage: doorlock-replay [--cp949] [SCENARIO]\n"
                     "\n"
                     "Runs the door lock against SCENARIO (standard input when omitted or -)\n"
                     "and writes what the program writes. Panel texts are UTF-8; --cp949 writes\n"
                     "them as code page 949 bytes.\n"
                     "\n"
                     "Exit status: 0 scenario ran and every expect held, 1 an expect failed,\n"
                     "2 usage or scenario error.\n";

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
    setvbuf(stdout, outputBuffer, _IOFBF, sizeof outputBuffer);
    scriptLoad(&scenario, scenarioName.c_str(), encoding);
    return doorlockMain();
}
