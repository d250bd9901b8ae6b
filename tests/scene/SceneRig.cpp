#include "tests/scene/SceneRig.h"

#include "common/Gl.h"
#include "platform/Platform.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <jpeglib.h>

#if !defined(_WIN32)
#include <dlfcn.h>
#include <link.h>
#endif

namespace {

const int kFullQuality = 100;
const float kParkingX = 1000.0f;
const float kParkingSpacing = 10.0f;
const float kParkedSize = 0.2f;
const double kCameraDistance = 5.5;

#if !defined(_WIN32)
int pinDriverModule(dl_phdr_info* info, size_t, void*)
{
    if (info->dlpi_name != nullptr && std::strstr(info->dlpi_name, "/dri/") != nullptr) {
        // Taking a second reference that is never dropped; the module is
        // already loaded, so this only marks it as not to be unloaded.
        dlopen(info->dlpi_name, RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
    }
    return 0;
}
#endif

// Mesa's driver module keeps a few blocks for the life of the process,
// reachable from its own statics. Each context's teardown unloads the
// module, after which the leak checker sees those blocks unreferenced and
// cannot even name their allocator; keeping the module loaded keeps them
// reachable.
void keepGlDriverLoaded()
{
#if !defined(_WIN32)
    static bool pinned = false;
    if (!pinned) {
        pinned = true;
        dl_iterate_phdr(pinDriverModule, nullptr);
    }
#endif
}

}  // namespace

TestPicture::TestPicture(int pictureWidth, int pictureHeight, int sampleComponents, unsigned char fill)
    : width(pictureWidth),
      height(pictureHeight),
      components(sampleComponents),
      samples(static_cast<size_t>(pictureWidth) * pictureHeight * sampleComponents, fill)
{
}

void TestPicture::fillRect(int left, int top, int rectWidth, int rectHeight, const unsigned char* value)
{
    for (int y = top; y < top + rectHeight && y < height; ++y) {
        for (int x = left; x < left + rectWidth && x < width; ++x) {
            std::memcpy(&samples[(static_cast<size_t>(y) * width + x) * components], value, components);
        }
    }
}

std::vector<unsigned char> TestPicture::encodeJpeg() const
{
    jpeg_compress_struct compressor;
    jpeg_error_mgr errors;
    compressor.err = jpeg_std_error(&errors);
    jpeg_create_compress(&compressor);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&compressor, &buffer, &size);
    compressor.image_width = static_cast<JDIMENSION>(width);
    compressor.image_height = static_cast<JDIMENSION>(height);
    compressor.input_components = components;
    compressor.in_color_space = components == 1 ? JCS_GRAYSCALE : JCS_RGB;
    jpeg_set_defaults(&compressor);
    jpeg_set_quality(&compressor, kFullQuality, TRUE);
    for (int c = 0; c < compressor.num_components; ++c) {
        compressor.comp_info[c].h_samp_factor = 1;
        compressor.comp_info[c].v_samp_factor = 1;
    }
    jpeg_start_compress(&compressor, TRUE);
    const size_t rowBytes = static_cast<size_t>(width) * components;
    while (compressor.next_scanline < compressor.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(&samples[compressor.next_scanline * rowBytes]);
        jpeg_write_scanlines(&compressor, &row, 1);
    }
    jpeg_finish_compress(&compressor);
    std::vector<unsigned char> stream(buffer, buffer + size);
    jpeg_destroy_compress(&compressor);
    std::free(buffer);
    return stream;
}

void ScenePictureSet::install() const
{
    platformClearResourceOverrides();
    const struct {
        const char* name;
        const std::vector<unsigned char>* stream;
    } entries[] = {{"JPEG_PELLIX_RGB", &sheetColour},
                   {"JPEG_PELLIX_MASK", &sheetMask},
                   {"CLOUDS_MASK", &clouds},
                   {"LOGO_MASK", &logo}};
    for (const auto& entry : entries) {
        const bool missing = entry.stream->empty();
        platformOverrideResource(entry.name, missing ? nullptr : entry.stream->data(),
                                 static_cast<uint32_t>(entry.stream->size()));
    }
}

ScenePictureSet plainScenePictures()
{
    ScenePictureSet set;
    set.sheetColour = TestPicture(1024, 512, 3, 0).encodeJpeg();
    set.sheetMask = TestPicture(1024, 512, 1, 255).encodeJpeg();
    set.clouds = TestPicture(1024, 256, 1, 0).encodeJpeg();
    set.logo = TestPicture(256, 64, 1, 255).encodeJpeg();
    return set;
}

SceneRig::SceneRig(int width, int height, int32_t seed) : context(width, height)
{
    if (!context.ready) {
        return;
    }
    keepGlDriverLoaded();
    gFixedRandomSeed = seed;
    renderer = new KaleidoRenderer(width, height);
    scene = renderer->scene;
}

SceneRig::~SceneRig()
{
    delete renderer;
    gFixedRandomSeed = -1;
}

void SceneRig::parkAllSprites()
{
    for (int i = 0; i < kSpriteCount; ++i) {
        Sprite& s = scene->sprites[i];
        s.position = Vec3(kParkingX + kParkingSpacing * static_cast<float>(i), 0.0f, 0.0f);
        s.velocity = Vec3();
        s.force = Vec3();
        s.size = kParkedSize;
        s.age = 0.0f;
        s.birthTime = renderer->timeSeconds;
    }
}

void SceneRig::drawScene(bool withSprites)
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, kCameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);
    scene->beginDraw();
    if (withSprites) {
        scene->drawSprites();
    }
    scene->endDraw();
    glFinish();
}
