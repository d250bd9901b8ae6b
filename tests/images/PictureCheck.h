#pragma once

// What the picture tests compare the loaders with: the same bytes decoded by
// plain libjpeg (its own memory source), the sample files, the texture that
// an upload made, and the library messages written to standard error.

#include "common/Gl.h"

#include <cstdint>
#include <string>
#include <vector>

struct PlainPicture {
    bool decoded = false;
    uint32_t width = 0;
    uint32_t height = 0;
    int components = 0;
    bool progressive = false;
    // width * components bytes a row, top row first.
    std::vector<uint8_t> samples;
};

// Decodes with jpeg_mem_src and the library's defaults; messages are
// swallowed. decoded is false when the library raised an error or the
// picture is larger than kMaxPlainBytes.
const size_t kMaxPlainBytes = size_t(64) << 20;
PlainPicture decodePlain(const uint8_t* data, size_t size);
PlainPicture decodePlain(const std::vector<uint8_t>& bytes);

// The bytes of tests/images/samples/<name>, in a heap block of exactly their
// size, so that a read past the end trips the address sanitizer. Empty when
// missing (the caller checks `found`).
struct SampleFile {
    bool found = false;
    std::vector<uint8_t> bytes;
};
SampleFile readSample(const std::string& name);

// Level `level` of the texture bound to GL_TEXTURE_2D as `format` bytes
// (GL_ALPHA, GL_RGB or GL_RGBA), rows packed.
std::vector<uint8_t> readBoundTexture(GLenum format, int level);

// Mean absolute difference of two equally long byte strings (255 when
// their lengths differ).
double meanDifference(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b);

// What level 0 of the bound texture should hold when it was made from
// `packed` (width x height pixels of `format`, rows packed): the pixels
// themselves, or, where the mipmap builder rescaled a side that is not a
// power of two, GLU's own rescaling of them to level 0's size.
std::vector<uint8_t> expectedLevelZero(const std::vector<uint8_t>& packed, uint32_t width, uint32_t height,
                                       GLenum format);

// The RGBA image that the pair loader should make of a colour and a mask
// picture of the same size.
std::vector<uint8_t> joinColourAndMask(const PlainPicture& colour, const PlainPicture& mask);

// Standard error is captured while the object lives; lines() ends the
// capture and counts the lines written.
struct StderrLines {
    bool capturing = false;
    std::string text;

    StderrLines();
    ~StderrLines();
    int lines();
};
