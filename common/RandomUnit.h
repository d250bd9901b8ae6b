#pragma once

// A random value in [0, 1): the C runtime's rand() (0..32767) times the
// single-precision constant nearest to 1/32767, the product kept in double so
// that the largest draw stays below 1. A random index is trunc(u * n).
// The sequence continues whatever platformSeedRandom() last started.
double randomUnit();

// The single-precision factor that turns a rand() value into [0, 1).
const float kRandomScale = 3.0518509e-05f;
