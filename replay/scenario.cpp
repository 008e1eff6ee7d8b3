/*
 * scenario.cpp - parses doorlock-replay scenarios. The whole file is checked
 * before anything runs, so a scenario either runs from its start or is
 * rejected with the line of its first fault.
 */
#include "scenario.h"

#include "../src/Defind.h"

#include <string.h>

namespace {

struct NamedVariable {
    const char *name;
    int *variable;
};

const NamedVariable variables[] = {
    {"tick", &tick},
    {"drawCommand", &drawCommand},
    {"password_state", &password_state},
    {"lock_state", &lock_state},
    {"door_tick", &door_tick},
    {"alarm_tick", &alarm_tick},
    {"password_tick", &password_tick},
    {"backlight_tick", &backlight_tick},
    {"num_0", &num_0},
    {"num_1", &num_1},
    {"num_2", &num_2},
    {"num_3", &num_3},
    {"num_4", &num_4},
    {"num_5", &num_5},
    {"num_6", &num_6},
    {"num_7", &num_7},
    {"num_8", &num_8},
    {"num_9", &num_9},
    {"key", &key},
    {"cover", &cover},
    {"lockButton", &lockButton},
    {"door", &door},
    {"backlight", &backlight},
    {"h_alarm1", &h_alarm1},
    {"h_alarm2", &h_alarm2},
    {"h_alarm3", &h_alarm3},
    {"lock", &lock},
    {"password[0]", &password[0]},
    {"password[1]", &password[1]},
    {"password[2]", &password[2]},
    {"password[3]", &password[3]},
};

struct NamedValue {
    const char *name;
    int value;
};

const NamedValue values[] = {
    {"INPUT_0", INPUT_0},
    {"INPUT_1", INPUT_1},
    {"INPUT_2", INPUT_2},
    {"INPUT_3", INPUT_3},
    {"INPUT_4", INPUT_4},
    {"INPUT_5", INPUT_5},
    {"INPUT_6", INPUT_6},
    {"INPUT_7", INPUT_7},
    {"INPUT_8", INPUT_8},
    {"INPUT_9", INPUT_9},
    {"INPUT_KEY_SENSOR", INPUT_KEY_SENSOR},
    {"INPUT_COVER_SENSOR_OPEN", INPUT_COVER_SENSOR_OPEN},
    {"INPUT_COVER_SENSOR_CLOSE", INPUT_COVER_SENSOR_CLOSE},
    {"INPUT_LOCK_BUTTON", INPUT_LOCK_BUTTON},
    {"INPUT_DOOR_SENSOR_OPEN", INPUT_DOOR_SENSOR_OPEN},
    {"INPUT_DOOR_SENSOR_CLOSE", INPUT_DOOR_SENSOR_CLOSE},
    {"STATE_PW_UNSET", STATE_PW_UNSET},
    {"STATE_PW_SET", STATE_PW_SET},
    {"STATE_PW_INPUT_1", STATE_PW_INPUT_1},
    {"STATE_PW_INPUT_2", STATE_PW_INPUT_2},
    {"STATE_PW_INPUT_3", STATE_PW_INPUT_3},
    {"STATE_PW_RIGHT", STATE_PW_RIGHT},
    {"STATE_PW_W_1", STATE_PW_W_1},
    {"STATE_PW_W_2", STATE_PW_W_2},
    {"STATE_PW_W_3", STATE_PW_W_3},
    {"STATE_PW_WRONG", STATE_PW_WRONG},
    {"STATE_PW_CANCEL", STATE_PW_CANCEL},
    {"STATE_PW_SET_1", STATE_PW_SET_1},
    {"STATE_PW_SET_2", STATE_PW_SET_2},
    {"STATE_PW_SET_3", STATE_PW_SET_3},
    {"STATE_LOCK_OPEN", STATE_LOCK_OPEN},
    {"STATE_LOCK_CLOSE", STATE_LOCK_CLOSE},
    {"ENABLE", ENABLE},
    {"DISABLE", DISABLE},
    {"MY_INPUT_VALUE_STATE_END", MY_INPUT_VALUE_STATE_END},
    {"ON", ON},
    {"OFF", OFF},
    {"OPENED", OPENED},
    {"CLOSED", CLOSED},
    {"CLICKED", CLICKED},
    {"UNCLICKED", UNCLICKED},
    {"SENSED", SENSED},
    {"UNSENSED", UNSENSED},
};

const char *const keyNames[SCENARIO_KEY_COUNT] = {"0", "1", "2", "3",    "4",    "5",  "6",
                                                  "7", "8", "9", "left", "down", "up", "right"};

const int keyCodes[SCENARIO_KEY_COUNT] = {KEYCODE_0,     KEYCODE_0 + 1, KEYCODE_0 + 2, KEYCODE_0 + 3, KEYCODE_0 + 4,
                                          KEYCODE_0 + 5, KEYCODE_0 + 6, KEYCODE_0 + 7, KEYCODE_0 + 8, KEYCODE_0 + 9,
                                          KEYCODE_LEFT,  KEYCODE_DOWN,  KEYCODE_UP,    KEYCODE_RIGHT};

bool isDigits(const std::string &word)
{
    if (word.empty()) {
        return false;
    }
    for (char c : word) {
        if (c < '0' || c > '9') {
            return false;
        }
    }
    return true;
}

/* A plain decimal number within [min, max]; a message on failure. */
bool parseNumber(const std::string &word, uint64_t min, uint64_t max, uint64_t &out, std::string &message)
{
    if (!isDigits(word)) {
        message = "'" + word + "' is not a number";
        return false;
    }
    uint64_t value = 0;
    for (char c : word) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > max) {
            break;
        }
    }
    if (value < min || value > max) {
        message = word + " is out of range (" + std::to_string(min) + " to " + std::to_string(max) + ")";
        return false;
    }
    out = value;
    return true;
}

bool parseValue(const std::string &word, int32_t &out)
{
    for (const NamedValue &named : values) {
        if (word == named.name) {
            out = named.value;
            return true;
        }
    }
    const bool negative = !word.empty() && word[0] == '-';
    const std::string digits = negative ? word.substr(1) : word;
    if (!isDigits(digits)) {
        return false;
    }
    const uint64_t limit = negative ? 2147483648u : 2147483647u;
    uint64_t value = 0;
    for (char c : digits) {
        value = value * 10 + static_cast<uint64_t>(c - '0');
        if (value > limit) {
            return false;
        }
    }
    out = negative ? static_cast<int32_t>(-static_cast<int64_t>(value)) : static_cast<int32_t>(value);
    return true;
}

int findKey(const std::string &word)
{
    for (int k = 0; k < SCENARIO_KEY_COUNT; k++) {
        if (word == keyNames[k]) {
            return k;
        }
    }
    return -1;
}

int findVariable(const std::string &word)
{
    for (int v = 0; v < scenarioVariableCount(); v++) {
        if (word == variables[v].name) {
            return v;
        }
    }
    return -1;
}

std::vector<std::string> splitWords(const std::string &line)
{
    std::vector<std::string> words;
    size_t i = 0;
    while (i < line.size()) {
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
            i++;
        }
        const size_t begin = i;
        while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
            i++;
        }
        if (i > begin) {
            words.push_back(line.substr(begin, i - begin));
        }
    }
    return words;
}

/* Checks one line's words and appends its step; false with a message on a fault. */
bool parseLine(const std::vector<std::string> &words, int line, Scenario &out, bool &startSeen, bool &passSeen,
               std::string &message)
{
    const std::string &word = words[0];
    const size_t args = words.size() - 1;
    ScenarioStep step = {};
    step.line = line;

    auto wantArgs = [&](size_t least, size_t most, const char *what) {
        if (args < least || args > most) {
            message = word + (args < least ? " needs " : " takes only ") + what;
            return false;
        }
        return true;
    };

    if (word == "start") {
        if (!wantArgs(1, 1, "one count")) {
            return false;
        }
        if (startSeen) {
            message = "start given twice";
            return false;
        }
        if (passSeen) {
            message = "start must come before the first pass";
            return false;
        }
        uint64_t count = 0;
        if (!parseNumber(words[1], 0, 4294967295u, count, message)) {
            return false;
        }
        out.start = static_cast<uint32_t>(count);
        startSeen = true;
        return true;
    }
    if (word == "period") {
        step.kind = STEP_PERIOD;
        if (!wantArgs(1, 1, "one time in ms") || !parseNumber(words[1], 1, 3600000, step.number, message)) {
            return false;
        }
    } else if (word == "press" || word == "release" || word == "tap") {
        step.kind = word == "press" ? STEP_PRESS : word == "release" ? STEP_RELEASE : STEP_TAP;
        if (!wantArgs(1, SIZE_MAX, "at least one key")) {
            return false;
        }
        for (size_t a = 1; a < words.size(); a++) {
            const int k = findKey(words[a]);
            if (k < 0) {
                message = "unknown key '" + words[a] + "' (keys: 0 to 9, left, down, up, right)";
                return false;
            }
            step.keys |= 1u << k;
        }
    } else if (word == "pass") {
        step.kind = STEP_PASS;
        step.number = 1;
        if (!wantArgs(0, 1, "one count") ||
            (args == 1 && !parseNumber(words[1], 1, 1000000000, step.number, message))) {
            return false;
        }
        passSeen = true;
    } else if (word == "wait") {
        step.kind = STEP_WAIT;
        if (!wantArgs(1, 1, "one time in ms") || !parseNumber(words[1], 1, 4294967295u, step.number, message)) {
            return false;
        }
        passSeen = true;
    } else if (word == "type") {
        step.kind = STEP_TYPE;
        if (!wantArgs(1, 1, "one word of digits")) {
            return false;
        }
        if (!isDigits(words[1]) || words[1].size() > static_cast<size_t>(SCENARIO_TYPE_MAX)) {
            message = "type needs 1 to 64 digits, not '" + words[1] + "'";
            return false;
        }
        memcpy(step.digits, words[1].c_str(), words[1].size() + 1);
        passSeen = true;
    } else if (word == "expect") {
        step.kind = STEP_EXPECT;
        if (!wantArgs(2, 2, "a variable and a value")) {
            return false;
        }
        step.variable = findVariable(words[1]);
        if (step.variable < 0) {
            message = "unknown variable '" + words[1] + "'";
            return false;
        }
        if (!parseValue(words[2], step.value)) {
            message = "bad value '" + words[2] + "' (a 32-bit decimal number or a constant's name)";
            return false;
        }
    } else {
        message = "unknown step '" + word + "'";
        return false;
    }
    out.steps.push_back(step);
    return true;
}

} // namespace

bool parseScenario(const std::string &text, const std::string &fileName, Scenario &out, std::string &error)
{
    out = Scenario();
    bool startSeen = false;
    bool passSeen = false;
    int line = 0;
    size_t begin = 0;
    while (begin < text.size()) {
        line++;
        size_t end = text.find('\n', begin);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string content = text.substr(begin, end - begin);
        begin = end + 1;
        if (!content.empty() && content.back() == '\r') {
            content.pop_back();
        }
        const size_t comment = content.find('#');
        if (comment != std::string::npos) {
            content.erase(comment);
        }
        const std::vector<std::string> words = splitWords(content);
        if (words.empty()) {
            continue;
        }
        std::string message;
        if (!parseLine(words, line, out, startSeen, passSeen, message)) {
            error = fileName;
            error += ":" + std::to_string(line) + ": error: ";
            error += message;
            return false;
        }
    }
    return true;
}

int scenarioKeyCode(int scenarioKey)
{
    return keyCodes[scenarioKey];
}

int scenarioVariableCount()
{
    return static_cast<int>(sizeof variables / sizeof variables[0]);
}

const char *scenarioVariableName(int index)
{
    return variables[index].name;
}

int scenarioVariableValue(int index)
{
    return *variables[index].variable;
}

uint64_t scenarioPassCount(const Scenario &scenario)
{
    uint64_t passes = 0;
    uint64_t period = 200;
    for (const ScenarioStep &step : scenario.steps) {
        if (step.kind == STEP_PERIOD) {
            period = step.number;
        } else if (step.kind == STEP_PASS) {
            passes += step.number;
        } else if (step.kind == STEP_WAIT) {
            passes += (step.number + period - 1) / period;
        } else if (step.kind == STEP_TYPE) {
            passes += strlen(step.digits);
        }
    }
    return passes;
}
