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
    // Deletes all three texture names (0 for a picture that never loaded is
    // ignored), frees the textures block and the sprites. Needs the context
    // current; valid with or without any step having run.
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
    // VK_UP (38) adds 0.00872664 rad to spinAngle; every other code is
    // ignored.
    void spinKey(uint32_t code);

    // Called by init only. A picture that fails to load keeps texture name
    // 0 (drawn with OpenGL's default texture); a pixel buffer a failed
    // loader left behind is freed here.
    void loadTextures();
    // Spawns sprites 0..kSpriteCount-1 in index order; needs the textures.
    void spawnAll();
    // One schedule step per overdue sprite; starts a transition of 1..17 s
    // (random) once the current one has run its length.
    void advanceSchedule();
    // transitionLength = trunc(seconds * 3.75) steps (3..63 for 1..17 s),
    // flips uniformMode and draws a new uniformPicture.
    void startTransition(float seconds);
};

// The one scene; set by the constructor, never cleared.
extern SpriteScene* gCurrentScene;
