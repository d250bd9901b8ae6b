// The memory source and the jumping error manager, driven directly through
// the real libjpeg decompressor.
#include "images/MemorySource.h"
#include "tests/images/PictureCheck.h"

#include <gtest/gtest.h>

#include <jerror.h>

#include <climits>
#include <csetjmp>
#include <cstring>

namespace {

const int kInterfaceVersion = 62;

// A created decompressor whose errors come back through LoaderErrorExit.
struct Decompressor {
    jpeg_decompress_struct info;
    LoaderErrorManager errors;

    Decompressor()
    {
        std::memset(&info, 0, sizeof(info));
        jpeg_std_error(&errors.pub);
        errors.pub.error_exit = LoaderErrorExit;
        info.err = &errors.pub;
        jpeg_CreateDecompress(&info, kInterfaceVersion, sizeof(info));
    }
    ~Decompressor() { jpeg_destroy_decompress(&info); }
};

TEST(MemorySource, IsAllocatedOnceAndRepointedAtEachBlock)
{
    const unsigned char first[] = {1, 2, 3, 4, 5};
    const unsigned char second[] = {9, 8, 7};
    MemoryBlock firstBlock{first, sizeof(first)};
    MemoryBlock secondBlock{second, sizeof(second)};
    Decompressor decompressor;
    ASSERT_EQ(decompressor.info.src, nullptr);

    SetMemorySource(&decompressor.info, &firstBlock);
    jpeg_source_mgr* const source = decompressor.info.src;
    ASSERT_NE(source, nullptr);
    EXPECT_EQ(source->next_input_byte, first);
    EXPECT_EQ(source->bytes_in_buffer, sizeof(first));
    EXPECT_EQ(reinterpret_cast<MemorySourceManager*>(source)->block, &firstBlock);
    EXPECT_EQ(source->resync_to_restart, &jpeg_resync_to_restart);
    source->skip_input_data(&decompressor.info, 2);

    SetMemorySource(&decompressor.info, &secondBlock);
    EXPECT_EQ(decompressor.info.src, source) << "a second source manager was made";
    EXPECT_EQ(source->next_input_byte, second);
    EXPECT_EQ(source->bytes_in_buffer, sizeof(second));
    EXPECT_EQ(reinterpret_cast<MemorySourceManager*>(source)->block, &secondBlock);
}

TEST(MemorySource, SkipStaysInsideTheBlock)
{
    const unsigned char bytes[10] = {};
    struct Case {
        long first;
        long second;
        size_t expectedRemaining;
    };
    const Case cases[] = {
        {0, 0, 10},        {-1, 0, 10},    {-100000, LONG_MIN, 10}, {3, 0, 7},  {3, 4, 3},
        {10, 0, 0},        {11, 0, 0},     {4, 100, 0},             {LONG_MAX, 1, 0},
    };
    for (const Case& c : cases) {
        MemoryBlock block{bytes, sizeof(bytes)};
        Decompressor decompressor;
        SetMemorySource(&decompressor.info, &block);
        jpeg_source_mgr* source = decompressor.info.src;
        source->skip_input_data(&decompressor.info, c.first);
        source->skip_input_data(&decompressor.info, c.second);
        EXPECT_EQ(source->bytes_in_buffer, c.expectedRemaining) << c.first << " then " << c.second;
        EXPECT_EQ(source->next_input_byte, bytes + (sizeof(bytes) - c.expectedRemaining)) << c.first;
    }
}

TEST(MemorySource, EndOfDataGivesEndOfImageMarkerAndOneWarning)
{
    const unsigned char bytes[] = {0xFF, 0xD8};
    MemoryBlock block{bytes, sizeof(bytes)};
    Decompressor decompressor;
    SetMemorySource(&decompressor.info, &block);
    jpeg_source_mgr* source = decompressor.info.src;
    source->skip_input_data(&decompressor.info, 2);

    StderrLines messages;
    for (int ask = 0; ask < 3; ++ask) {
        EXPECT_TRUE(source->fill_input_buffer(&decompressor.info));
        ASSERT_EQ(source->bytes_in_buffer, 2u);
        EXPECT_EQ(source->next_input_byte[0], 0xFF);
        EXPECT_EQ(source->next_input_byte[1], JPEG_EOI);
        source->skip_input_data(&decompressor.info, 2);
    }
    EXPECT_EQ(decompressor.errors.pub.msg_code, JWRN_JPEG_EOF);
    EXPECT_EQ(decompressor.errors.pub.num_warnings, 3);
    // The library's standard handling writes only the first warning.
    EXPECT_EQ(messages.lines(), 1) << messages.text;
}

TEST(LoaderErrorExit, WritesOneLineAndJumpsBack)
{
    struct Case {
        const char* what;
        int version;
        const unsigned char* stream;
        uint32_t size;
    };
    const unsigned char notJpeg[] = {'G', 'I', 'F', '8', '9', 'a', 0, 0};
    const unsigned char noImage[] = {0xFF, 0xD8, 0xFF, 0xD9};
    const Case cases[] = {
        {"version mismatch at creation", kInterfaceVersion - 1, nullptr, 0},
        {"not a JPEG stream", kInterfaceVersion, notJpeg, sizeof(notJpeg)},
        {"a stream without an image", kInterfaceVersion, noImage, sizeof(noImage)},
    };
    for (const Case& c : cases) {
        jpeg_decompress_struct info;
        std::memset(&info, 0, sizeof(info));
        LoaderErrorManager errors;
        jpeg_std_error(&errors.pub);
        errors.pub.error_exit = LoaderErrorExit;
        info.err = &errors.pub;
        MemoryBlock block{c.stream, c.size};
        StderrLines messages;
        volatile int reachedEnd = 0;
        volatile int jumped = 0;
        if (setjmp(errors.recovery) != 0) {
            jumped = 1;
        } else {
            jpeg_CreateDecompress(&info, c.version, sizeof(info));
            SetMemorySource(&info, &block);
            jpeg_read_header(&info, TRUE);
            reachedEnd = 1;
        }
        jpeg_destroy_decompress(&info);
        EXPECT_EQ(jumped, 1) << c.what;
        EXPECT_EQ(reachedEnd, 0) << c.what;
        EXPECT_EQ(messages.lines(), 1) << c.what << ": " << messages.text;
    }
}

}  // namespace
