/*
 * Fuzz target for the terminal key decoder.
 *
 * For any input it checks that:
 *   - only the fourteen key codes come out, each on the byte that names it
 *     (a digit on that digit character, an arrow on its letter A to D);
 *   - reading the bytes in pieces, split anywhere, gives the same keys as
 *     reading them at once;
 *   - nothing can wedge the decoder: after any input, ESC [ A is the up
 *     arrow, and after a pause a digit is that digit;
 *   - the state stays within its bounds.
 */
#include "../platform/key_decoder.h"

#include <stdint.h>
#include <stdlib.h>

namespace {

const size_t MAX_INPUT = 4096;
int wholeKeys[MAX_INPUT + 8];
int pieceKeys[MAX_INPUT + 8];

void check(bool condition)
{
    if (!condition) {
        abort();
    }
}

void checkState(const KeyDecoder &decoder)
{
    check(decoder.parameters <= KEY_DECODER_MAX_PARAMETERS);
    check(decoder.arrowForm <= 1);
}

bool namesKey(int keyCode, uint8_t byte)
{
    switch (keyCode) {
    case KEYCODE_UP:
        return byte == 'A';
    case KEYCODE_DOWN:
        return byte == 'B';
    case KEYCODE_RIGHT:
        return byte == 'C';
    case KEYCODE_LEFT:
        return byte == 'D';
    default:
        return keyCode >= KEYCODE_0 && keyCode <= KEYCODE_0 + 9 && byte == '0' + (keyCode - KEYCODE_0);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size > MAX_INPUT) {
        return -1;
    }

    /* Byte by byte: every key on the byte that names it. */
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    size_t wholeCount = 0;
    for (size_t i = 0; i < size; i++) {
        const int decoded = keyDecoderByte(&decoder, data[i]);
        checkState(decoder);
        if (decoded != KEY_NONE) {
            check(namesKey(decoded, data[i]));
            wholeKeys[wholeCount++] = decoded;
        }
    }
    const KeyDecoder afterWhole = decoder;

    /* In pieces whose lengths come from the data itself: the same keys, the same state. */
    KeyDecoder pieces;
    keyDecoderInit(&pieces);
    size_t pieceCount = 0;
    size_t at = 0;
    uint32_t mix = 2166136261u;
    while (at < size) {
        mix = (mix ^ data[at]) * 16777619u;
        size_t length = 1 + (mix >> 8) % 7;
        if (length > size - at) {
            length = size - at;
        }
        pieceCount += keyDecoderFeed(&pieces, data + at, length, pieceKeys + pieceCount);
        at += length;
    }
    check(pieceCount == wholeCount);
    for (size_t i = 0; i < wholeCount; i++) {
        check(pieceKeys[i] == wholeKeys[i]);
    }
    check(pieces.mode == afterWhole.mode && pieces.parameters == afterWhole.parameters &&
          pieces.arrowForm == afterWhole.arrowForm);

    /* ESC begins a sequence from any state. */
    static const uint8_t up[] = {0x1b, '[', 'A'};
    int tail[sizeof up];
    check(keyDecoderFeed(&decoder, up, sizeof up, tail) == 1 && tail[0] == KEYCODE_UP);
    check(keyDecoderPending(&decoder) == 0);

    /* A pause drops whatever is unfinished. */
    keyDecoderPause(&pieces);
    check(keyDecoderPending(&pieces) == 0);
    check(keyDecoderByte(&pieces, '5') == KEYCODE_0 + 5);
    return 0;
}
