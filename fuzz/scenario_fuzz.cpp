/*
 * scenario_fuzz.cpp - libFuzzer target for the scenario parser.
 *
 * Beyond not crashing, every input must keep the parser's promises:
 * - it succeeds exactly when it leaves no error message;
 * - a message reads "FILE:LINE: error: MESSAGE" on one line, LINE naming a
 *   line of the input that holds a step word;
 * - the error is the first one: the lines before LINE parse, and the text
 *   up to the end of LINE fails with the same message;
 * - parsing is deterministic;
 * - a parsed scenario holds only steps within the format's ranges, in the
 *   order of their lines.
 */
#include "../replay/scenario.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

#include <string>

namespace {

const char fileName[] = "fuzz.scn";

[[noreturn]] void broken(const char *promise, const std::string &detail)
{
    fprintf(stderr, "scenario parser broke a promise: %s\n%s\n", promise, detail.c_str());
    abort();
}

void check(bool holds, const char *promise, const std::string &detail = std::string())
{
    if (!holds) {
        broken(promise, detail);
    }
}

bool sameSteps(const Scenario &a, const Scenario &b)
{
    if (a.start != b.start || a.steps.size() != b.steps.size()) {
        return false;
    }
    for (size_t i = 0; i < a.steps.size(); i++) {
        const ScenarioStep &x = a.steps[i];
        const ScenarioStep &y = b.steps[i];
        if (x.kind != y.kind || x.line != y.line || x.number != y.number || x.keys != y.keys ||
            strcmp(x.digits, y.digits) != 0 || x.variable != y.variable || x.value != y.value) {
            return false;
        }
    }
    return true;
}

/* Offset of the first byte of 1-based line number line, or npos past the last line. */
size_t lineBegin(const std::string &text, int line)
{
    size_t begin = 0;
    for (int l = 1; l < line; l++) {
        begin = text.find('\n', begin);
        if (begin == std::string::npos) {
            return std::string::npos;
        }
        begin++;
    }
    return begin;
}

/* True when the line holds a word outside its comment. */
bool holdsWord(const std::string &text, size_t begin)
{
    for (size_t i = begin; i < text.size() && text[i] != '\n' && text[i] != '#'; i++) {
        if (text[i] != ' ' && text[i] != '\t' && !(text[i] == '\r' && (i + 1 == text.size() || text[i + 1] == '\n'))) {
            return true;
        }
    }
    return false;
}

void checkScenario(const Scenario &scenario, int lines)
{
    int lastLine = 0;
    for (const ScenarioStep &step : scenario.steps) {
        check(step.line > lastLine && step.line <= lines, "steps keep the order of their lines");
        lastLine = step.line;
        switch (step.kind) {
        case STEP_PERIOD:
            check(step.number >= 1 && step.number <= 3600000, "period within 1 to 3600000");
            break;
        case STEP_PRESS:
        case STEP_RELEASE:
        case STEP_TAP:
            check(step.keys != 0 && step.keys < (1u << SCENARIO_KEY_COUNT), "keys named and known");
            break;
        case STEP_PASS:
            check(step.number >= 1 && step.number <= 1000000000, "pass count within 1 to 1000000000");
            break;
        case STEP_WAIT:
            check(step.number >= 1 && step.number <= 4294967295u, "wait within 1 to 4294967295");
            break;
        case STEP_TYPE: {
            const size_t length = strnlen(step.digits, sizeof step.digits);
            check(length >= 1 && length <= static_cast<size_t>(SCENARIO_TYPE_MAX), "type holds 1 to 64 digits");
            for (size_t i = 0; i < length; i++) {
                check(step.digits[i] >= '0' && step.digits[i] <= '9', "type holds digits only");
            }
            break;
        }
        case STEP_EXPECT:
            check(step.variable >= 0 && step.variable < scenarioVariableCount(), "expect names a known variable");
            break;
        default:
            broken("every step has a known kind", std::to_string(step.kind));
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    int lines = 1;
    for (char c : text) {
        lines += c == '\n' ? 1 : 0;
    }

    Scenario scenario;
    std::string error;
    const bool parsed = parseScenario(text, fileName, scenario, error);

    Scenario again;
    std::string errorAgain;
    const bool parsedAgain = parseScenario(text, fileName, again, errorAgain);
    check(parsed == parsedAgain && error == errorAgain, "parsing is deterministic", error + " / " + errorAgain);

    if (parsed) {
        check(error.empty(), "success leaves no error message", error);
        check(sameSteps(scenario, again), "parsing is deterministic");
        checkScenario(scenario, lines);
        return 0;
    }

    check(!error.empty(), "failure leaves an error message");
    check(error.find('\n') == std::string::npos, "the error message is one line", error);
    const std::string prefix = std::string(fileName) + ":";
    check(error.compare(0, prefix.size(), prefix) == 0, "the message starts with the file name", error);
    size_t at = prefix.size();
    long line = 0;
    while (at < error.size() && error[at] >= '0' && error[at] <= '9' && line <= lines) {
        line = line * 10 + (error[at] - '0');
        at++;
    }
    check(at > prefix.size() && line >= 1 && line <= lines, "the message names a line of the input", error);
    check(error.compare(at, 9, ": error: ") == 0 && error.size() > at + 9, "the message reads FILE:LINE: error: TEXT",
          error);

    const size_t begin = lineBegin(text, static_cast<int>(line));
    check(begin != std::string::npos && holdsWord(text, begin), "the line named holds a step", error);

    Scenario before;
    std::string beforeError;
    check(parseScenario(text.substr(0, begin), fileName, before, beforeError), "the lines before the error parse",
          beforeError);

    const size_t end = text.find('\n', begin);
    Scenario through;
    std::string throughError;
    check(!parseScenario(text.substr(0, end), fileName, through, throughError) && throughError == error,
          "the text through the error line fails the same way", throughError + " / " + error);
    return 0;
}
