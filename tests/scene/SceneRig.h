#pragma once

#include "renderer/KaleidoRenderer.h"
#include "scene/SpriteScene.h"
#include "tests/support/GlContext.h"

#include <cstdint>
#include <vector>

// A picture as plain samples, top row first: 1 (grey) or 3 (RGB) a pixel.
struct TestPicture {
    int width = 0;
    int height = 0;
    int components = 0;
    std::vector<unsigned char> samples;

    TestPicture(int pictureWidth, int pictureHeight, int sampleComponents, unsigned char fill);
    void fillRect(int left, int top, int rectWidth, int rectHeight, const unsigned char* value);
    // A baseline JPEG stream of the picture at full quality without chroma
    // subsampling, so that flat areas come back within a level or two.
    std::vector<unsigned char> encodeJpeg() const;
};

// The four streams the scene loads; an empty stream makes that resource
// missing. Install keeps pointers into the streams: they must outlive every
// scene built while the overrides stand.
struct ScenePictureSet {
    std::vector<unsigned char> sheetColour;
    std::vector<unsigned char> sheetMask;
    std::vector<unsigned char> clouds;
    std::vector<unsigned char> logo;

    void install() const;
};

// Plain test pictures in the built-in pictures' sizes: a black opaque
// 1024 x 512 sheet, fully transparent clouds, an opaque logo.
ScenePictureSet plainScenePictures();

// The real renderer (and so the real scene) on a fresh context of the given
// size, seeded with `seed`, loading the installed pictures.
struct SceneRig {
    TestGlContext context;
    KaleidoRenderer* renderer = nullptr;
    SpriteScene* scene = nullptr;

    SceneRig(int width, int height, int32_t seed);
    ~SceneRig();
    SceneRig(const SceneRig&) = delete;
    SceneRig& operator=(const SceneRig&) = delete;

    // Puts every sprite on its own far-away spot, at rest and freshly born,
    // so that the sprites a test places itself meet nothing else.
    void parkAllSprites();
    // Sets the camera as a frame does and draws the backdrop; with
    // `withSprites` also one unmirrored copy of the sprites.
    void drawScene(bool withSprites);
};
