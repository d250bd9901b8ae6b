#include "images/TextureUpload.h"

#include <cstdlib>

namespace {

// OpenGL's default unpack alignment, which the built-in pictures' rows meet.
const GLint kDefaultUnpackAlignment = 4;

GLenum formatForBitsPerPixel(int32_t bitsPerPixel)
{
    switch (bitsPerPixel) {
    case 8:
    case 16:
        return GL_ALPHA;
    case 24:
        return GL_RGB;
    default:
        return GL_RGBA;
    }
}

GLuint bytesPerFormatPixel(GLenum format)
{
    switch (format) {
    case GL_ALPHA:
        return 1;
    case GL_RGB:
        return 3;
    default:
        return 4;
    }
}

}  // namespace

bool UploadTexture(TextureImage& image)
{
    glGenTextures(1, &image.textureName);
    glBindTexture(GL_TEXTURE_2D, image.textureName);
    const GLenum format = formatForBitsPerPixel(image.bitsPerPixel);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);

    if (image.pixels != nullptr && image.width > 0 && image.height > 0) {
        // Rows are packed. Where a row's length is not a multiple of the
        // default alignment, OpenGL would step past each row's end and read
        // beyond the buffer, so such a picture is read byte-aligned.
        GLint savedAlignment = kDefaultUnpackAlignment;
        glGetIntegerv(GL_UNPACK_ALIGNMENT, &savedAlignment);
        const uint64_t rowBytes = uint64_t(image.width) * bytesPerFormatPixel(format);
        const bool packedRows = rowBytes % static_cast<uint64_t>(savedAlignment) != 0;
        if (packedRows) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
        }
        gluBuild2DMipmaps(GL_TEXTURE_2D, static_cast<GLint>(format), static_cast<GLsizei>(image.width),
                          static_cast<GLsizei>(image.height), format, GL_UNSIGNED_BYTE, image.pixels);
        if (packedRows) {
            glPixelStorei(GL_UNPACK_ALIGNMENT, savedAlignment);
        }
    }

    glTexEnvf(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_REPEAT);
    std::free(image.pixels);
    image.pixels = nullptr;
    return true;
}
