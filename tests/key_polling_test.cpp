/*
 * Key polling: getInput turns the keyboard into exactly one input code per
 * call, the first key found pressed in the order digits 0 to 9, left, down,
 * up, right, and leaves every later key unqueried.
 */
#include "system_test_support.h"

#include <ostream>
#include <vector>

namespace {

using KeyPolling = FreshSystem;

TEST_F(KeyPolling, EachCallReportsOnlyTheFirstMarkedKeyAndLeavesTheLaterMarksForLaterCalls)
{
    /* Every key marked, none held: a key that is not queried keeps its mark, so
       each call must consume exactly one mark, in polling order. */
    keyboard("tap 0 1 2 3 4 5 6 7 8 9 left down up right");
    std::vector<int> codes;
    for (int call = 0; call < 15; call++) {
        codes.push_back(getInput());
        resetButton();
    }
    const std::vector<int> expected = {INPUT_0,
                                       INPUT_1,
                                       INPUT_2,
                                       INPUT_3,
                                       INPUT_4,
                                       INPUT_5,
                                       INPUT_6,
                                       INPUT_7,
                                       INPUT_8,
                                       INPUT_9,
                                       INPUT_KEY_SENSOR,
                                       INPUT_COVER_SENSOR_CLOSE,
                                       INPUT_LOCK_BUTTON,
                                       INPUT_DOOR_SENSOR_CLOSE,
                                       INPUT_DOOR_SENSOR_CLOSE};
    EXPECT_EQ(codes, expected);
}

TEST_F(KeyPolling, AKeyAfterTheReportedOneIsNotQueriedAndKeepsItsMark)
{
    keyboard("tap 3 right");
    EXPECT_EQ(getInput(), INPUT_3);
    EXPECT_NE(platformKeyPressed(KEYCODE_RIGHT), 0) << "the right arrow was queried after the 3";
}

struct HeldTogether {
    const char *keys;
    int code;
};

void PrintTo(const HeldTogether &held, std::ostream *out)
{
    *out << held.keys;
}

class KeysHeldTogether : public FreshSystem, public testing::WithParamInterface<HeldTogether> {};

TEST_P(KeysHeldTogether, TheFirstKeyInPollingOrderWins)
{
    keyboard(std::string("press ") + GetParam().keys);
    EXPECT_EQ(getInput(), GetParam().code);
}

INSTANTIATE_TEST_SUITE_P(Pairs, KeysHeldTogether,
                         testing::Values(HeldTogether{"5 2", INPUT_2}, HeldTogether{"9 0", INPUT_0},
                                         HeldTogether{"7 left", INPUT_7}, HeldTogether{"9 down", INPUT_9},
                                         HeldTogether{"0 up", INPUT_0}, HeldTogether{"4 right", INPUT_4},
                                         HeldTogether{"right up down left", INPUT_KEY_SENSOR},
                                         HeldTogether{"right up down", INPUT_COVER_SENSOR_CLOSE},
                                         HeldTogether{"right up", INPUT_LOCK_BUTTON}));

TEST_F(KeyPolling, ADigitReportedSetsOnlyItsOwnLevelToClicked)
{
    keyboard("press 6");
    EXPECT_EQ(getInput(), INPUT_6);
    const int *const levels[10] = {&num_0, &num_1, &num_2, &num_3, &num_4, &num_5, &num_6, &num_7, &num_8, &num_9};
    for (int digit = 0; digit < 10; digit++) {
        EXPECT_EQ(*levels[digit], digit == 6 ? CLICKED : UNCLICKED) << "num_" << digit;
    }
}

TEST_F(KeyPolling, WithTheCoverClosedDigitsAreNotQueriedAndTheArrowsStillWork)
{
    cover = CLOSED;
    keyboard("tap 5");
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_OPEN);
    EXPECT_EQ(num_5, UNCLICKED);

    /* The unqueried digit kept its mark: the first call with the cover open reports it. */
    cover = OPENED;
    EXPECT_EQ(getInput(), INPUT_5);

    cover = CLOSED;
    keyboard("press 1 left");
    EXPECT_EQ(getInput(), INPUT_KEY_SENSOR);
    EXPECT_EQ(num_1, UNCLICKED);
}

TEST_F(KeyPolling, AHeldKeyIsReportedAgainOnEveryCall)
{
    keyboard("press 4");
    for (int call = 0; call < 3; call++) {
        EXPECT_EQ(getInput(), INPUT_4);
        resetButton();
    }
    keyboard("press left");
    for (int call = 0; call < 3; call++) {
        EXPECT_EQ(getInput(), INPUT_KEY_SENSOR);
        EXPECT_EQ(key, SENSED);
        resetButton();
    }
    keyboard("press up");
    for (int call = 0; call < 3; call++) {
        EXPECT_EQ(getInput(), INPUT_LOCK_BUTTON);
        EXPECT_EQ(lockButton, CLICKED);
        resetButton();
    }
}

TEST_F(KeyPolling, TheDownArrowHeldThreeCallsClosesOpensAndClosesTheCoverAndEachCloseTurnsTheBacklightOff)
{
    keyboard("press down");
    const int expectedCodes[3] = {INPUT_COVER_SENSOR_CLOSE, INPUT_COVER_SENSOR_OPEN, INPUT_COVER_SENSOR_CLOSE};
    const int expectedCover[3] = {CLOSED, OPENED, CLOSED};
    const int expectedBacklight[3] = {OFF, ON, OFF};
    for (int call = 0; call < 3; call++) {
        backlight = ON;
        drawCommand = 0;
        EXPECT_EQ(getInput(), expectedCodes[call]) << "call " << call;
        EXPECT_EQ(cover, expectedCover[call]) << "call " << call;
        EXPECT_EQ(backlight, expectedBacklight[call]) << "call " << call;
        /* Only the backlight setter requests a redraw: opening changes no output. */
        EXPECT_EQ(drawCommand, call == 1 ? 0 : 1) << "call " << call;
    }
}

TEST_F(KeyPolling, ClosingTheCoverLeavesTheBacklightTimerAlone)
{
    backlight_tick = 1234;
    keyboard("tap down");
    EXPECT_EQ(getInput(), INPUT_COVER_SENSOR_CLOSE);
    EXPECT_EQ(backlight, OFF);
    EXPECT_EQ(backlight_tick, 1234);
}

TEST_F(KeyPolling, TheRightArrowMovesTheDoorWhileTheLockIsOpenAndRequestsTheRedraw)
{
    keyboard("press right");
    drawCommand = 0;
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_CLOSE);
    EXPECT_EQ(door, CLOSED);
    EXPECT_EQ(drawCommand, 1);

    drawCommand = 0;
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_OPEN);
    EXPECT_EQ(door, OPENED);
    EXPECT_EQ(drawCommand, 1);
}

TEST_F(KeyPolling, WhileTheLockIsClosedTheRightArrowGivesTheAskedChangeButTheDoorStaysAndNoRedrawIsRequested)
{
    lock_state = STATE_LOCK_CLOSE;
    door = CLOSED;
    drawCommand = 0;
    keyboard("press right");
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_OPEN);
    EXPECT_EQ(door, CLOSED);
    EXPECT_EQ(drawCommand, 0);

    keyboard("");
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_CLOSE);

    door = OPENED;
    keyboard("tap right");
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_CLOSE);
    EXPECT_EQ(door, OPENED);
    EXPECT_EQ(drawCommand, 0);
}

TEST_F(KeyPolling, WithNoKeyPressedTheResultIsTheDoorsOwnCodeAndNothingChanges)
{
    for (const int level : {OPENED, CLOSED}) {
        door = level;
        drawCommand = 0;
        EXPECT_EQ(getInput(), level == OPENED ? INPUT_DOOR_SENSOR_OPEN : INPUT_DOOR_SENSOR_CLOSE);
        EXPECT_EQ(door, level);
        EXPECT_EQ(cover, OPENED);
        EXPECT_EQ(key, UNSENSED);
        EXPECT_EQ(lockButton, UNCLICKED);
        EXPECT_EQ(backlight, ON);
        EXPECT_EQ(drawCommand, 0);
    }
}

TEST_F(KeyPolling, APressThatEndedBeforeTheQueryIsReportedOnce)
{
    keyboard("press 8\nrelease 8");
    EXPECT_EQ(getInput(), INPUT_8);
    EXPECT_EQ(getInput(), INPUT_DOOR_SENSOR_OPEN);
}

} // namespace
