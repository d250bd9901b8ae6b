#pragma once

// A plane in the form glClipPlane takes: OpenGL keeps the points where
// a*x + b*y + c*z + d >= 0, in the eye coordinates in force when the plane
// is loaded.
struct ClipPlane {
    double a;
    double b;
    double c;
    double d;
};
