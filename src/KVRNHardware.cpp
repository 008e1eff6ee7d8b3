/*
 * KVRNHardware.cpp - the simulated hardware: key polling, output setters,
 * and the seven-line status panel.
 */
#include "Defind.h"

void hardwareInit()
{
    num_0 = UNCLICKED;
    num_1 = UNCLICKED;
    num_2 = UNCLICKED;
    num_3 = UNCLICKED;
    num_4 = UNCLICKED;
    num_5 = UNCLICKED;
    num_6 = UNCLICKED;
    num_7 = UNCLICKED;
    num_8 = UNCLICKED;
    num_9 = UNCLICKED;
    key = UNSENSED;
    cover = OPENED;
    lockButton = UNCLICKED;
    door = OPENED;
    backlight = ON;
    h_alarm1 = OFF;
    h_alarm2 = OFF;
    h_alarm3 = OFF;
    lock = OPENED;
}

/* The digit levels in digit order, so that polling can walk them. */
static int *const digitLevels[10] = {&num_0, &num_1, &num_2, &num_3, &num_4, &num_5, &num_6, &num_7, &num_8, &num_9};

/*
 * One input code per call: the first key found pressed, in the order digits
 * 0 to 9 (only while the cover is open), left, down, up, right. With no key
 * pressed, the door-sensor code of the door's present level.
 */
int getInput()
{
    if (cover == OPENED) {
        for (int digit = 0; digit < 10; digit++) {
            if (platformKeyPressed(KEYCODE_0 + digit) != 0) {
                *digitLevels[digit] = CLICKED;
                return INPUT_0 + digit;
            }
        }
    }
    if (platformKeyPressed(KEYCODE_LEFT) != 0) {
        key = SENSED;
        return INPUT_KEY_SENSOR;
    }
    if (platformKeyPressed(KEYCODE_DOWN) != 0) {
        if (cover == CLOSED) {
            cover = OPENED;
            return INPUT_COVER_SENSOR_OPEN;
        }
        cover = CLOSED;
        turnOffBacklight();
        return INPUT_COVER_SENSOR_CLOSE;
    }
    if (platformKeyPressed(KEYCODE_UP) != 0) {
        lockButton = CLICKED;
        return INPUT_LOCK_BUTTON;
    }
    if (platformKeyPressed(KEYCODE_RIGHT) != 0) {
        /* The door moves only while the lock is open; else only the code of the asked change. */
        if (door == CLOSED) {
            if (lock_state == STATE_LOCK_OPEN) {
                door = OPENED;
                drawCommand = 1;
            }
            return INPUT_DOOR_SENSOR_OPEN;
        }
        if (lock_state == STATE_LOCK_OPEN) {
            door = CLOSED;
            drawCommand = 1;
        }
        return INPUT_DOOR_SENSOR_CLOSE;
    }
    return door == OPENED ? INPUT_DOOR_SENSOR_OPEN : INPUT_DOOR_SENSOR_CLOSE;
}

void resetButton()
{
    for (int digit = 0; digit < 10; digit++) {
        *digitLevels[digit] = UNCLICKED;
    }
    key = UNSENSED;
    lockButton = UNCLICKED;
    drawCommand = 1;
}

void turnOnBacklight()
{
    backlight = ON;
    drawCommand = 1;
}

void turnOffBacklight()
{
    backlight = OFF;
    drawCommand = 1;
}

void turnOnAlarm1()
{
    h_alarm1 = ON;
    drawCommand = 1;
}

void turnOffAlarm1()
{
    h_alarm1 = OFF;
    drawCommand = 1;
}

void turnOnAlarm2()
{
    h_alarm2 = ON;
    drawCommand = 1;
}

void turnOffAlarm2()
{
    h_alarm2 = OFF;
    drawCommand = 1;
}

void turnOnAlarm3()
{
    h_alarm3 = ON;
    drawCommand = 1;
}

void turnOffAlarm3()
{
    h_alarm3 = OFF;
    drawCommand = 1;
}

void closeLockDevice()
{
    lock = CLOSED;
    drawCommand = 1;
}

void openLockDevice()
{
    lock = OPENED;
    drawCommand = 1;
}

/*
 * The panel's Korean texts are written in this file as UTF-8. A console that
 * wants code page 949 gets them converted syllable by syllable through this
 * table: every Hangul syllable the panel uses, with its two code page 949
 * bytes, sorted by code point.
 */
struct Cp949Syllable {
    unsigned short codePoint;
    unsigned char lead;
    unsigned char trail;
};

/* Laid out by hand: three syllables a line, each with its glyph. */
/* clang-format off */
static const Cp949Syllable cp949Syllables[] = {
    {0xAC10, 0xB0, 0xA8}, /* 감 */ {0xAE08, 0xB1, 0xDD}, /* 금 */ {0xAEBC, 0xB2, 0xA8}, /* 꺼 */
    {0xB20C, 0xB4, 0xAD}, /* 눌 */ {0xB2EB, 0xB4, 0xDD}, /* 닫 */ {0xB428, 0xB5, 0xCA}, /* 됨 */
    {0xB77C, 0xB6, 0xF3}, /* 라 */ {0xB9BC, 0xB8, 0xB2}, /* 림 */ {0xBB38, 0xB9, 0xAE}, /* 문 */
    {0xBC00, 0xB9, 0xD0}, /* 밀 */ {0xBC31, 0xB9, 0xE9}, /* 백 */ {0xBC84, 0xB9, 0xF6}, /* 버 */
    {0xBC88, 0xB9, 0xF8}, /* 번 */ {0xBE44, 0xBA, 0xF1}, /* 비 */ {0xC11C, 0xBC, 0xAD}, /* 서 */
    {0xC13C, 0xBC, 0xBE}, /* 센 */ {0xC18C, 0xBC, 0xD2}, /* 소 */ {0xC5F4, 0xBF, 0xAD}, /* 열 */
    {0xC774, 0xC0, 0xCC}, /* 이 */ {0xC7A0, 0xC0, 0xE1}, /* 잠 */ {0xC7A5, 0xC0, 0xE5}, /* 장 */
    {0xC9C0, 0xC1, 0xF6}, /* 지 */ {0xC9D0, 0xC1, 0xFC}, /* 짐 */ {0xCE58, 0xC4, 0xA1}, /* 치 */
    {0xCEE4, 0xC4, 0xBF}, /* 커 */ {0xCF1C, 0xC4, 0xD1}, /* 켜 */ {0xD0A4, 0xC5, 0xB0}, /* 키 */
    {0xD2B8, 0xC6, 0xAE}, /* 트 */ {0xD2BC, 0xC6, 0xB0}, /* 튼 */ {0xD3C9, 0xC6, 0xF2}, /* 평 */
    {0xD638, 0xC8, 0xA3}, /* 호 */ {0xD798, 0xC8, 0xFB}, /* 힘 */
};
/* clang-format on */

/*
 * Converts a panel text from UTF-8 to code page 949 into out (which holds at
 * least as many bytes as the text, plus one). ASCII passes unchanged; each
 * three-byte syllable becomes its two bytes. A syllable missing from the
 * table would be a fault in this file; it is written as '?'.
 */
static void toCp949(const char *text, char *out)
{
    const unsigned char *in = reinterpret_cast<const unsigned char *>(text);
    while (*in != 0) {
        if (*in < 0x80) {
            *out++ = static_cast<char>(*in++);
            continue;
        }
        unsigned int codePoint = 0;
        if ((in[0] & 0xF0) == 0xE0 && (in[1] & 0xC0) == 0x80 && (in[2] & 0xC0) == 0x80) {
            codePoint = ((in[0] & 0x0Fu) << 12) | ((in[1] & 0x3Fu) << 6) | (in[2] & 0x3Fu);
            in += 3;
        } else {
            in++;
        }
        char lead = '?';
        char trail = 0;
        for (const Cp949Syllable &syllable : cp949Syllables) {
            if (syllable.codePoint == codePoint) {
                lead = static_cast<char>(syllable.lead);
                trail = static_cast<char>(syllable.trail);
                break;
            }
        }
        *out++ = lead;
        if (trail != 0) {
            *out++ = trail;
        }
    }
    *out = 0;
}

/* Every panel text is shorter than this. */
static const int PANEL_TEXT_MAX = 64;

/* Writes one panel text in the console's encoding, followed by a line end when asked. */
static void writeText(const char *text, bool lineEnd)
{
    const char *bytes = text;
    char converted[PANEL_TEXT_MAX];
    if (platformTextEncoding() == TEXT_CP949) {
        toCp949(text, converted);
        bytes = converted;
    }
    if (lineEnd) {
        puts(bytes);
    } else {
        printf("%s", bytes);
    }
}

static const char *const passwordStateNames[] = {
    "STATE_PW_UNSET",  "STATE_PW_SET",   "STATE_PW_INPUT_1", "STATE_PW_INPUT_2", "STATE_PW_INPUT_3",
    "STATE_PW_RIGHT",  "STATE_PW_W_1",   "STATE_PW_W_2",     "STATE_PW_W_3",     "STATE_PW_WRONG",
    "STATE_PW_CANCEL", "STATE_PW_SET_1", "STATE_PW_SET_2",   "STATE_PW_SET_3",
};

void hardwareDraw()
{
    puts("-----------------------------------------------------");
    writeText(key == SENSED ? "키센서 = 감지됨\t\t" : "키센서 = 평소\t\t", false);
    writeText(cover == OPENED ? "커버 = 열림" : "커버 = 닫힘", true);
    writeText(lockButton == CLICKED ? "잠금버튼 = 눌림 \t" : "잠금버튼 = 평소 \t", false);
    writeText(door == OPENED ? "문 = 열림" : "문 = 닫힘", true);
    if (password_state >= STATE_PW_UNSET && password_state <= STATE_PW_SET_3) {
        printf("%s", passwordStateNames[password_state - STATE_PW_UNSET]);
    }
    putchar('\t');
    if (lock_state == STATE_LOCK_OPEN) {
        printf("STATE_LOCK_OPEN");
    } else if (lock_state == STATE_LOCK_CLOSE) {
        printf("STATE_LOCK_CLOSE");
    }
    writeText("\t 비밀번호", false);
    printf("%d%d%d%d", password[0], password[1], password[2], password[3]);
    printf("\n ");
    puts("output");
    writeText(backlight == ON ? "백라이트 = 켜짐\t" : "백라이트 = 꺼짐 \t", false);
    writeText(lock == OPENED ? "잠금장치 = 열림 " : "잠금장치 = 닫힘 ", true);
    writeText(h_alarm1 == ON ? "alarm1 = 켜짐 \t" : "alarm1 = 꺼짐 \t", false);
    writeText(h_alarm2 == ON ? "alarm2 = 켜짐 \t" : "alarm2 = 꺼짐 \t", false);
    writeText(h_alarm3 == ON ? "alarm3 = 켜짐 " : "alarm3 = 꺼짐 ", true);
}
