/*
 * panel_texts: writes two status panels that between them hold every text
 * the panel can show (every level at its first value, then every level at
 * its second), in UTF-8 ("panel_texts utf8") or in code page 949
 * ("panel_texts cp949"). The encoding check converts the first with an
 * independent converter and compares the bytes with the second.
 */
#include "../platform/scripted.h"
#include "../src/Defind.h"

#include <string.h>

int main(int argc, char **argv)
{
    if (argc != 2 || (strcmp(argv[1], "utf8") != 0 && strcmp(argv[1], "cp949") != 0)) {
        fprintf(stderr, "usage: panel_texts utf8|cp949\n");
        return 2;
    }
    static Scenario noSteps;
    scriptLoad(&noSteps, "-", strcmp(argv[1], "cp949") == 0 ? TEXT_CP949 : TEXT_UTF8);
    init();

    key = SENSED;
    cover = OPENED;
    lockButton = CLICKED;
    door = OPENED;
    backlight = ON;
    lock = OPENED;
    h_alarm1 = ON;
    h_alarm2 = ON;
    h_alarm3 = ON;
    hardwareDraw();

    key = UNSENSED;
    cover = CLOSED;
    lockButton = UNCLICKED;
    door = CLOSED;
    backlight = OFF;
    lock = CLOSED;
    h_alarm1 = OFF;
    h_alarm2 = OFF;
    h_alarm3 = OFF;
    password_state = STATE_PW_SET;
    lock_state = STATE_LOCK_CLOSE;
    password[0] = 0;
    password[1] = 9;
    password[2] = 0;
    password[3] = 5;
    hardwareDraw();
    return fflush(stdout) == 0 ? 0 : 1;
}
