#!/usr/bin/env python3
"""Writes tests/soak/wrap_soak.scn, the wrap soak of doorlock-replay.

The scenario format has no loops, so this script spells the soak out: one
whole 2^32 ms of virtual time at 200 ms a pass (over 21 million passes),
crossing the count's sign change at 2^31 and its wrap from -1 to 0, with the
lock used about once a day of virtual time: wrong and cancelled entries,
right entries, the key, the button, the door and the cover, so that every
timer starts and runs out many times. Every use checks the state with expect
lines, timer stamps included. Around the two boundaries the uses are placed
so that timers run across them, and on the pass whose count is -1 timers
start (their stamp is 0, as the -1 is the idle marker).

Run from the repository root:  python3 tools/gen_wrap_soak.py
"""

import os
import sys

PERIOD = 200
WRAP = 1 << 32
# The pass with the count 2^32 - 1 (tick -1) is pass number MINUS_ONE_PASS.
MINUS_ONE_PASS = 15_000_000
START = WRAP - 1 - PERIOD * MINUS_ONE_PASS
# A use of the lock every this many passes (500000 passes: about 28 hours).
USE_EVERY = 500_000


def signed(count):
    count %= WRAP
    return count - WRAP if count >= 1 << 31 else count


class Soak:
    def __init__(self):
        self.lines = []
        self.passes = 0          # passes run so far
        self.count = None        # millisecond count of the latest pass
        self.next_count = START  # count the next pass reads
        self.period = PERIOD
        self.notes = True        # whether steps carry their explaining comments

    def emit(self, text=""):
        self.lines.append(text)

    def comment(self, text):
        self.emit("# " + text)

    def set_period(self, ms):
        self.emit("period %d" % ms)
        # The pause before the next pass is the period set now.
        if self.count is not None:
            self.next_count = self.count + ms
        self.period = ms

    def _advance(self, n):
        self.count = self.next_count + (n - 1) * self.period
        self.next_count = self.count + self.period
        self.passes += n

    def line(self, text, note):
        self.emit(text if note is None or not self.notes else "%-16s# %s" % (text, note))

    def run(self, n=1, note=None):
        if n <= 0:
            return
        self.line("pass" if n == 1 else "pass %d" % n, note)
        self._advance(n)

    def wait(self, ms, note=None):
        self.line("wait %d" % ms, note)
        self._advance(-(-ms // self.period))

    def type(self, digits, note=None):
        self.line("type " + digits, note)
        first = self.next_count
        self._advance(len(digits))
        return first

    def tap(self, keys, note=None):
        self.emit("tap " + keys)
        self.run(1, note)

    def tick(self):
        """The signed tick of the latest pass."""
        return signed(self.count)

    def stamp(self, count):
        """The stamp a timer started on the pass with this count holds."""
        t = signed(count)
        return 0 if t == -1 else t

    def expect(self, **values):
        for name, value in values.items():
            name = name.replace("password_0", "password[0]")
            self.emit("expect %s %s" % (name, value))

    def idle_until(self, pass_number):
        """Idle passes until pass_number passes have run."""
        self.run(pass_number - self.passes)

    # --- uses of the lock; each starts and ends in the rest state: password
    # 1234 set, lock closed, door closed, cover open, every timer idle.

    def held_wrong_entry(self, full):
        self.emit("press 7")
        t = self.next_count
        self.run(4, "a held 7 is read on every pass: 7777, wrong")
        self.emit("release 7")
        self.expect(password_state="STATE_PW_SET", h_alarm2="ON", password_tick=-1)
        if full:
            self.expect(h_alarm1="ON", alarm_tick=self.stamp(t + 600), backlight_tick=self.stamp(t + 600))
        self.run(2)
        self.expect(h_alarm2="ON")
        self.run(1, "500 ms after the fourth digit: every alarm off")
        self.expect(h_alarm1="OFF", h_alarm2="OFF", alarm_tick=-1)

    def four_timers(self, full):
        """A first digit, the key, the door: all four timers run at once."""
        t = self.type("1", "entry timer, key tone, backlight start")
        self.tap("left", "the key opens the lock; the entry runs on")
        self.run(1, "door closed, lock open: the auto-lock timer starts")
        self.expect(password_state="STATE_PW_INPUT_1", lock_state="STATE_LOCK_OPEN",
                    password_tick=self.stamp(t), alarm_tick=self.stamp(t),
                    backlight_tick=self.stamp(t), door_tick=self.stamp(t + 400))
        self.run(1, "the key tone ends")
        self.expect(h_alarm1="OFF", alarm_tick=-1)
        self.wait(1400, "2000 ms after the digit: cancelled, backlight out")
        self.expect(h_alarm3="ON", password_state="STATE_PW_SET", password_tick=-1,
                    backlight="OFF", backlight_tick=-1, lock_state="STATE_LOCK_OPEN")
        if full:
            self.expect(alarm_tick=self.stamp(t + 2000), door_tick=self.stamp(t + 400))
        self.wait(1400, "3000 ms after the door timer started: locked")
        self.expect(h_alarm3="OFF", alarm_tick=-1, lock_state="STATE_LOCK_CLOSE", lock="CLOSED", door_tick=-1)

    def right_entry_and_door(self, full):
        t = self.type("1234", "right: the lock opens")
        self.expect(lock_state="STATE_LOCK_OPEN", lock="OPENED", password_state="STATE_PW_SET",
                    password_tick=-1, h_alarm1="ON")
        if full:
            self.expect(alarm_tick=self.stamp(t + 600), backlight_tick=self.stamp(t + 600))
        self.tap("right", "the door opens")
        self.expect(door="OPENED", door_tick=-1)
        self.wait(4000, "no auto-lock while the door is open")
        self.expect(lock_state="STATE_LOCK_OPEN", door_tick=-1, h_alarm1="OFF", backlight="OFF")
        self.tap("right", "the door shuts: the auto-lock timer starts")
        self.expect(door="CLOSED", door_tick=self.stamp(self.count))
        self.wait(2800)
        self.expect(lock_state="STATE_LOCK_OPEN")
        self.run(1, "3000 ms: locked")
        self.expect(lock_state="STATE_LOCK_CLOSE", lock="CLOSED", door_tick=-1)

    def key_and_button(self, full):
        self.tap("left", "the key opens")
        self.run(1)
        self.expect(lock_state="STATE_LOCK_OPEN", key="UNSENSED", door_tick=self.stamp(self.count))
        self.tap("up", "the button closes")
        self.expect(lock_state="STATE_LOCK_CLOSE", lockButton="UNCLICKED", door_tick=-1)
        self.tap("up", "the button opens")
        self.expect(lock_state="STATE_LOCK_OPEN", door_tick=-1)
        self.wait(3200, "auto-lock 3000 ms after the next pass")
        self.expect(lock_state="STATE_LOCK_CLOSE", door_tick=-1)
        self.tap("right", "a locked door stays shut")
        self.expect(door="CLOSED", lock="CLOSED")

    def cover(self, full):
        self.tap("down", "the cover shuts: backlight off")
        self.expect(cover="CLOSED", backlight="OFF")
        self.tap("1", "digits are not read under the cover; the mark stays")
        self.expect(password_state="STATE_PW_SET", num_1="UNCLICKED")
        self.tap("down", "the cover opens: the backlight lights")
        self.expect(cover="OPENED", backlight="ON", backlight_tick=self.stamp(self.count))
        self.run(1, "the kept 1 is read now")
        self.expect(password_state="STATE_PW_INPUT_1", password_tick=self.stamp(self.count))
        self.type("999", "wrong at the fourth digit")
        self.expect(h_alarm2="ON", password_state="STATE_PW_SET", password_tick=-1)
        if full:
            self.expect(alarm_tick=self.stamp(self.count), backlight_tick=self.stamp(self.count))
        self.wait(2000, "alarms and backlight out")
        self.expect(h_alarm1="OFF", h_alarm2="OFF", backlight="OFF", backlight_tick=-1)

    def use(self, full=False, four_timers_first=False):
        """One use of every part of the lock; full: every stamp checked, steps explained."""
        self.notes = full
        if four_timers_first:
            self.four_timers(full)
            self.held_wrong_entry(full)
        else:
            self.held_wrong_entry(full)
            self.four_timers(full)
        self.right_entry_and_door(full)
        self.key_and_button(full)
        self.cover(full)
        self.expect(lock_state="STATE_LOCK_CLOSE", password_state="STATE_PW_SET", h_alarm1="OFF",
                    h_alarm2="OFF", h_alarm3="OFF", backlight="OFF", alarm_tick=-1, door_tick=-1)
        self.notes = True


def main():
    s = Soak()
    s.emit("# The wrap soak: one whole 2^32 ms of virtual time, 200 ms a pass, with the")
    s.emit("# lock used about once a day. Written by tools/gen_wrap_soak.py: change that")
    s.emit("# script, not this file. The count turns negative at pass 4262582 and is -1")
    s.emit("# at pass %d." % MINUS_ONE_PASS)
    s.emit("start %d" % START)
    s.emit()
    s.comment("Start-up: the password is set, the door shut, the lock closes by itself.")
    s.type("1234")
    s.expect(password_state="STATE_PW_SET", backlight="OFF")
    s.tap("right")
    s.wait(3000)
    s.expect(lock_state="STATE_LOCK_CLOSE", door="CLOSED", cover="OPENED", tick=s.tick())

    # The last pass before the count turns negative.
    last_positive = ((1 << 31) - 1 - START) // PERIOD
    # The four timers' first digit goes two passes before it, so that all
    # four run across the change of sign.
    sign_use = last_positive - 2

    next_use = USE_EVERY
    first = True
    while next_use < MINUS_ONE_PASS - USE_EVERY // 2:
        if next_use <= sign_use < next_use + USE_EVERY:
            s.emit()
            s.comment("Idle, then the four timers run across the count's change of sign.")
            s.idle_until(sign_use)
            s.use(full=True, four_timers_first=True)
            s.expect(tick=s.tick())
        s.emit()
        s.idle_until(next_use)
        s.use(full=first)
        first = False
        next_use += USE_EVERY

    s.emit()
    s.comment("The wrap. The four timers start two passes before the pass whose count is")
    s.comment("-1; on that pass the auto-lock timer starts, and its stamp is 0.")
    s.idle_until(MINUS_ONE_PASS - 2)
    t = s.type("1")
    s.tap("left")
    s.run(1)
    s.expect(tick=-1, door_tick=0, password_tick=s.stamp(t), alarm_tick=s.stamp(t), lock_state="STATE_LOCK_OPEN")
    s.comment("One pass 1 ms later reads 0: a digit with the lock open is dropped, but it")
    s.comment("lights the backlight, whose stamp is a true 0.")
    s.set_period(1)
    s.tap("5")
    s.expect(tick=0, password_state="STATE_PW_SET", backlight_tick=0, door_tick=0, password_tick=s.stamp(t))
    s.set_period(PERIOD - 1)
    s.run(1, "600 ms after the digit: the key tone ends")
    s.expect(tick=PERIOD - 1, h_alarm1="OFF", alarm_tick=-1)
    s.set_period(PERIOD)
    s.wait(1400, "the dropped digit left the entry's time-out running")
    s.expect(h_alarm3="ON", alarm_tick=s.tick(), password_tick=-1, backlight="ON", backlight_tick=0)
    s.run(3, "2000 ms after the 0: backlight out")
    s.expect(h_alarm3="OFF", backlight="OFF", backlight_tick=-1, lock_state="STATE_LOCK_OPEN", door_tick=0)
    s.run(4)
    s.expect(tick=2999, lock_state="STATE_LOCK_OPEN")
    s.run(1, "3000 ms after the stamp 0: locked")
    s.expect(tick=3199, lock_state="STATE_LOCK_CLOSE", door_tick=-1)

    s.emit()
    s.comment("Daily use goes on past the wrap, back up to the start count and beyond.")
    end = MINUS_ONE_PASS + (START + 1) // PERIOD + USE_EVERY // 10
    next_use = MINUS_ONE_PASS + USE_EVERY // 2
    while next_use < end:
        s.emit()
        s.idle_until(next_use)
        s.use(full=next_use == MINUS_ONE_PASS + USE_EVERY // 2)
        next_use += USE_EVERY
    s.idle_until(end)
    assert s.passes * PERIOD > WRAP, "the soak must cover a whole 2^32 ms"
    s.expect(tick=s.tick())

    s.emit()
    s.comment("A second wrap, reached in hour-long pauses: a first digit on the pass whose")
    s.comment("count is -1 starts three timers, each with the stamp 0.")
    s.set_period(3600000)
    target = WRAP - 1 - PERIOD   # the pass before the -1 pass, with period 200 after it
    gap = (target - s.count) % WRAP
    hours = (gap - 1) // 3600000
    s.run(hours)
    s.set_period(gap - hours * 3600000)
    s.run(1)
    s.set_period(PERIOD)
    s.expect(tick=-1 - PERIOD, lock_state="STATE_LOCK_CLOSE", alarm_tick=-1)
    s.type("1")
    s.expect(tick=-1, password_tick=0, alarm_tick=0, backlight_tick=0, h_alarm1="ON")
    s.run(2)
    s.expect(h_alarm1="ON")
    s.run(1, "600 ms after: the key tone ends")
    s.expect(h_alarm1="OFF")
    s.wait(1400)
    s.expect(tick=1999, password_state="STATE_PW_INPUT_1", backlight="ON")
    s.run(1, "2200 ms after the digit: cancelled, backlight out")
    s.expect(tick=2199, h_alarm3="ON", alarm_tick=2199, password_tick=-1, backlight="OFF")
    s.wait(600)
    s.expect(h_alarm3="OFF", password_state="STATE_PW_SET")
    s.emit()
    s.use(full=True)
    s.expect(tick=s.tick())

    root = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..")
    path = os.path.join(root, "tests", "soak", "wrap_soak.scn")
    with open(path, "w", newline="\n") as out:
        out.write("\n".join(s.lines) + "\n")
    print("%s: %d lines, %d passes" % (os.path.relpath(path, root), len(s.lines), s.passes), file=sys.stderr)


if __name__ == "__main__":
    main()
