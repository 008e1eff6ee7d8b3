/*
 * posix_terminal.cpp - the platform services on a POSIX terminal.
 *
 * Keys come from standard input. When it is a terminal, canonical mode and
 * echo are turned off so that every key arrives at once and is not shown;
 * everything else stays as it was, so Ctrl-C, Ctrl-\ and Ctrl-Z still send
 * their signals. The terminal's modes are put back exactly on every way out:
 * normal exit, the signals that end the program (the handler restores, then
 * ends the program with the same signal, so the exit status tells what
 * happened), a closed output pipe, and around a suspension (Ctrl-Z leaves
 * the shell its own modes; on resumption the keys are read raw again).
 *
 * Reading never blocks: at every key question whatever has arrived is read
 * and decoded (key_decoder.h), and each key decoded is marked pressed until
 * it is next asked about. A terminal sends no key-up; a key held down comes
 * again with the terminal's auto-repeat. Standard input that is not a
 * terminal (a pipe, a file, /dev/null, or closed) is read the same way,
 * without touching any modes; at its end there are simply no more keys.
 *
 * Everything is set up before main runs, and nothing is allocated later.
 */
#include "../src/Defind.h"
#include "key_decoder.h"

#include <errno.h>
#include <fcntl.h>
#include <limits.h>
#include <poll.h>
#include <signal.h>
#include <string.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>

namespace {

/* At most this much input is read at one key question, so endless input cannot stall a pass. */
const size_t READ_LIMIT = 4096;

/* Keys. */
int inputFd = STDIN_FILENO;
bool inputNonBlocking = false; /* inputFd is our own non-blocking description of the terminal */
bool inputOpen = true;         /* false after the end of input */
KeyDecoder decoder;
unsigned char keyMarks[KEYCODE_0 + 10];
/* Pauses since input last arrived; one or more means the input has paused. */
unsigned int pausesSinceInput = 0;

/* Terminal modes. */
bool terminalManaged = false; /* standard input is a terminal and its modes are ours to set */
struct termios originalModes;
struct termios rawModes;
volatile sig_atomic_t modesChanged = 0; /* the raw modes may be in force */

/* Output. */
bool watchOutputReader = false; /* standard output is a pipe or socket */
bool pipeSignalIgnored = false; /* SIGPIPE was ignored when the program started */

/* Signals that end the program by default; they restore the terminal first. */
const int endingSignals[] = {SIGINT,  SIGTERM,   SIGHUP,  SIGQUIT, SIGPIPE, SIGALRM, SIGUSR1, SIGUSR2, SIGXCPU,
                             SIGXFSZ, SIGVTALRM, SIGABRT, SIGSEGV, SIGBUS,  SIGFPE,  SIGILL,  SIGSYS};

/* From here to restoreAtExit the functions run in signal handlers: async-signal-safe calls only. */

void blockTerminalStopsAround(bool block, sigset_t *previous)
{
    if (block) {
        sigset_t stops;
        sigemptyset(&stops);
        sigaddset(&stops, SIGTTOU);
        sigprocmask(SIG_BLOCK, &stops, previous);
    } else {
        sigprocmask(SIG_SETMASK, previous, nullptr);
    }
}

/* Puts the terminal's modes back as they were found. */
void restoreModes()
{
    if (modesChanged == 0) {
        return;
    }
    /* From the background this would stop the program (SIGTTOU); restoring is always allowed. */
    sigset_t previous;
    blockTerminalStopsAround(true, &previous);
    tcsetattr(STDIN_FILENO, TCSANOW, &originalModes);
    blockTerminalStopsAround(false, &previous);
    modesChanged = 0;
}

/*
 * Turns canonical mode and echo off, unless the program is a background job
 * of the terminal (then it waits to be brought to the foreground; a terminal
 * that is not the controlling one has no foreground and is always ours).
 */
void applyRawModes()
{
    if (!terminalManaged) {
        return;
    }
    const pid_t foreground = tcgetpgrp(STDIN_FILENO);
    if (foreground != -1 && foreground != getpgrp()) {
        return;
    }
    modesChanged = 1; /* before the change, so that a signal arriving meanwhile restores */
    tcsetattr(STDIN_FILENO, TCSANOW, &rawModes);
}

void setDisposition(int signalNumber, void (*handler)(int))
{
    struct sigaction action;
    memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    for (const int other : endingSignals) {
        sigaddset(&action.sa_mask, other);
    }
    sigaddset(&action.sa_mask, SIGTSTP);
    sigaddset(&action.sa_mask, SIGCONT);
    /* Interrupted writes and reads go on; the pause resumes by itself. */
    action.sa_flags = SA_RESTART;
    sigaction(signalNumber, &action, nullptr);
}

/* Delivers the signal again with its default action, which ends or stops the program. */
void raiseWithDefaultAction(int signalNumber)
{
    setDisposition(signalNumber, SIG_DFL);
    raise(signalNumber);
    /* raise returns: the signal is blocked while its handler runs, and arrives at the unblocking below. */
    // cppcheck-suppress unreachableCode
    sigset_t only;
    sigemptyset(&only);
    sigaddset(&only, signalNumber);
    sigprocmask(SIG_UNBLOCK, &only, nullptr);
}

void onEndingSignal(int signalNumber)
{
    restoreModes();
    raiseWithDefaultAction(signalNumber);
}

void onStop(int signalNumber)
{
    const int savedErrno = errno;
    restoreModes();
    raiseWithDefaultAction(signalNumber);
    /* Here after SIGCONT, or at once if the stop was refused (an orphaned process group). */
    setDisposition(signalNumber, onStop);
    applyRawModes();
    errno = savedErrno;
}

void onContinue(int /*signalNumber*/)
{
    const int savedErrno = errno;
    applyRawModes();
    errno = savedErrno;
}

void restoreAtExit()
{
    restoreModes();
}

bool ignoredNow(int signalNumber)
{
    struct sigaction current;
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_IGN;
}

bool defaultNow(int signalNumber)
{
    struct sigaction current;
    return sigaction(signalNumber, nullptr, &current) == 0 && current.sa_handler == SIG_DFL &&
           (current.sa_flags & SA_SIGINFO) == 0;
}

/*
 * A description of the terminal of our own, non-blocking, so that the
 * description standard input shares with the shell keeps its flags.
 */
int openOwnTerminalDescription()
{
    char path[PATH_MAX] = {0};
    if (ttyname_r(STDIN_FILENO, path, sizeof path) != 0) {
        return -1;
    }
    const int fd = open(path, O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) {
        return -1;
    }
    struct stat opened;
    struct stat input;
    if (fstat(fd, &opened) != 0 || fstat(STDIN_FILENO, &input) != 0 || opened.st_rdev != input.st_rdev) {
        close(fd);
        return -1;
    }
    return fd;
}

int startUp() noexcept
{
    keyDecoderInit(&decoder);
    pipeSignalIgnored = ignoredNow(SIGPIPE);

    struct stat output;
    watchOutputReader = fstat(STDOUT_FILENO, &output) == 0 && (S_ISFIFO(output.st_mode) || S_ISSOCK(output.st_mode));

    if (isatty(STDIN_FILENO) == 0 || tcgetattr(STDIN_FILENO, &originalModes) != 0) {
        return 0;
    }
    terminalManaged = true;
    rawModes = originalModes;
    rawModes.c_lflag &= ~static_cast<tcflag_t>(ICANON | ECHO);
    rawModes.c_cc[VMIN] = 1;
    rawModes.c_cc[VTIME] = 0;

    const int own = openOwnTerminalDescription();
    if (own >= 0) {
        inputFd = own;
        inputNonBlocking = true;
    }

    /* No handled signal may come between the handlers and the change of modes. */
    sigset_t all;
    sigset_t previous;
    sigfillset(&all);
    sigprocmask(SIG_BLOCK, &all, &previous);
    for (const int signalNumber : endingSignals) {
        /* An ignored signal stays ignored; one with a handler already (a sanitizer's) keeps it. */
        if (defaultNow(signalNumber)) {
            setDisposition(signalNumber, onEndingSignal);
        }
    }
    if (defaultNow(SIGTSTP)) {
        setDisposition(SIGTSTP, onStop);
    }
    setDisposition(SIGCONT, onContinue);
    atexit(restoreAtExit);
    applyRawModes();
    sigprocmask(SIG_SETMASK, &previous, nullptr);
    return 0;
}

const int started = startUp();

void endOfInput()
{
    inputOpen = false;
    keyDecoderPause(&decoder);
}

void decodeInto(const unsigned char *bytes, size_t count)
{
    for (size_t i = 0; i < count; i++) {
        const int decoded = keyDecoderByte(&decoder, bytes[i]);
        if (decoded != KEY_NONE) {
            keyMarks[decoded] = 1;
        }
    }
}

/* True when input can be read without waiting (or its end or an error is there). */
bool inputReady()
{
    struct pollfd watch;
    watch.fd = inputFd;
    watch.events = POLLIN;
    watch.revents = 0;
    if (poll(&watch, 1, 0) <= 0) {
        return false;
    }
    if ((watch.revents & POLLNVAL) != 0) {
        endOfInput(); /* standard input is closed */
        return false;
    }
    return true;
}

/* Reads and decodes whatever input has arrived. */
void drainInput()
{
    static unsigned char buffer[256];
    size_t taken = 0;
    while (inputOpen && taken < READ_LIMIT) {
        if (!inputNonBlocking && !inputReady()) {
            break;
        }
        const ssize_t count = read(inputFd, buffer, sizeof buffer);
        if (count > 0) {
            decodeInto(buffer, static_cast<size_t>(count));
            taken += static_cast<size_t>(count);
            pausesSinceInput = 0;
        } else if (count < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            break;
        } else if (count == 0 || errno != EINTR) {
            endOfInput(); /* the end of input, a terminal that hung up, or input that cannot be read */
        }
    }
    /*
     * Nothing has come since before the last pause: a sequence still
     * unfinished was a lone ESC (or a broken sequence), not a split one.
     */
    if (taken == 0 && pausesSinceInput > 0) {
        keyDecoderPause(&decoder);
    }
}

/* The reader of the output pipe has gone: a write would fail with EPIPE. */
bool outputReaderGone()
{
    struct pollfd watch;
    watch.fd = STDOUT_FILENO;
    watch.events = 0;
    watch.revents = 0;
    return poll(&watch, 1, 0) > 0 && (watch.revents & (POLLERR | POLLHUP)) != 0;
}

/* A write from where stdio cannot be trusted; when it fails there is nobody left to tell. */
void writeToError(const char *text, size_t length)
{
    const ssize_t written = write(STDERR_FILENO, text, length);
    static_cast<void>(written);
}

/* Standard output cannot take the panels any more: the program ends, the terminal restored. */
[[noreturn]] void outputFailed(int error)
{
    restoreModes();
    if (error == EPIPE && !pipeSignalIgnored) {
        /* As when a write meets the closed pipe: ended by SIGPIPE, silently. */
        signal(SIGPIPE, SIG_DFL);
        raise(SIGPIPE);
    }
    const char *reason = error != 0 ? strerror(error) : "write error";
    static const char prefix[] = "doorlock: standard output: ";
    writeToError(prefix, sizeof prefix - 1);
    writeToError(reason, strlen(reason));
    writeToError("\n", 1);
    _exit(1);
}

} // namespace

int platformKeyPressed(int keyCode)
{
    drainInput();
    if (keyCode < 0 || keyCode >= static_cast<int>(sizeof keyMarks)) {
        return 0;
    }
    const int pressed = keyMarks[keyCode];
    keyMarks[keyCode] = 0;
    return pressed;
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
    const int flushed = fflush(stdout);
    const int flushError = flushed != 0 ? errno : 0;
    if (ferror(stdout) != 0) {
        outputFailed(flushError);
    }
    if (watchOutputReader && outputReaderGone()) {
        outputFailed(EPIPE);
    }

    /* A signal cuts the pause short; it goes on for the time that is left. */
    struct timespec left;
    left.tv_sec = milliseconds / 1000;
    left.tv_nsec = static_cast<long>(milliseconds % 1000) * 1000000L;
    while (nanosleep(&left, &left) != 0 && errno == EINTR) {
    }
    if (pausesSinceInput < 2) {
        pausesSinceInput++;
    }
}

int platformTextEncoding()
{
    (void)started;
    return TEXT_UTF8;
}
