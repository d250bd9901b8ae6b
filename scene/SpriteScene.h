#pragma once

#include "images/TextureImage.h"
#include "scene/Sprite.h"

#include <cstdint>

struct KaleidoRenderer;

// The kaleidoscope's content: 60 sprites inside one wedge, their textures,
// the picture schedule and the up-arrow spin. Created and owned by the
// renderer; every operation needs the renderer's OpenGL context current.
struct SpriteScene {
    Sprite* sprites;           // kSpriteCount, owned; null until init
    KaleidoRenderer* owner;    // not owned; read for timeSeconds, width, height
    float spinAngle;           // radians, applied and decayed by step
    int32_t scheduleStep;      // steps taken in the current picture transition
    int32_t transitionLength;  // steps the current picture transition lasts
    bool uniformMode;          // renewed sprites all take uniformPicture
    int32_t uniformPicture;    // 0 .. pictureCount - 1
    int32_t pictureCount;      // kPictureCount
    SceneTextures* textures;   // malloc'ed, owned; null until init

    // Sets gCurrentScene; draws uniformMode at random.
    explicit SpriteScene(KaleidoRenderer* ownerRenderer);
    // Deletes the texture names, frees the textures block and the sprites.
    ~SpriteScene();
    SpriteScene(const SpriteScene&) = delete;
    SpriteScene& operator=(const SpriteScene&) = delete;

    // Allocates the sprites, loads the textures, spawns, sets the clear colour.
    void init();
    // One frame of motion: spin, forces, motion and aging, spin decay.
    void step();
    // Backdrop, then the sprite state (see the drawing file); endDraw undoes it.
    void beginDraw();
    void drawSprites();
    void endDraw();
    // VK_UP (38) adds a spin impulse; every other code is ignored.
    void spinKey(uint32_t code);

    void loadTextures();
    void spawnAll();
    void advanceSchedule();
    void startTransition(float seconds);
};

// The one scene; set by the constructor, never cleared.
extern SpriteScene* gCurrentScene;
