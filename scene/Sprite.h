#pragma once

#include "common/Vec3.h"

#include <cstdint>

const int kSpriteCount = 60;
const int kPictureCount = 42;
const float kLifeSeconds = 16.0f;
const int kCellPixels = 96;
const int kCellsPerRow = 9;

// One glass disc of the kaleidoscope. Lives of kLifeSeconds follow one
// another; a sprite takes a new picture only when a life has ended and it has
// left the quadrant x >= 0, y <= 0 that holds the visible wedge.
// The operations reach the scene (clock, schedule, sheet size) through
// gCurrentScene.
struct Sprite {
    Vec3 position;  // centre, wedge coordinates, scene units; z stays 0
    Vec3 velocity;  // displacement per step
    Vec3 force;     // push accumulated during one step
    float age = 0.0f;        // 0 at birth, 1 at the end of the life
    float birthTime = 0.0f;  // owner's timeSeconds when the life began; may be < 0
    float size = 0.0f;       // radius, 0.2 .. 0.6
    float rotation = 0.0f;   // degrees about z
    int32_t picture = 0;     // 0 .. kPictureCount - 1
    float cellU = 0.0f;      // texture coordinates of the cell's left and top edges
    float cellV = 0.0f;
    float cellWidth = 0.0f;
    float cellHeight = 0.0f;

    // First life, staggered by index (0 .. kSpriteCount - 1): random place
    // within radius 4, at rest, random size, age index / 60. Draws its random
    // values in a fixed order so that one seed gives the same sprites on
    // every build. A sheet with no size is taken as 1024 x 512 for the cells.
    void spawn(int32_t index);
    // New life: birth time, picture, cell and rotation; position, velocity,
    // force and size stay.
    void renew();
    // Ages the sprite after it has moved; may renew it and advance the
    // scene's picture schedule.
    void updateAge();
    // Draws the textured square in the current modelview matrix.
    void draw() const;
};
