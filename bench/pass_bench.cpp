/*
 * pass_bench.cpp - what a pass of the system's own main loop costs, driven by
 * the scripted backend as doorlock-replay drives it:
 * - an idle pass (password set, lock closed, door shut, cover open: every
 *   key is asked about and no panel is written);
 * - a digit pass: a held digit compared on every pass, with its trace lines
 *   and its panel written to a null sink;
 * - doorlock-replay itself on the wrap soak, as a separate process with its
 *   output thrown away, in passes per second of its processor time.
 * Each figure is per pass: a run of many passes, divided by their number.
 */
#include "../platform/scripted.h"
#include "../src/Defind.h"

#include <benchmark/benchmark.h>

#include <fcntl.h>
#include <spawn.h>
#include <string.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <sstream>
#include <string>

namespace {

struct RunEnded {
    int status;
};

[[noreturn]] void endRun(int status)
{
    throw RunEnded{status};
}

/* Standard output of the system goes to the null device while a benchmark runs. */
class NullSink {
public:
    NullSink()
    {
        fflush(stdout);
        saved_ = stdout;
        sink_ = fopen("/dev/null", "w");
        setvbuf(sink_, buffer_, _IOFBF, sizeof buffer_);
        stdout = sink_;
    }
    ~NullSink()
    {
        fflush(stdout);
        stdout = saved_;
        fclose(sink_);
    }
    NullSink(const NullSink &) = delete;
    NullSink &operator=(const NullSink &) = delete;

private:
    FILE *saved_ = nullptr;
    FILE *sink_ = nullptr;
    char buffer_[1 << 16] = {};
};

/* Runs a parsed scenario through doorlockMain; false when it did not end with status 0. */
bool runScenario(const Scenario &scenario)
{
    scriptLoad(&scenario, "bench.scn", TEXT_UTF8);
    scriptSetEndHandler(endRun);
    try {
        doorlockMain();
    } catch (const RunEnded &ended) {
        return ended.status == 0;
    }
    return false;
}

Scenario parsed(const std::string &text)
{
    Scenario scenario;
    std::string error;
    if (!parseScenario(text, "bench.scn", scenario, error)) {
        fprintf(stderr, "%s\n", error.c_str());
        abort();
    }
    return scenario;
}

/* The rest state: password 1234 set, the door shut, the lock closed by itself. */
const char restState[] = "type 1234\ntap right\nwait 3200\nexpect lock_state STATE_LOCK_CLOSE\n";

const int PASSES_PER_RUN = 1000000;

void perPass(benchmark::State &state, const std::string &text, int passes)
{
    const Scenario scenario = parsed(text);
    NullSink sink;
    while (state.KeepRunning()) {
        if (!runScenario(scenario)) {
            state.SkipWithError("the scenario failed");
            break;
        }
    }
    state.counters["passes"] = benchmark::Counter(passes, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["per_pass"] =
        benchmark::Counter(passes, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void IdlePass(benchmark::State &state)
{
    perPass(state, std::string(restState) + "pass " + std::to_string(PASSES_PER_RUN) + "\n", PASSES_PER_RUN);
}
BENCHMARK(IdlePass)->Unit(benchmark::kMillisecond);

void DigitPassWithPanel(benchmark::State &state)
{
    /* A held 7: three key tones, a wrong-password alarm, and again; a panel every pass. */
    const int passes = PASSES_PER_RUN / 10;
    perPass(state, std::string(restState) + "press 7\npass " + std::to_string(passes) + "\n", passes);
}
BENCHMARK(DigitPassWithPanel)->Unit(benchmark::kMillisecond);

std::string readFile(const std::string &path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

void ReplaySoak(benchmark::State &state)
{
    const std::string soak = DOORLOCK_SOURCE_DIR "/tests/soak/wrap_soak.scn";
    const uint64_t passes = scenarioPassCount(parsed(readFile(soak)));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    char program[] = DOORLOCK_REPLAY;
    std::string scenarioArg = soak;
    char *argv[] = {program, scenarioArg.data(), nullptr};
    while (state.KeepRunning()) {
        pid_t child = 0;
        int status = 0;
        struct rusage usage = {};
        if (posix_spawn(&child, program, &actions, nullptr, argv, environ) != 0 ||
            wait4(child, &status, 0, &usage) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("doorlock-replay failed on the soak");
            break;
        }
        /* The processor time of the run, which other work on the machine does not stretch. */
        state.SetIterationTime(static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                               static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6);
    }
    posix_spawn_file_actions_destroy(&actions);
    state.counters["passes"] =
        benchmark::Counter(static_cast<double>(passes), benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(ReplaySoak)->Unit(benchmark::kMillisecond)->UseManualTime();

} // namespace

BENCHMARK_MAIN();
