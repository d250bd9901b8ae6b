#include "scene/SpriteScene.h"

#include "common/Gl.h"
#include "renderer/KaleidoRenderer.h"

#include <cmath>

namespace {

const float kGradientDegreesPerSecond = 8.0f;
const float kGradientHalfSide = 32.0f;
const float kGradientDepth = -10.0f;
const float kGradientDark[3] = {0.0f, 0.0f, 0.25f};
const float kGradientLight[3] = {0.5f, 0.5f, 1.0f};

// The cloud square covers the view's longer side at any aspect ratio.
const float kCloudScale = 7.75f;
const float kCloudDegreesPerSecond = 1.5f;
const float kCloudCyclesPerSecond = 0.2f;
const float kCloudWindowAspect = 0.25f;
const float kFirstLayerCentreU = 0.5f;
const float kSecondLayerCentreU = 1.0f;
const float kLayerHalfPeriod = 0.5f;

const float kLogoRadiansPerSecond = 0.1f;
const float kLogoX = 5.2f;
const float kLogoY = -5.1f;
const float kLogoHalfWidth = 2.0f;
const float kLogoHalfHeight = 0.32f;
const float kLogoAlpha = 0.1f;

// One cloud layer: alpha rises and falls over its phase while its texture
// window shrinks fourfold, so the clouds seem to approach.
void drawCloudLayer(float phase, float centreU)
{
    float alpha;
    float zoom;
    if (phase < 0.5f) {
        alpha = 2.0f * phase;
        zoom = std::pow(2.0f, 1.0f - 2.0f * phase);
    } else {
        const float q = 2.0f * phase - 1.0f;
        alpha = 1.0f - q;
        zoom = 1.0f / std::pow(2.0f, q);
    }
    const float w = kCloudWindowAspect * zoom;
    const float h = zoom;
    const float uMin = centreU - w / 2.0f;
    const float vMin = 0.5f - h / 2.0f;
    const float uMax = uMin + w;
    const float vMax = vMin + h;

    glColor4f(1.0f, 1.0f, 1.0f, alpha);
    glBegin(GL_QUADS);
    glTexCoord2f(uMin, vMax);
    glVertex3f(-1.0f, -1.0f, 0.0f);
    glTexCoord2f(uMax, vMax);
    glVertex3f(1.0f, -1.0f, 0.0f);
    glTexCoord2f(uMax, vMin);
    glVertex3f(1.0f, 1.0f, 0.0f);
    glTexCoord2f(uMin, vMin);
    glVertex3f(-1.0f, 1.0f, 0.0f);
    glEnd();
}

GLuint textureNameOf(const SceneTextures* textures, const TextureImage SceneTextures::*record)
{
    return textures != nullptr ? (textures->*record).textureName : 0;
}

}  // namespace

void SpriteScene::beginDraw()
{
    const float t = owner->timeSeconds;

    glDisable(GL_CULL_FACE);
    glPushMatrix();
    glRotatef(t * kGradientDegreesPerSecond, 0.0f, 0.0f, 1.0f);
    glBegin(GL_QUADS);
    glColor3f(kGradientDark[0], kGradientDark[1], kGradientDark[2]);
    glVertex3f(-kGradientHalfSide, kGradientHalfSide, kGradientDepth);
    glVertex3f(kGradientHalfSide, kGradientHalfSide, kGradientDepth);
    glColor3f(kGradientLight[0], kGradientLight[1], kGradientLight[2]);
    glVertex3f(kGradientHalfSide, -kGradientHalfSide, kGradientDepth);
    glVertex3f(-kGradientHalfSide, -kGradientHalfSide, kGradientDepth);
    glEnd();
    glPopMatrix();

    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_TEXTURE_2D);

    glPushMatrix();
    // A window without area would give an aspect of 0 or no number at all;
    // it is drawn as if square.
    float aspect = 1.0f;
    if (owner->width > 0 && owner->height > 0) {
        aspect = static_cast<float>(owner->width) / static_cast<float>(owner->height);
    }
    const float scale = aspect >= 1.0f ? kCloudScale * aspect : kCloudScale / aspect;
    glScalef(scale, scale, scale);
    glRotatef(t * kCloudDegreesPerSecond, 0.0f, 0.0f, 1.0f);
    glBindTexture(GL_TEXTURE_2D, textureNameOf(textures, &SceneTextures::clouds));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    const float cycle = t * kCloudCyclesPerSecond;
    const float ahead = cycle + kLayerHalfPeriod;
    drawCloudLayer(cycle - std::trunc(cycle), kFirstLayerCentreU);
    drawCloudLayer(ahead - std::trunc(ahead), kSecondLayerCentreU);
    glPopMatrix();

    const float k = (std::cos(t * kLogoRadiansPerSecond) + 1.0f) * 0.5f;
    glBindTexture(GL_TEXTURE_2D, textureNameOf(textures, &SceneTextures::logo));
    glPushMatrix();
    glTranslatef(kLogoX, kLogoY, 0.0f);
    glColor4f(k, k, 1.0f - k, kLogoAlpha);
    glBegin(GL_QUADS);
    glTexCoord2f(0.0f, 1.0f);
    glVertex3f(-kLogoHalfWidth, -kLogoHalfHeight, 0.0f);
    glTexCoord2f(1.0f, 1.0f);
    glVertex3f(kLogoHalfWidth, -kLogoHalfHeight, 0.0f);
    glTexCoord2f(1.0f, 0.0f);
    glVertex3f(kLogoHalfWidth, kLogoHalfHeight, 0.0f);
    glTexCoord2f(0.0f, 0.0f);
    glVertex3f(-kLogoHalfWidth, kLogoHalfHeight, 0.0f);
    glEnd();
    glPopMatrix();

    glBindTexture(GL_TEXTURE_2D, textureNameOf(textures, &SceneTextures::spriteSheet));
    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    // Left pushed for endDraw; the renderer draws the wedge copies inside.
    glPushMatrix();
}

void SpriteScene::drawSprites()
{
    if (sprites == nullptr) {
        return;
    }
    for (int32_t i = 0; i < kSpriteCount; ++i) {
        sprites[i].draw();
    }
}

void SpriteScene::endDraw()
{
    glPopMatrix();
    glDisable(GL_BLEND);
    glDisable(GL_TEXTURE_2D);
}

void Sprite::draw() const
{
    // The square lies one unit in front of the backdrop layers.
    const float kSpriteDepth = 1.0f;

    glPushMatrix();
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation, 0.0f, 0.0f, 1.0f);
    glScalef(size, size, 1.0f);
    glBegin(GL_QUADS);
    glNormal3f(0.0f, 0.0f, 1.0f);
    glColor3f(1.0f, 1.0f, 1.0f);
    glTexCoord2f(cellU, cellV + cellHeight);
    glVertex3f(-1.0f, -1.0f, kSpriteDepth);
    glTexCoord2f(cellU + cellWidth, cellV + cellHeight);
    glVertex3f(1.0f, -1.0f, kSpriteDepth);
    glTexCoord2f(cellU + cellWidth, cellV);
    glVertex3f(1.0f, 1.0f, kSpriteDepth);
    glTexCoord2f(cellU, cellV);
    glVertex3f(-1.0f, 1.0f, kSpriteDepth);
    glEnd();
    glPopMatrix();
}
