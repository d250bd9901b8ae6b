#include "renderer/KaleidoRenderer.h"

#include "common/Gl.h"
#include "platform/Platform.h"
#include "scene/SpriteScene.h"

#include <ctime>

KaleidoRenderer* gRenderer = nullptr;
int32_t gFixedRandomSeed = -1;

namespace {

const unsigned kSeedCount = 256;
const double kFieldOfViewDegrees = 90.0;
const double kNearPlane = 1.0;
const double kFarPlane = 20.0;
const double kCameraDistance = 5.5;
const float kTransitionSeconds = 2.0f;

}  // namespace

KaleidoRenderer::KaleidoRenderer(int32_t clientWidth, int32_t clientHeight)
{
    gRenderer = this;
    transitionActive = false;

    const unsigned seed = gFixedRandomSeed >= 0
                              ? static_cast<unsigned>(gFixedRandomSeed)
                              : static_cast<unsigned>(std::time(nullptr) % kSeedCount);
    platformSeedRandom(seed);
    platformRandom();

    width = clientWidth;
    height = clientHeight;
    targetFps = kTargetFps;
    pauseMs = kInitialPauseMs;
    mirrorsOff = false;
    currentAngle = kInitialWedgeAngle;
    transitionDuration = kTransitionSeconds;

    updateGeometry(kInitialWedgeAngle);
    setProjection();
    startClock();

    scene = new SpriteScene(this);
    scene->init();

    glClearDepth(1.0);
    glEnable(GL_DEPTH_TEST);
    glDepthFunc(GL_LEQUAL);
    glHint(GL_PERSPECTIVE_CORRECTION_HINT, GL_NICEST);
}

KaleidoRenderer::~KaleidoRenderer()
{
    delete scene;
    scene = nullptr;
    if (gRenderer == this) {
        gRenderer = nullptr;
    }
}

void KaleidoRenderer::setProjection()
{
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    const double aspect = height > 0 ? static_cast<double>(width) / static_cast<double>(height) : 1.0;
    gluPerspective(kFieldOfViewDegrees, aspect, kNearPlane, kFarPlane);
    glMatrixMode(GL_MODELVIEW);
}

void KaleidoRenderer::resize(int32_t clientWidth, int32_t clientHeight)
{
    width = clientWidth;
    height = clientHeight;
    setProjection();
}

bool KaleidoRenderer::drawFrame(uint32_t flags)
{
    mirrorsOn = (flags & FrameFlagMirrors) != 0 && !mirrorsOff;

    glDrawBuffer(GL_BACK);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    gluLookAt(0.0, 0.0, kCameraDistance, 0.0, 0.0, 0.0, 0.0, 1.0, 0.0);

    advanceFrame();
    drawWedges();
    glFlush();
    return true;
}

void KaleidoRenderer::advanceFrame()
{
    updateClock();
    scene->step();

    if (transitionActive) {
        const float t = (timeSeconds - transitionStart) / transitionDuration;
        if (t >= 1.0f) {
            transitionActive = false;
            currentAngle = transitionTo;
        } else {
            currentAngle = transitionFrom + (transitionTo - transitionFrom) * t * t * (3.0f - 2.0f * t);
        }
    }

    updateGeometry(currentAngle);
}

void KaleidoRenderer::drawWedges()
{
    glPushMatrix();
    scene->beginDraw();

    if (mirrorsOn) {
        glEnable(GL_CLIP_PLANE0);
        glEnable(GL_CLIP_PLANE1);
    }

    for (int32_t i = 0; i < wedgeCount; i += 2) {
        glPushMatrix();
        glRotatef(static_cast<float>(i) * wedgeAngle, 0.0f, 0.0f, 1.0f);
        glFrontFace(GL_CCW);

        if (i + 1 < wedgeCount) {
            const bool partial = hasRemainder && i + 1 == wedgeCount - 1;
            glClipPlane(GL_CLIP_PLANE0, &(partial ? remainderStartPlane : startPlane).a);
            glClipPlane(GL_CLIP_PLANE1, &(partial ? remainderFarPlane : farPlane).a);
            scene->drawSprites();
        }

        if (mirrorsOn) {
            glScalef(-1.0f, 1.0f, 1.0f);
            glFrontFace(GL_CW);
            const bool partial = hasRemainder && i == wedgeCount - 1;
            glClipPlane(GL_CLIP_PLANE0, &(partial ? remainderStartPlane : startPlane).a);
            glClipPlane(GL_CLIP_PLANE1, &(partial ? remainderFarPlane : farPlane).a);
            scene->drawSprites();
        }

        glPopMatrix();
        if (!mirrorsOn) {
            break;
        }
    }

    glDisable(GL_CLIP_PLANE0);
    glDisable(GL_CLIP_PLANE1);
    glFrontFace(GL_CCW);
    glPopMatrix();

    scene->endDraw();
}
