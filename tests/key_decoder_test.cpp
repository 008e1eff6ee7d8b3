/* The terminal key decoder, on byte strings: keys, ignored sequences, split reads, pauses. */
#include "../platform/key_decoder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<int> decode(KeyDecoder *decoder, const std::string &bytes)
{
    std::vector<int> keys(bytes.size() + 1);
    const size_t found =
        keyDecoderFeed(decoder, reinterpret_cast<const unsigned char *>(bytes.data()), bytes.size(), keys.data());
    keys.resize(found);
    return keys;
}

std::vector<int> decodeFresh(const std::string &bytes)
{
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    return decode(&decoder, bytes);
}

const int UP = KEYCODE_UP;
const int DOWN = KEYCODE_DOWN;
const int RIGHT = KEYCODE_RIGHT;
const int LEFT = KEYCODE_LEFT;
int digit(int n)
{
    return KEYCODE_0 + n;
}

struct DecoderCase {
    const char *what;
    std::string bytes;
    std::vector<int> keys;
};

const std::vector<DecoderCase> &decoderCases()
{
    static const std::vector<DecoderCase> cases = {
        {"every digit character",
         "0123456789",
         {digit(0), digit(1), digit(2), digit(3), digit(4), digit(5), digit(6), digit(7), digit(8), digit(9)}},
        {"arrows in the CSI form", "\x1b[A\x1b[B\x1b[C\x1b[D", {UP, DOWN, RIGHT, LEFT}},
        {"arrows in the SS3 form", "\x1bOA\x1bOB\x1bOC\x1bOD", {UP, DOWN, RIGHT, LEFT}},
        {"Ctrl-Right: digits of the modifier are no keys", "\x1b[1;5C", {RIGHT}},
        {"Shift, Alt and Ctrl-Alt arrows", "\x1b[1;2A\x1b[1;3B\x1b[1;7D", {UP, DOWN, LEFT}},
        {"a modifier in the SS3 form", "\x1bO5C\x1bO1;5D", {RIGHT, LEFT}},
        {"F5 yields no digit", "\x1b[15~", {}},
        {"F1 to F4 and F12", "\x1bOP\x1bOQ\x1bOR\x1bOS\x1b[24~", {}},
        {"Home, End, Insert, Delete, PageUp, PageDown", "\x1b[H\x1b[F\x1b[2~\x1b[3~\x1b[5~\x1b[6~", {}},
        {"keypad keys in application mode", "\x1bOp\x1bOq\x1bOy\x1bOM", {}},
        {"digits between sequences still count", "1\x1b[15~2\x1b[1;5C3", {digit(1), digit(2), RIGHT, digit(3)}},
        {"Alt plus a digit is not the digit",
         "\x1b"
         "5",
         {}},
        {"Alt plus a letter, then a digit", "\x1bx7", {digit(7)}},
        {"ESC ESC [ A: the first ESC is alone", "\x1b\x1b[A", {UP}},
        {"ESC before a control character is dropped", "\x1b\r4", {digit(4)}},
        {"ESC before a non-ASCII byte is dropped",
         "\x1b\xc3\xa9"
         "4",
         {digit(4)}},
        {"private and colon parameters are no arrow", "\x1b[?1A\x1b[<0;5;9C\x1b[1:5B", {}},
        {"an intermediate byte makes no arrow", "\x1b[1 A\x1b[ C", {}},
        {"a final byte other than A..D", "\x1b[5E\x1b[1;5a", {}},
        {"parameters up to the limit still make an arrow", "\x1b[1;5;1;5;1;5;1;5C", {RIGHT}},
        {"an overlong sequence is consumed but no arrow", "\x1b[" + std::string(40, '9') + "A8", {digit(8)}},
        {"bracketed paste markers are ignored, the text in them read", "\x1b[200~12\x1b[201~", {digit(1), digit(2)}},
        {"an OSC answer ended by BEL",
         "\x1b]11;rgb:0000/1111/2222\x07"
         "3",
         {digit(3)}},
        {"an OSC answer ended by ESC \\",
         "\x1b]10;rgb:9999/9999/9999\x1b\\"
         "3",
         {digit(3)}},
        {"a device control string", "\x1bP1$r0m\x1b\\", {}},
        {"a control character breaks a sequence off", "\x1b[1\r2", {digit(2)}},
        {"a control character breaks a string off", "\x1b]0;12\n34", {digit(3), digit(4)}},
        {"ESC inside a sequence begins a new one", "\x1b[1;\x1b[B", {DOWN}},
        {"ESC inside a string begins a sequence", "\x1b]0;9\x1b[C", {RIGHT}},
        {"letters, punctuation, controls and DEL are no keys", "abcABC[]O~;:\t\r\n\x7f\x01\x03", {}},
        {"UTF-8 text yields nothing", "\xea\xb0\x80\xed\x9e\xa3\xc2\xb5", {}},
        {"8-bit bytes are no keys",
         "\x9b"
         "A\x8f"
         "B",
         {}},
        {"a NUL byte is ignored",
         std::string("1\0"
                     "2",
                     3),
         {digit(1), digit(2)}},
    };
    return cases;
}

TEST(KeyDecoder, DecodesEachByteStringOfTheTable)
{
    for (const DecoderCase &c : decoderCases()) {
        EXPECT_EQ(decodeFresh(c.bytes), c.keys) << c.what;
    }
}

TEST(KeyDecoder, ASequenceSplitBetweenTwoReadsDecodesAsAWhole)
{
    for (const DecoderCase &c : decoderCases()) {
        for (size_t split = 1; split < c.bytes.size(); split++) {
            KeyDecoder decoder;
            keyDecoderInit(&decoder);
            std::vector<int> keys = decode(&decoder, c.bytes.substr(0, split));
            const std::vector<int> rest = decode(&decoder, c.bytes.substr(split));
            keys.insert(keys.end(), rest.begin(), rest.end());
            EXPECT_EQ(keys, c.keys) << c.what << ", split after byte " << split;
        }
    }
}

TEST(KeyDecoder, AnArrowFedOneByteAtATimeCompletesOnItsFinalByte)
{
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    EXPECT_EQ(keyDecoderByte(&decoder, 0x1b), KEY_NONE);
    EXPECT_NE(keyDecoderPending(&decoder), 0);
    EXPECT_EQ(keyDecoderByte(&decoder, '['), KEY_NONE);
    EXPECT_EQ(keyDecoderByte(&decoder, '1'), KEY_NONE);
    EXPECT_EQ(keyDecoderByte(&decoder, ';'), KEY_NONE);
    EXPECT_EQ(keyDecoderByte(&decoder, '5'), KEY_NONE);
    EXPECT_EQ(keyDecoderByte(&decoder, 'D'), LEFT);
    EXPECT_EQ(keyDecoderPending(&decoder), 0);
}

TEST(KeyDecoder, ALoneEscIsDroppedAtAPauseSoTheNextDigitCounts)
{
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    EXPECT_TRUE(decode(&decoder, "\x1b").empty());
    keyDecoderPause(&decoder);
    EXPECT_EQ(keyDecoderPending(&decoder), 0);
    EXPECT_EQ(decode(&decoder, "5"), std::vector<int>{digit(5)});
}

TEST(KeyDecoder, APauseDropsAnUnfinishedSequenceAndItsParameters)
{
    const char *const unfinished[] = {"\x1b[", "\x1b[1;5", "\x1bO", "\x1b]0;title"};
    for (const char *start : unfinished) {
        KeyDecoder decoder;
        keyDecoderInit(&decoder);
        EXPECT_TRUE(decode(&decoder, start).empty()) << start + 1;
        keyDecoderPause(&decoder);
        EXPECT_EQ(decode(&decoder, "7C"), std::vector<int>{digit(7)}) << start + 1;
    }
}

TEST(KeyDecoder, APauseBetweenKeysChangesNothing)
{
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    EXPECT_EQ(decode(&decoder, "\x1b[A"), std::vector<int>{UP});
    keyDecoderPause(&decoder);
    EXPECT_EQ(decode(&decoder, "\x1bOB"), std::vector<int>{DOWN});
}

TEST(KeyDecoder, EndlessGarbageInsideASequenceNeverGrowsTheState)
{
    KeyDecoder decoder;
    keyDecoderInit(&decoder);
    EXPECT_TRUE(decode(&decoder, "\x1b[").empty());
    for (int i = 0; i < 100000; i++) {
        EXPECT_EQ(keyDecoderByte(&decoder, static_cast<unsigned char>('0' + i % 10)), KEY_NONE);
    }
    EXPECT_LE(decoder.parameters, KEY_DECODER_MAX_PARAMETERS);
    EXPECT_EQ(decode(&decoder, "A\x1b[A"), std::vector<int>{UP});
}

} // namespace
