// The loaders always upload what they decode, so their decoding time is
// taken as the loader time less the time of uploading the same pixels;
// both are measured side by side in one run with plain libjpeg
// (jpeg_mem_src) decoding the same resource bytes.
#include "images/JpegLoader.h"
#include "images/TextureUpload.h"
#include "platform/Platform.h"
#include "tests/support/GlContext.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <jpeglib.h>

namespace {

const int kContextSize = 16;
const double kTargetRatio = 1.10;

struct Stream {
    const char* name = nullptr;
    const unsigned char* data = nullptr;
    uint32_t size = 0;
};

// The three pictures as the scene loads them: the sheet from two streams.
enum Picture { kSheet, kClouds, kLogo, kPictureCount };
const char* const kStreamNames[] = {"JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK", "CLOUDS_MASK", "LOGO_MASK"};
const int kStreamCount = 4;

struct Decoded {
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    std::vector<unsigned char> samples;
};

Stream findStream(const char* name)
{
    Stream stream;
    stream.name = name;
    platformFindResource(name, &stream.data, &stream.size);
    return stream;
}

// Plain libjpeg: its memory source, rows straight into a calloc'ed buffer,
// as an application without its own source manager would decode. The
// built-in streams are complete, so the library's default error exit is
// never reached.
unsigned char* decodePlain(const Stream& stream, uint32_t& width, uint32_t& height, int& components)
{
    jpeg_decompress_struct decompressor;
    jpeg_error_mgr errors;
    decompressor.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&decompressor);
    jpeg_mem_src(&decompressor, const_cast<unsigned char*>(stream.data), stream.size);
    jpeg_read_header(&decompressor, TRUE);
    jpeg_start_decompress(&decompressor);
    width = decompressor.output_width;
    height = decompressor.output_height;
    components = decompressor.output_components;
    const size_t rowBytes = size_t(width) * components;
    unsigned char* pixels = static_cast<unsigned char*>(std::calloc(rowBytes * height, 1));
    while (decompressor.output_scanline < decompressor.output_height) {
        JSAMPROW row = pixels + decompressor.output_scanline * rowBytes;
        jpeg_read_scanlines(&decompressor, &row, 1);
    }
    jpeg_finish_decompress(&decompressor);
    jpeg_destroy_decompress(&decompressor);
    return pixels;
}

// The streams of each picture: the sheet has two.
const int kFirstStream[kPictureCount] = {0, 2, 3};
const int kStreamsOf[kPictureCount] = {2, 1, 1};

void decodePicturePlain(const Stream* streams, int picture)
{
    for (int i = kFirstStream[picture]; i < kFirstStream[picture] + kStreamsOf[picture]; ++i) {
        uint32_t width = 0;
        uint32_t height = 0;
        int components = 0;
        unsigned char* pixels = decodePlain(streams[i], width, height, components);
        benchmark::DoNotOptimize(pixels);
        std::free(pixels);
    }
}

void decodeAllPlain(const Stream* streams)
{
    for (int picture = 0; picture < kPictureCount; ++picture) {
        decodePicturePlain(streams, picture);
    }
}

void loadPicture(TextureImage& image, int picture)
{
    std::memset(&image, 0, sizeof(image));
    if (picture == kSheet) {
        LoadJpegTextureWithMask(image, "JPEG_PELLIX_RGB", "JPEG_PELLIX_MASK");
    } else {
        LoadJpegTexture(image, kStreamNames[kFirstStream[picture]]);
    }
}

void loadAll(TextureImage* images)
{
    for (int picture = 0; picture < kPictureCount; ++picture) {
        loadPicture(images[picture], picture);
    }
}

void deleteAll(TextureImage* images)
{
    for (int i = 0; i < kPictureCount; ++i) {
        glDeleteTextures(1, &images[i].textureName);
    }
}

// The pictures' decoded pixels, kept to feed the uploads.
struct PictureSet {
    TestGlContext gl{kContextSize, kContextSize};
    Stream streams[kStreamCount];
    Decoded pictures[kPictureCount];
    bool ready = false;

    PictureSet()
    {
        for (int i = 0; i < kStreamCount; ++i) {
            streams[i] = findStream(kStreamNames[i]);
        }
        Decoded rgb;
        Decoded mask;
        Decoded* targets[] = {&rgb, &mask, &pictures[kClouds], &pictures[kLogo]};
        for (int i = 0; i < kStreamCount; ++i) {
            Decoded& d = *targets[i];
            unsigned char* pixels = decodePlain(streams[i], d.width, d.height, d.components);
            d.samples.assign(pixels, pixels + size_t(d.width) * d.height * d.components);
            std::free(pixels);
        }
        Decoded& sheet = pictures[kSheet];
        sheet.width = rgb.width;
        sheet.height = rgb.height;
        sheet.components = 4;
        sheet.samples.resize(size_t(rgb.width) * rgb.height * 4);
        for (size_t i = 0; i < size_t(rgb.width) * rgb.height; ++i) {
            std::memcpy(&sheet.samples[4 * i], &rgb.samples[3 * i], 3);
            sheet.samples[4 * i + 3] = mask.samples[i];
        }
        ready = gl.ready;
    }

    // A record as a loader leaves it before its upload.
    TextureImage decodedRecord(int picture) const
    {
        const Decoded& d = pictures[picture];
        TextureImage image;
        std::memset(&image, 0, sizeof(image));
        image.pixels = static_cast<unsigned char*>(std::malloc(d.samples.size()));
        std::memcpy(image.pixels, d.samples.data(), d.samples.size());
        image.bitsPerPixel = d.components * 8;
        image.width = d.width;
        image.height = d.height;
        return image;
    }
};

PictureSet& pictureSet()
{
    static PictureSet set;
    return set;
}

double gMeasuredRatio = 0.0;

// CPU time of this thread: other engineers' processes on the machine do not
// count against either side.
double threadSeconds()
{
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + 1e-9 * double(now.tv_nsec);
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? 0.0 : values[values.size() / 2];
}

void BM_PlainDecodeFourStreams(benchmark::State& state)
{
    PictureSet& set = pictureSet();
    for (auto _ : state) {
        decodeAllPlain(set.streams);
    }
}
BENCHMARK(BM_PlainDecodeFourStreams)->Unit(benchmark::kMillisecond);

void BM_LoadersWithUploads(benchmark::State& state)
{
    PictureSet& set = pictureSet();
    if (!set.ready) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    TextureImage images[kPictureCount];
    for (auto _ : state) {
        loadAll(images);
        state.PauseTiming();
        deleteAll(images);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadersWithUploads)->Unit(benchmark::kMillisecond);

void BM_Upload(benchmark::State& state)
{
    PictureSet& set = pictureSet();
    if (!set.ready) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    const int picture = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        TextureImage image = set.decodedRecord(picture);
        state.ResumeTiming();
        UploadTexture(image);
        state.PauseTiming();
        glDeleteTextures(1, &image.textureName);
        state.ResumeTiming();
    }
    const char* const labels[] = {"sprite sheet 1024x512 RGBA", "clouds 1024x256 alpha", "logo 256x64 alpha"};
    state.SetLabel(labels[picture]);
}
BENCHMARK(BM_Upload)->Arg(kSheet)->Arg(kClouds)->Arg(kLogo)->Unit(benchmark::kMillisecond);

// All three measured in every iteration, so drift hits them alike.
void BM_LoaderDecodeRatio(benchmark::State& state)
{
    PictureSet& set = pictureSet();
    if (!set.ready) {
        state.SkipWithError("no OpenGL context");
        return;
    }
    // Per picture and iteration: plain decode, upload, loader.
    std::vector<double> plain[kPictureCount];
    std::vector<double> uploads[kPictureCount];
    std::vector<double> loaders[kPictureCount];
    std::vector<double> plainTotal;
    std::vector<double> loaderDecodeTotal;
    TextureImage images[kPictureCount];
    for (auto _ : state) {
        double plainSum = 0.0;
        double loaderDecodeSum = 0.0;
        for (int picture = 0; picture < kPictureCount; ++picture) {
            images[picture] = set.decodedRecord(picture);
            // The plain decode runs between preparing the pixels and
            // uploading them, so the upload finds the caches as it does
            // inside a loader, right after its decode.
            double start = threadSeconds();
            decodePicturePlain(set.streams, picture);
            const double plainTime = threadSeconds() - start;

            start = threadSeconds();
            UploadTexture(images[picture]);
            const double upload = threadSeconds() - start;
            glDeleteTextures(1, &images[picture].textureName);

            start = threadSeconds();
            loadPicture(images[picture], picture);
            const double loader = threadSeconds() - start;
            glDeleteTextures(1, &images[picture].textureName);

            plain[picture].push_back(plainTime);
            uploads[picture].push_back(upload);
            loaders[picture].push_back(loader);
            plainSum += plainTime;
            loaderDecodeSum += loader - upload;
        }
        plainTotal.push_back(plainSum);
        loaderDecodeTotal.push_back(loaderDecodeSum);
        state.SetIterationTime(plainSum);
    }
    // Medians, so that a descheduled iteration does not tip the ratio.
    gMeasuredRatio = median(loaderDecodeTotal) / median(plainTotal);
    const char* const names[] = {"sheet", "clouds", "logo"};
    for (int picture = 0; picture < kPictureCount; ++picture) {
        const double decode = median(loaders[picture]) - median(uploads[picture]);
        state.counters[std::string(names[picture]) + "_ratio"] = decode / median(plain[picture]);
    }
    state.counters["plain_ms"] = 1000.0 * median(plainTotal);
    state.counters["loader_decode_ms"] = 1000.0 * median(loaderDecodeTotal);
    state.counters["decode_ratio"] = gMeasuredRatio;
}
BENCHMARK(BM_LoaderDecodeRatio)->UseManualTime()->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (gMeasuredRatio > 0.0) {
        std::printf("decode through the loaders / plain libjpeg (jpeg_mem_src), four streams: %.3f (target <= %.2f)\n",
                    gMeasuredRatio, kTargetRatio);
    }
    return 0;
}
