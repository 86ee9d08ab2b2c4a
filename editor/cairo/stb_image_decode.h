// The image decoder, kept behind plain functions so its implementation lives in one file.
#pragma once

// Decoded pixels as RGBA bytes, or null; free them with StbFree.
unsigned char* StbDecodeFile(const char* path, int* width, int* height);
unsigned char* StbDecodeBytes(const void* bytes, int size, int* width, int* height);
void StbFree(unsigned char* pixels);
