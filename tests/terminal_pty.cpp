/*
 * The real doorlock program in a pseudo-terminal: keys typed into the
 * terminal move the panel, nothing is echoed, and every way out leaves the
 * terminal's modes as they were.
 *
 * Each test opens a pseudo-terminal and starts a small stand-in for a shell
 * as the leader of a new session with the terminal as its controlling
 * terminal. It starts doorlock in a process group of its own, in the
 * terminal's foreground, and waits for it, as a shell with job control does
 * (so Ctrl-Z really stops it). The test types into the terminal's master
 * side, reads what doorlock writes, and reads the modes on the terminal side.
 */
#include <gtest/gtest.h>

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <stdio.h>
#include <string.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

#include <string>

namespace {

const int WAIT_MS = 5000;

long long nowMs()
{
    struct timespec now;
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<long long>(now.tv_sec) * 1000 + now.tv_nsec / 1000000;
}

void napMs(int ms)
{
    struct timespec pause = {0, ms * 1000000L};
    nanosleep(&pause, nullptr);
}

/* The differences between two sets of terminal modes, empty when they are the same. */
std::string modeDifferences(const struct termios &want, const struct termios &got)
{
    std::string out;
    char line[96];
    const struct {
        const char *name;
        tcflag_t want;
        tcflag_t got;
    } flags[] = {{"c_iflag", want.c_iflag, got.c_iflag},
                 {"c_oflag", want.c_oflag, got.c_oflag},
                 {"c_cflag", want.c_cflag, got.c_cflag},
                 {"c_lflag", want.c_lflag, got.c_lflag}};
    for (const auto &flag : flags) {
        if (flag.want != flag.got) {
            snprintf(line, sizeof line, "%s: wanted %#o, got %#o\n", flag.name, static_cast<unsigned>(flag.want),
                     static_cast<unsigned>(flag.got));
            out += line;
        }
    }
    for (int i = 0; i < NCCS; i++) {
        if (want.c_cc[i] != got.c_cc[i]) {
            snprintf(line, sizeof line, "c_cc[%d]: wanted %d, got %d\n", i, want.c_cc[i], got.c_cc[i]);
            out += line;
        }
    }
    if (want.c_line != got.c_line || cfgetispeed(&want) != cfgetispeed(&got) ||
        cfgetospeed(&want) != cfgetospeed(&got)) {
        out += "line discipline or speed differ\n";
    }
    return out;
}

/* Where doorlock's standard input and output go. */
enum class Input { Terminal, KeysThenEnd, DevNull, Closed };
enum class Output { Terminal, Pipe, PipeWithSigpipeIgnored };

struct Options {
    Input input = Input::Terminal;
    Output output = Output::Terminal;
    std::string keys; /* for Input::KeysThenEnd */
};

/* Accumulates what is read from one descriptor. */
struct Reader {
    int fd = -1;
    std::string text;

    /* Reads what is there within ms; false when nothing came. */
    bool readSome(int ms)
    {
        struct pollfd watch = {fd, POLLIN, 0};
        if (poll(&watch, 1, ms) <= 0) {
            return false;
        }
        char buffer[4096];
        const ssize_t count = read(fd, buffer, sizeof buffer);
        if (count <= 0) {
            napMs(ms < 5 ? ms : 5); /* end of output: nothing more will come */
            return false;
        }
        text.append(buffer, static_cast<size_t>(count));
        return true;
    }

    /* Reads until text holds at least `times` occurrences of needle. */
    bool waitFor(const std::string &needle, int times = 1)
    {
        const long long deadline = nowMs() + WAIT_MS;
        for (;;) {
            int found = 0;
            for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
                found++;
            }
            if (found >= times) {
                return true;
            }
            const long long left = deadline - nowMs();
            if (left <= 0) {
                return false;
            }
            readSome(static_cast<int>(left));
        }
    }
};

int countOf(const std::string &text, const std::string &needle)
{
    int found = 0;
    for (size_t at = text.find(needle); at != std::string::npos; at = text.find(needle, at + 1)) {
        found++;
    }
    return found;
}

const char PANEL_END[] = "alarm3 = ";

/* doorlock running in a fresh pseudo-terminal. */
class DoorlockInTerminal {
public:
    int master = -1;
    int terminal = -1;  /* the terminal side, kept open here to read its modes */
    pid_t leader = -1;  /* the stand-in for a shell */
    pid_t program = -1; /* doorlock */
    struct termios before;
    Reader screen;     /* what appears on the terminal */
    Reader outputPipe; /* doorlock's standard output when it is a pipe */

    explicit DoorlockInTerminal(const Options &options = Options())
    {
        struct winsize size = {40, 100, 0, 0};
        if (openpty(&master, &terminal, nullptr, nullptr, &size) != 0) {
            ADD_FAILURE() << "openpty: " << strerror(errno);
            return;
        }
        fcntl(master, F_SETFD, FD_CLOEXEC);
        fcntl(terminal, F_SETFD, FD_CLOEXEC);
        tcgetattr(terminal, &before);
        screen.fd = master;

        int pidPipe[2];
        int outPipe[2] = {-1, -1};
        int inPipe[2] = {-1, -1};
        if (pipe2(pidPipe, O_CLOEXEC) != 0 || (options.output != Output::Terminal && pipe2(outPipe, O_CLOEXEC) != 0) ||
            (options.input == Input::KeysThenEnd && pipe2(inPipe, O_CLOEXEC) != 0)) {
            ADD_FAILURE() << "pipe: " << strerror(errno);
            return;
        }
        leader = fork();
        if (leader == 0) {
            /* Only doorlock's ends of the pipes stay open, or no end would ever be seen. */
            for (int fd : {master, pidPipe[0], outPipe[0], inPipe[1]}) {
                if (fd >= 0) {
                    close(fd);
                }
            }
            runLeader(options, pidPipe[1], outPipe[1], inPipe[0]);
        }
        close(pidPipe[1]);
        if (outPipe[1] >= 0) {
            close(outPipe[1]);
        }
        if (inPipe[0] >= 0) {
            close(inPipe[0]);
            const ssize_t written = write(inPipe[1], options.keys.data(), options.keys.size());
            EXPECT_EQ(written, static_cast<ssize_t>(options.keys.size()));
            close(inPipe[1]);
        }
        outputPipe.fd = outPipe[0];
        if (read(pidPipe[0], &program, sizeof program) != static_cast<ssize_t>(sizeof program)) {
            ADD_FAILURE() << "doorlock did not start";
            program = -1;
        }
        close(pidPipe[0]);
    }

    ~DoorlockInTerminal()
    {
        if (program > 0) {
            kill(program, SIGKILL);
        }
        if (leader > 0) {
            waitpid(leader, nullptr, 0);
        }
        for (int fd : {master, terminal, outputPipe.fd}) {
            if (fd >= 0) {
                close(fd);
            }
        }
    }

    DoorlockInTerminal(const DoorlockInTerminal &) = delete;
    DoorlockInTerminal &operator=(const DoorlockInTerminal &) = delete;

    void type(const std::string &bytes) const
    {
        ASSERT_EQ(write(master, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    struct termios modesNow() const
    {
        struct termios now;
        tcgetattr(terminal, &now);
        return now;
    }

    bool rawNow() const
    {
        return (modesNow().c_lflag & (ICANON | ECHO)) == 0;
    }

    /* Waits until doorlock has turned canonical mode and echo off. */
    bool waitForRawModes() const
    {
        for (const long long deadline = nowMs() + WAIT_MS; nowMs() < deadline; napMs(2)) {
            if (rawNow()) {
                return true;
            }
        }
        return false;
    }

    /* Waits until the first panel is on the terminal (or the pipe) and the modes are raw. */
    bool waitForStart(bool expectRaw = true)
    {
        Reader &out = outputPipe.fd >= 0 ? outputPipe : screen;
        return out.waitFor(PANEL_END) && (!expectRaw || waitForRawModes());
    }

    /* The state letter of doorlock in /proc (R, S, T, ...). */
    char processState() const
    {
        char path[64];
        snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(program));
        FILE *file = fopen(path, "r");
        if (file == nullptr) {
            return '?';
        }
        char line[512] = {0};
        const bool got = fgets(line, sizeof line, file) != nullptr;
        fclose(file);
        const char *afterName = got ? strrchr(line, ')') : nullptr;
        return afterName != nullptr && afterName[1] == ' ' ? afterName[2] : '?';
    }

    bool waitForState(char state) const
    {
        for (const long long deadline = nowMs() + WAIT_MS; nowMs() < deadline; napMs(2)) {
            if (processState() == state) {
                return true;
            }
        }
        return false;
    }

    /* Waits for doorlock to end: 128 + signal when a signal ended it, else its exit status; -1 on time-out. */
    int waitForEnd()
    {
        for (const long long deadline = nowMs() + WAIT_MS; nowMs() < deadline; screen.readSome(2)) {
            int status = 0;
            const pid_t done = waitpid(leader, &status, WNOHANG);
            if (done == leader) {
                leader = -1;
                program = -1;
                return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
            }
        }
        return -1;
    }

private:
    /* The stand-in for a shell: session leader, starts doorlock in the foreground, waits for it. */
    [[noreturn]] void runLeader(const Options &options, int pidOut, int outWrite, int inRead)
    {
        setsid();
        ioctl(terminal, TIOCSCTTY, 0);
        const pid_t child = fork();
        if (child == 0) {
            setpgid(0, 0);
            sigset_t stops;
            sigset_t previous;
            sigemptyset(&stops);
            sigaddset(&stops, SIGTTOU);
            sigprocmask(SIG_BLOCK, &stops, &previous);
            tcsetpgrp(terminal, getpid());
            sigprocmask(SIG_SETMASK, &previous, nullptr);

            switch (options.input) {
            case Input::Terminal:
                dup2(terminal, STDIN_FILENO);
                break;
            case Input::KeysThenEnd:
                dup2(inRead, STDIN_FILENO);
                break;
            case Input::DevNull: {
                const int null = open("/dev/null", O_RDONLY);
                dup2(null, STDIN_FILENO);
                close(null);
                break;
            }
            case Input::Closed:
                close(STDIN_FILENO);
                break;
            }
            dup2(options.output == Output::Terminal ? terminal : outWrite, STDOUT_FILENO);
            dup2(terminal, STDERR_FILENO);
            signal(SIGPIPE, options.output == Output::PipeWithSigpipeIgnored ? SIG_IGN : SIG_DFL);
            const struct rlimit noCore = {0, 0};
            setrlimit(RLIMIT_CORE, &noCore);
            execl(DOORLOCK_PROGRAM, "doorlock", static_cast<char *>(nullptr));
            _exit(127);
        }
        setpgid(child, child);
        const ssize_t written = write(pidOut, &child, sizeof child);
        static_cast<void>(written); /* on failure the test reports that doorlock did not start */
        int status = 0;
        while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
        _exit(WIFSIGNALED(status) ? 128 + WTERMSIG(status) : WEXITSTATUS(status));
    }
};

const char PASSWORD_TRACE[] = "KVRNPassword setPassword()";

TEST(Terminal, ArrowKeysInEveryFormMoveThePanel)
{
    DoorlockInTerminal run;
    ASSERT_TRUE(run.waitForStart());
    const struct {
        const char *bytes;
        const char *shows;
    } steps[] = {
        {"\x1b[B", "커버 = 닫힘"},  /* down, CSI form: the cover closes */
        {"\x1bOB", "커버 = 열림"},  /* down, SS3 form: it opens again */
        {"\x1b[1;5C", "문 = 닫힘"}, /* Ctrl-Right: the door closes */
        {"\x1b[C", "문 = 열림"},    /* right: it opens */
    };
    int panels = 1;
    for (const auto &step : steps) {
        run.type(step.bytes);
        panels++;
        ASSERT_TRUE(run.screen.waitFor(PANEL_END, panels)) << "no panel after " << step.bytes + 1;
        const std::string lastPanel = run.screen.text.substr(run.screen.text.rfind("-----\r\n"));
        EXPECT_NE(lastPanel.find(step.shows), std::string::npos) << step.bytes + 1 << ":\n" << lastPanel;
    }
}

TEST(Terminal, DigitsAreNotEchoedAndTheDigitsOfAFunctionKeyAreNoKeys)
{
    DoorlockInTerminal run;
    ASSERT_TRUE(run.waitForStart());
    const size_t start = run.screen.text.size();
    run.type("\x1b[15~"); /* F5 */
    run.type("7");
    ASSERT_TRUE(run.screen.waitFor(PANEL_END, 2));
    const std::string after = run.screen.text.substr(start);
    /* The first thing written is the controller's trace: no echoed 7 before it. */
    EXPECT_EQ(after.rfind(PASSWORD_TRACE, 0), 0u) << after;
    EXPECT_EQ(countOf(after, PASSWORD_TRACE), 1) << after;
    EXPECT_NE(after.find("비밀번호7-1-1-1"), std::string::npos) << after;
}

TEST(Terminal, ASequenceSplitByAMomentStillCountsAndALoneEscIsDropped)
{
    DoorlockInTerminal run;
    ASSERT_TRUE(run.waitForStart());
    run.type("\x1b[");
    napMs(20);
    run.type("B");
    ASSERT_TRUE(run.screen.waitFor("커버 = 닫힘"));
    run.type("\x1bOB"); /* open the cover again, for the digit below */
    ASSERT_TRUE(run.screen.waitFor("커버 = 열림", 2));

    /* Esc alone, then a digit well after the next pass: the digit counts (not Alt plus it). */
    run.type("\x1b");
    napMs(600);
    run.type("8");
    ASSERT_TRUE(run.screen.waitFor(PASSWORD_TRACE)) << run.screen.text;
    EXPECT_TRUE(run.screen.waitFor("비밀번호8-1-1-1")) << run.screen.text;
}

TEST(Terminal, EveryEndingSignalRestoresTheModesAndEndsTheProgramWithThatSignal)
{
    const struct {
        const char *way;
        int signalNumber;
        bool typed; /* sent as the terminal's character for it, else with kill */
    } ways[] = {
        {"Ctrl-C", SIGINT, true},  {"Ctrl-\\", SIGQUIT, true},  {"SIGTERM", SIGTERM, false},
        {"SIGHUP", SIGHUP, false}, {"SIGQUIT", SIGQUIT, false}, {"SIGINT", SIGINT, false},
    };
    for (const auto &way : ways) {
        SCOPED_TRACE(way.way);
        DoorlockInTerminal run;
        ASSERT_TRUE(run.waitForStart());
        /* Standard input shares its open file description with the shell: its flags stay. */
        EXPECT_EQ(fcntl(run.terminal, F_GETFL) & O_NONBLOCK, 0);
        if (way.typed) {
            const cc_t character = run.before.c_cc[way.signalNumber == SIGINT ? VINTR : VQUIT];
            run.type(std::string(1, static_cast<char>(character)));
        } else {
            kill(run.program, way.signalNumber);
        }
        EXPECT_EQ(run.waitForEnd(), 128 + way.signalNumber);
        EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
        EXPECT_EQ(fcntl(run.terminal, F_GETFL) & O_NONBLOCK, 0);
    }
}

TEST(Terminal, AClosedOutputPipeEndsTheProgramWithSigpipeAndRestoresTheModes)
{
    Options options;
    options.output = Output::Pipe;
    DoorlockInTerminal run(options);
    ASSERT_TRUE(run.waitForStart());
    close(run.outputPipe.fd); /* as `doorlock | head -n 3` when head is done */
    run.outputPipe.fd = -1;
    EXPECT_EQ(run.waitForEnd(), 128 + SIGPIPE);
    EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
}

TEST(Terminal, AClosedOutputPipeWithSigpipeIgnoredEndsTheProgramWithAnErrorAndRestoresTheModes)
{
    Options options;
    options.output = Output::PipeWithSigpipeIgnored;
    DoorlockInTerminal run(options);
    ASSERT_TRUE(run.waitForStart());
    close(run.outputPipe.fd);
    run.outputPipe.fd = -1;
    EXPECT_EQ(run.waitForEnd(), 1);
    EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
    EXPECT_NE(run.screen.text.find("doorlock: standard output: Broken pipe"), std::string::npos) << run.screen.text;
}

TEST(Terminal, SuspendRestoresTheModesAndResumeReadsKeysRawAgain)
{
    DoorlockInTerminal run;
    ASSERT_TRUE(run.waitForStart());
    run.type(std::string(1, static_cast<char>(run.before.c_cc[VSUSP])));
    ASSERT_TRUE(run.waitForState('T')) << "not stopped by Ctrl-Z";
    EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");

    kill(run.program, SIGCONT);
    ASSERT_TRUE(run.waitForRawModes()) << "raw modes not applied again after SIGCONT";
    run.type("\x1b[B");
    ASSERT_TRUE(run.screen.waitFor("커버 = 닫힘")) << "no key read after resumption";

    run.type(std::string(1, static_cast<char>(run.before.c_cc[VINTR])));
    EXPECT_EQ(run.waitForEnd(), 128 + SIGINT);
    EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
}

TEST(Terminal, KeysFromAPipeAreDecodedAndTheEndOfInputEndsNothing)
{
    Options options;
    options.input = Input::KeysThenEnd;
    options.output = Output::Pipe;
    options.keys = "\x1b[B";
    DoorlockInTerminal run(options);
    EXPECT_TRUE(run.outputPipe.waitFor("커버 = 닫힘")) << run.outputPipe.text;
    /* Input has ended; the program runs on, and the terminal's modes were never touched. */
    const char state = run.processState();
    EXPECT_TRUE(state == 'S' || state == 'R') << state;
    EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
    kill(run.program, SIGTERM);
    EXPECT_EQ(run.waitForEnd(), 128 + SIGTERM);
}

TEST(Terminal, WithNoInputTheProgramRunsOnWithoutTouchingTheModes)
{
    for (const Input input : {Input::DevNull, Input::Closed}) {
        SCOPED_TRACE(input == Input::DevNull ? "/dev/null" : "closed");
        Options options;
        options.input = input;
        DoorlockInTerminal run(options);
        ASSERT_TRUE(run.waitForStart(false));
        napMs(300); /* past the first pause and a few key questions */
        EXPECT_NE(run.processState(), '?') << "the program ended";
        EXPECT_EQ(modeDifferences(run.before, run.modesNow()), "");
        kill(run.program, SIGTERM);
        EXPECT_EQ(run.waitForEnd(), 128 + SIGTERM);
    }
}

} // namespace
