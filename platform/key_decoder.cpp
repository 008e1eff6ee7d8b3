/*
 * key_decoder.cpp - the terminal byte decoder (see key_decoder.h).
 *
 * The sequences follow the usual terminal syntax: ESC [ (CSI) or ESC O (SS3),
 * parameter bytes 0x30..0x3F, intermediate bytes 0x20..0x2F and one final
 * byte 0x40..0x7E. An arrow is such a sequence with a final byte A to D whose
 * parameters are only decimal digits and ';'.
 */
#include "key_decoder.h"

namespace {

const unsigned char ESC = 0x1B;

enum DecoderMode {
    MODE_GROUND,           /* between sequences */
    MODE_ESCAPE,           /* after ESC */
    MODE_CONTROL_SEQUENCE, /* after ESC [ or ESC O, in parameters or intermediates */
    MODE_CONTROL_STRING    /* after ESC ] and the like, up to BEL or ESC \ */
};

/* Starts a sequence: the parameter count and the arrow form begin afresh. */
void enter(KeyDecoder *decoder, DecoderMode mode)
{
    decoder->mode = static_cast<unsigned char>(mode);
    decoder->parameters = 0;
    decoder->arrowForm = 1;
}

int arrowKey(unsigned char finalByte)
{
    switch (finalByte) {
    case 'A':
        return KEYCODE_UP;
    case 'B':
        return KEYCODE_DOWN;
    case 'C':
        return KEYCODE_RIGHT;
    case 'D':
        return KEYCODE_LEFT;
    default:
        return KEY_NONE;
    }
}

int afterEscape(KeyDecoder *decoder, unsigned char byte)
{
    if (byte == ESC) {
        /* The first ESC was alone; this one may begin a sequence. */
        enter(decoder, MODE_ESCAPE);
    } else if (byte == '[' || byte == 'O') {
        enter(decoder, MODE_CONTROL_SEQUENCE);
    } else if (byte == ']' || byte == 'P' || byte == 'X' || byte == '^' || byte == '_') {
        enter(decoder, MODE_CONTROL_STRING);
    } else {
        /*
         * Any other printable byte ends a two-byte sequence: Alt plus that
         * key. A byte that is not printable cannot continue a sequence: the
         * ESC was alone, and the byte itself, a control character or part
         * of a non-ASCII character, is no key either.
         */
        enter(decoder, MODE_GROUND);
    }
    return KEY_NONE;
}

int inControlSequence(KeyDecoder *decoder, unsigned char byte)
{
    if (byte >= 0x30 && byte <= 0x3F) {
        const bool decimal = (byte >= '0' && byte <= '9') || byte == ';';
        if (!decimal || decoder->parameters >= KEY_DECODER_MAX_PARAMETERS) {
            decoder->arrowForm = 0;
        } else {
            decoder->parameters++;
        }
        return KEY_NONE;
    }
    if (byte >= 0x20 && byte <= 0x2F) {
        decoder->arrowForm = 0;
        return KEY_NONE;
    }
    if (byte >= 0x40 && byte <= 0x7E) {
        const int decoded = decoder->arrowForm != 0 ? arrowKey(byte) : KEY_NONE;
        enter(decoder, MODE_GROUND);
        return decoded;
    }
    /* ESC begins a new sequence; any other byte breaks this one off. */
    enter(decoder, byte == ESC ? MODE_ESCAPE : MODE_GROUND);
    return KEY_NONE;
}

} // namespace

void keyDecoderInit(KeyDecoder *decoder)
{
    enter(decoder, MODE_GROUND);
}

int keyDecoderByte(KeyDecoder *decoder, unsigned char byte)
{
    switch (decoder->mode) {
    case MODE_ESCAPE:
        return afterEscape(decoder, byte);
    case MODE_CONTROL_SEQUENCE:
        return inControlSequence(decoder, byte);
    case MODE_CONTROL_STRING:
        if (byte == ESC) {
            /* ESC \ ends the string; ESC and anything else begins a new sequence. */
            enter(decoder, MODE_ESCAPE);
        } else if (byte < 0x20) {
            /* BEL ends the string; any other control character breaks it off. */
            enter(decoder, MODE_GROUND);
        }
        return KEY_NONE;
    default:
        break;
    }
    if (byte >= '0' && byte <= '9') {
        return KEYCODE_0 + (byte - '0');
    }
    if (byte == ESC) {
        enter(decoder, MODE_ESCAPE);
    }
    return KEY_NONE;
}

size_t keyDecoderFeed(KeyDecoder *decoder, const unsigned char *bytes, size_t count, int *keys)
{
    size_t found = 0;
    for (size_t i = 0; i < count; i++) {
        const int decoded = keyDecoderByte(decoder, bytes[i]);
        if (decoded != KEY_NONE) {
            keys[found++] = decoded;
        }
    }
    return found;
}

void keyDecoderPause(KeyDecoder *decoder)
{
    enter(decoder, MODE_GROUND);
}

int keyDecoderPending(const KeyDecoder *decoder)
{
    return decoder->mode != MODE_GROUND ? 1 : 0;
}
