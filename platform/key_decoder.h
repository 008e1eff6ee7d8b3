/*
 * key_decoder.h - turns the bytes a terminal sends into the lock's keys.
 *
 * A pure decoder: no input or output, no allocation, plain functions over a
 * small state that the caller owns. Bytes may come in pieces of any size;
 * the state carries an unfinished escape sequence from one piece to the next.
 *
 * Keys produced, as virtual-key codes:
 *   - the digit characters '0' to '9'  -> KEYCODE_0 + digit
 *   - ESC [ A .. D  and  ESC O A .. D  -> KEYCODE_UP, DOWN, RIGHT, LEFT,
 *     also with numeric parameters, such as the modifier form ESC [ 1 ; 5 C
 *     (Ctrl-Right) or ESC O 5 C.
 * Everything else is consumed and ignored, never misread:
 *   - other escape sequences as a whole, including their parameters, so the
 *     digits of F5 (ESC [ 1 5 ~) or of Ctrl-Right are not digit keys;
 *   - ESC followed by one printable character (what a terminal sends for
 *     Alt plus that key): Alt-5 is not the digit 5;
 *   - control strings: ESC ], ESC P, ESC X, ESC ^ or ESC _, up to BEL or
 *     ESC \ (what a terminal sends in answer to a query);
 *   - control characters, DEL, and the bytes of non-ASCII characters.
 * A sequence longer than KEY_DECODER_MAX_PARAMETERS parameter bytes is no
 * arrow, and the state never grows with the length of the input.
 *
 * A lone ESC (the Esc key by itself) is dropped. It is told from the start of
 * a sequence split between two reads in two ways:
 *   - the byte after it cannot continue a sequence (a control character,
 *     DEL, a non-ASCII byte; another ESC starts a sequence of its own), or
 *   - the input pauses: the caller calls keyDecoderPause when no further
 *     byte has come for a while, which drops whatever sequence is unfinished.
 * A control character inside a sequence or a control string ends it
 * unfinished (ESC begins a new one), so no input can hold the decoder in a
 * sequence for longer than the input goes on without one.
 */
#ifndef DOORLOCK_KEY_DECODER_H
#define DOORLOCK_KEY_DECODER_H

#include <stddef.h>

#include "../src/Defind.h"

/* Parameter and intermediate bytes that a sequence may have and still be an arrow. */
const int KEY_DECODER_MAX_PARAMETERS = 16;

/* No key from this byte. No key code is 0. */
const int KEY_NONE = 0;

struct KeyDecoder {
    unsigned char mode;       /* where in a sequence the decoder is */
    unsigned char parameters; /* parameter bytes so far, saturating above the limit */
    unsigned char arrowForm;  /* non-zero while the sequence can still be an arrow */
};

/* Sets the state to its start: no sequence begun. */
void keyDecoderInit(KeyDecoder *decoder);

/* Decodes one byte: the key it completes, or KEY_NONE. */
int keyDecoderByte(KeyDecoder *decoder, unsigned char byte);

/*
 * Decodes count bytes. keys receives the keys completed, in order; it must
 * have room for count of them (no byte completes more than one). Returns the
 * number of keys written.
 */
size_t keyDecoderFeed(KeyDecoder *decoder, const unsigned char *bytes, size_t count, int *keys);

/* The input has paused: an unfinished sequence (a lone ESC among them) is dropped. */
void keyDecoderPause(KeyDecoder *decoder);

/* Non-zero while a sequence is begun and not finished. */
int keyDecoderPending(const KeyDecoder *decoder);

#endif
