/*
 * The running program uses no heap: this test program replaces the global
 * allocation functions with counting ones, runs the system's own main loop
 * through the scripted backend for 100,000 passes of keys, timers and
 * panels, and finds no allocation after the first pass (start-up, the
 * scenario and the output buffer of standard output come before it).
 *
 * The C library's malloc family is counted too where it can be wrapped
 * (glibc, without AddressSanitizer, which owns malloc itself), so that a
 * panel written through stdio is seen to allocate nothing either.
 */
#include "../../platform/scripted.h"
#include "../../src/Defind.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <new>
#include <string>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define DOORLOCK_UNDER_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define DOORLOCK_UNDER_ASAN 1
#endif
#if defined(__GLIBC__) && !defined(DOORLOCK_UNDER_ASAN)
#define DOORLOCK_COUNT_MALLOC 1
#endif

namespace {

bool counting = false;
long newCalls = 0;
long mallocCalls = 0;

void *allocate(size_t size)
{
    if (counting) {
        newCalls++;
    }
    void *block = malloc(size == 0 ? 1 : size);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

void *allocateAligned(size_t size, std::align_val_t alignment)
{
    if (counting) {
        newCalls++;
    }
    const size_t align = static_cast<size_t>(alignment);
    void *block = aligned_alloc(align, (size + align - 1) / align * align);
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    return block;
}

} // namespace

void *operator new(size_t size)
{
    return allocate(size);
}
void *operator new[](size_t size)
{
    return allocate(size);
}
void *operator new(size_t size, const std::nothrow_t & /*tag*/) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new[](size_t size, const std::nothrow_t & /*tag*/) noexcept
{
    try {
        return allocate(size);
    } catch (const std::bad_alloc &) {
        return nullptr;
    }
}
void *operator new(size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void *operator new[](size_t size, std::align_val_t alignment)
{
    return allocateAligned(size, alignment);
}
void operator delete(void *block) noexcept
{
    free(block);
}
void operator delete[](void *block) noexcept
{
    free(block);
}
void operator delete(void *block, size_t /*size*/) noexcept
{
    free(block);
}
void operator delete[](void *block, size_t /*size*/) noexcept
{
    free(block);
}
void operator delete(void *block, std::align_val_t /*alignment*/) noexcept
{
    free(block);
}
void operator delete[](void *block, std::align_val_t /*alignment*/) noexcept
{
    free(block);
}
void operator delete(void *block, size_t /*size*/, std::align_val_t /*alignment*/) noexcept
{
    free(block);
}
void operator delete[](void *block, size_t /*size*/, std::align_val_t /*alignment*/) noexcept
{
    free(block);
}

#ifdef DOORLOCK_COUNT_MALLOC
/*
 * glibc lets a program replace malloc; these count and hand on to glibc's own
 * allocator, which it exports under reserved names (and its header names the
 * parameters with reserved names too, hence the NOLINT).
 */
// NOLINTBEGIN(readability-inconsistent-declaration-parameter-name,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
extern "C" {
void *__libc_malloc(size_t size);
void *__libc_calloc(size_t count, size_t size);
void *__libc_realloc(void *block, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
void __libc_free(void *block);

void *malloc(size_t size)
{
    mallocCalls += counting ? 1 : 0;
    return __libc_malloc(size);
}
void *calloc(size_t count, size_t size)
{
    mallocCalls += counting ? 1 : 0;
    return __libc_calloc(count, size);
}
void *realloc(void *block, size_t size)
{
    mallocCalls += counting ? 1 : 0;
    return __libc_realloc(block, size);
}
void *aligned_alloc(size_t alignment, size_t size)
{
    mallocCalls += counting ? 1 : 0;
    return __libc_memalign(alignment, size);
}
void *memalign(size_t alignment, size_t size)
{
    mallocCalls += counting ? 1 : 0;
    return __libc_memalign(alignment, size);
}
int posix_memalign(void **block, size_t alignment, size_t size)
{
    mallocCalls += counting ? 1 : 0;
    *block = __libc_memalign(alignment, size);
    return *block == nullptr ? ENOMEM : 0;
}
void free(void *block)
{
    __libc_free(block);
}
}
// NOLINTEND(readability-inconsistent-declaration-parameter-name,bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp)
#endif

namespace {

struct RunEnded {
    int status;
};

long passes = 0;

void countFromTheSecondPass(uint64_t /*elapsedMs*/)
{
    passes++;
    if (passes == 1) {
        counting = true;
    }
}

[[noreturn]] void endRun(int status)
{
    counting = false;
    throw RunEnded{status};
}

/*
 * About 100 passes of every input: wrong, cancelled and right entries, a held
 * digit, the door, the key, the button, the cover with a digit marked under
 * it, and every timer running out.
 */
const char useOfTheLock[] = "type 5678\n"
                            "wait 600\n"
                            "type 1\n"
                            "wait 2200\n"
                            "type 1234\n"
                            "tap right\n"
                            "pass\n"
                            "tap right\n"
                            "wait 3200\n"
                            "tap left\n"
                            "pass\n"
                            "tap up\n"
                            "pass\n"
                            "tap down\n"
                            "pass\n"
                            "tap 3\n"
                            "pass\n"
                            "tap down\n"
                            "pass 2\n"
                            "wait 2200\n"
                            "press 9\n"
                            "pass 4\n"
                            "release 9\n"
                            "wait 600\n";

const long PASSES = 100000;

struct QuietRun {
    int status = -1;
    off_t outputBytes = 0;
};

/* Runs the scenario with standard output sent to a scratch file, thrown away after. */
QuietRun runQuietly(const Scenario &scenario, int encoding)
{
    QuietRun run;
    fflush(stdout);
    const int savedOutput = dup(1);
    char scratchName[] = "/tmp/doorlock-alloc-XXXXXX";
    const int scratch = mkstemp(scratchName);
    if (scratch < 0) {
        ADD_FAILURE() << "cannot make a scratch file";
        return run;
    }
    unlink(scratchName);
    dup2(scratch, 1);

    passes = 0;
    newCalls = 0;
    mallocCalls = 0;
    scriptLoad(&scenario, "alloc.scn", encoding);
    scriptSetPassHandler(countFromTheSecondPass);
    scriptSetEndHandler(endRun);
    try {
        doorlockMain();
    } catch (const RunEnded &ended) {
        run.status = ended.status;
    }
    counting = false;
    scriptSetPassHandler(nullptr);
    scriptSetEndHandler(nullptr);

    fflush(stdout);
    run.outputBytes = lseek(1, 0, SEEK_END);
    dup2(savedOutput, 1);
    close(savedOutput);
    close(scratch);
    return run;
}

class NoHeap : public testing::TestWithParam<int> {};

TEST_P(NoHeap, AHundredThousandPassesWithKeysAndPanelsAllocateNothing)
{
    std::string text = "type 1234\ntap right\nwait 3200\n";
    for (int use = 0; use < 1600; use++) {
        text += useOfTheLock;
    }
    Scenario scenario;
    std::string error;
    ASSERT_TRUE(parseScenario(text, "alloc.scn", scenario, error)) << error;

    const QuietRun run = runQuietly(scenario, GetParam());
    EXPECT_EQ(run.status, 0);
    EXPECT_GT(passes, PASSES);
    /* A panel is about 250 bytes: most of these passes wrote one. */
    EXPECT_GT(run.outputBytes, 100 * PASSES);
    EXPECT_EQ(newCalls, 0);
    EXPECT_EQ(mallocCalls, 0);
}

INSTANTIATE_TEST_SUITE_P(Encodings, NoHeap, testing::Values(TEXT_UTF8, TEXT_CP949),
                         [](const testing::TestParamInfo<int> &param) {
                             return std::string(param.param == TEXT_CP949 ? "Cp949" : "Utf8");
                         });

/* Without this the test above could pass with counters that never count. */
void *volatile kept;

TEST(AllocationCounters, SeeAnAllocationWhileCounting)
{
    newCalls = 0;
    mallocCalls = 0;
    counting = true;
    kept = ::operator new(16);
    ::operator delete(kept);
    kept = malloc(16);
    free(kept);
    counting = false;
    EXPECT_EQ(newCalls, 1);
#ifdef DOORLOCK_COUNT_MALLOC
    EXPECT_EQ(mallocCalls, 2);
#endif
}

} // namespace
