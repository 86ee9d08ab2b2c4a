#include "editor/cairo/stb_image_decode.h"

// Only the formats Windows decodes for this plug-in as well; nothing else is parsed.
#define STBI_ONLY_PNG
#define STBI_ONLY_BMP
#define STBI_ONLY_JPEG
#define STBI_ONLY_GIF
#define STBI_NO_HDR
#define STBI_NO_LINEAR
#define STBI_NO_FAILURE_STRINGS
#define STBI_MAX_DIMENSIONS 32767  // Cairo's largest image surface
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#include <stb/stb_image.h>

unsigned char* StbDecodeFile(const char* path, int* width, int* height) {
    int channels = 0;
    return stbi_load(path, width, height, &channels, 4);
}

unsigned char* StbDecodeBytes(const void* bytes, int size, int* width, int* height) {
    int channels = 0;
    return stbi_load_from_memory(static_cast<const stbi_uc*>(bytes), size, width, height, &channels,
                                 4);
}

void StbFree(unsigned char* pixels) {
    stbi_image_free(pixels);
}
