/*
 * The status panel: seven lines whose texts follow the levels, the password
 * and lock states and the stored digits. Each two-way choice tests one value,
 * so values outside the pair take the second text.
 */
#include "system_test_support.h"

#include <ostream>
#include <string>
#include <vector>

namespace {

/* The panel right after start-up, line by line, without the line ends. */
const char *const startPanel[7] = {
    "-----------------------------------------------------",
    "키센서 = 평소\t\t커버 = 열림",
    "잠금버튼 = 평소 \t문 = 열림",
    "STATE_PW_UNSET\tSTATE_LOCK_OPEN\t 비밀번호-1-1-1-1",
    " output",
    "백라이트 = 켜짐\t잠금장치 = 열림 ",
    "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 ",
};

class StatusPanel : public FreshSystem {
protected:
    /* The panel's lines; the text must end with a line end. */
    static std::vector<std::string> drawnLines()
    {
        const std::string text = traceOf([] { hardwareDraw(); });
        std::vector<std::string> lines;
        size_t begin = 0;
        for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', begin)) {
            lines.push_back(text.substr(begin, end - begin));
            begin = end + 1;
        }
        EXPECT_EQ(begin, text.size()) << "text after the last line end";
        return lines;
    }

    /* The start panel with one line replaced. */
    static std::vector<std::string> startPanelWith(int line, const std::string &text)
    {
        std::vector<std::string> lines(startPanel, startPanel + 7);
        lines[static_cast<size_t>(line)] = text;
        return lines;
    }
};

TEST_F(StatusPanel, RightAfterStartUpItIsTheSevenLineBlockOfTheStartValues)
{
    EXPECT_EQ(drawnLines(), std::vector<std::string>(startPanel, startPanel + 7));
}

TEST_F(StatusPanel, DrawingChangesNoVariable)
{
    drawCommand = 1;
    drawnLines();
    EXPECT_EQ(drawCommand, 1);
    EXPECT_EQ(password_state, STATE_PW_UNSET);
    EXPECT_EQ(backlight, ON);
}

struct LevelText {
    const char *name;
    int *level;
    int value;
    int line;
    const char *text;
};

void PrintTo(const LevelText &level, std::ostream *out)
{
    *out << level.name << " = " << level.value;
}

class EachLevelText : public StatusPanel, public testing::WithParamInterface<LevelText> {};

TEST_P(EachLevelText, ShowsTheTextOfThatValue)
{
    *GetParam().level = GetParam().value;
    EXPECT_EQ(drawnLines(), startPanelWith(GetParam().line, GetParam().text));
}

INSTANTIATE_TEST_SUITE_P(
    Levels, EachLevelText,
    testing::Values(LevelText{"key_sensed", &key, SENSED, 1, "키센서 = 감지됨\t\t커버 = 열림"},
                    LevelText{"key_unsensed", &key, UNSENSED, 1, "키센서 = 평소\t\t커버 = 열림"},
                    LevelText{"key_other", &key, 2, 1, "키센서 = 평소\t\t커버 = 열림"},
                    LevelText{"key_negative", &key, -1, 1, "키센서 = 평소\t\t커버 = 열림"},
                    LevelText{"cover_closed", &cover, CLOSED, 1, "키센서 = 평소\t\t커버 = 닫힘"},
                    LevelText{"cover_other", &cover, 2, 1, "키센서 = 평소\t\t커버 = 닫힘"},
                    LevelText{"cover_negative", &cover, -1, 1, "키센서 = 평소\t\t커버 = 닫힘"},
                    LevelText{"lockButton_clicked", &lockButton, CLICKED, 2, "잠금버튼 = 눌림 \t문 = 열림"},
                    LevelText{"lockButton_other", &lockButton, 3, 2, "잠금버튼 = 평소 \t문 = 열림"},
                    LevelText{"door_closed", &door, CLOSED, 2, "잠금버튼 = 평소 \t문 = 닫힘"},
                    LevelText{"door_other", &door, 5, 2, "잠금버튼 = 평소 \t문 = 닫힘"},
                    LevelText{"backlight_off", &backlight, OFF, 5, "백라이트 = 꺼짐 \t잠금장치 = 열림 "},
                    LevelText{"backlight_other", &backlight, 7, 5, "백라이트 = 꺼짐 \t잠금장치 = 열림 "},
                    LevelText{"lock_closed", &lock, CLOSED, 5, "백라이트 = 켜짐\t잠금장치 = 닫힘 "},
                    LevelText{"lock_other", &lock, 4, 5, "백라이트 = 켜짐\t잠금장치 = 닫힘 "},
                    LevelText{"alarm1_on", &h_alarm1, ON, 6, "alarm1 = 켜짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 "},
                    LevelText{"alarm1_other", &h_alarm1, 9, 6, "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 "},
                    LevelText{"alarm2_on", &h_alarm2, ON, 6, "alarm1 = 꺼짐 \talarm2 = 켜짐 \talarm3 = 꺼짐 "},
                    LevelText{"alarm2_other", &h_alarm2, -1, 6, "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 "},
                    LevelText{"alarm3_on", &h_alarm3, ON, 6, "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 켜짐 "},
                    LevelText{"alarm3_other", &h_alarm3, 2, 6, "alarm1 = 꺼짐 \talarm2 = 꺼짐 \talarm3 = 꺼짐 "}),
    [](const testing::TestParamInfo<LevelText> &param) { return std::string(param.param.name); });

TEST_F(StatusPanel, EveryPasswordStateShowsItsOwnName)
{
    const char *const names[] = {"STATE_PW_UNSET",   "STATE_PW_SET",   "STATE_PW_INPUT_1", "STATE_PW_INPUT_2",
                                 "STATE_PW_INPUT_3", "STATE_PW_RIGHT", "STATE_PW_W_1",     "STATE_PW_W_2",
                                 "STATE_PW_W_3",     "STATE_PW_WRONG", "STATE_PW_CANCEL",  "STATE_PW_SET_1",
                                 "STATE_PW_SET_2",   "STATE_PW_SET_3"};
    for (int state = STATE_PW_UNSET; state <= STATE_PW_SET_3; state++) {
        password_state = state;
        EXPECT_EQ(drawnLines()[3], std::string(names[state - STATE_PW_UNSET]) + "\tSTATE_LOCK_OPEN\t 비밀번호-1-1-1-1")
            << "state " << state;
    }
}

TEST_F(StatusPanel, APasswordStateOutsideItsRangeShowsNoName)
{
    for (const int state :
         {-1, 0, int(INPUT_DOOR_SENSOR_CLOSE), int(STATE_LOCK_OPEN), int(MY_INPUT_VALUE_STATE_END), 1000}) {
        password_state = state;
        EXPECT_EQ(drawnLines()[3], "\tSTATE_LOCK_OPEN\t 비밀번호-1-1-1-1") << "state " << state;
    }
}

TEST_F(StatusPanel, TheLockStateShowsItsNameAndNothingForAnyOtherValue)
{
    lock_state = STATE_LOCK_CLOSE;
    EXPECT_EQ(drawnLines()[3], "STATE_PW_UNSET\tSTATE_LOCK_CLOSE\t 비밀번호-1-1-1-1");
    for (const int state : {-1, int(STATE_PW_SET_3), int(ENABLE)}) {
        lock_state = state;
        EXPECT_EQ(drawnLines()[3], "STATE_PW_UNSET\t\t 비밀번호-1-1-1-1") << "state " << state;
    }
}

TEST_F(StatusPanel, ThePasswordDigitsStandRunTogetherAndUnsetDigitsShowAsMinusOne)
{
    struct Digits {
        int digits[4];
        const char *shown;
    };
    const Digits cases[] = {
        {{0, -1, -1, -1}, "0-1-1-1"},
        {{0, 0, 0, 0}, "0000"},
        {{1, 2, 3, -1}, "123-1"},
        {{9, 8, 7, 6}, "9876"},
    };
    for (const Digits &digits : cases) {
        for (int position = 0; position < 4; position++) {
            password[position] = digits.digits[position];
        }
        EXPECT_EQ(drawnLines()[3], std::string("STATE_PW_UNSET\tSTATE_LOCK_OPEN\t 비밀번호") + digits.shown);
    }
}

TEST_F(StatusPanel, InCodePage949TheStartPanelIs236BytesOfTextAndSevenLineEnds)
{
    keyboard("", TEXT_CP949);
    const std::string text = traceOf([] { hardwareDraw(); });
    EXPECT_EQ(text.size(), 236u + 7u);
    /* "키" is C5 B0 in code page 949. */
    EXPECT_EQ(text.substr(54, 2), "\xC5\xB0");
}

} // namespace
