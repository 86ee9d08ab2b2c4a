// Comparing the test scene as two backends painted it: region by region, with the rule each
// kind of primitive is held to.
#pragma once

#include <cstdint>

#include "editor/draw_backend.h"

constexpr int32_t kSceneWidth = 240;
constexpr int32_t kSceneHeight = 160;
// The scene's background colour, under every primitive.
constexpr uint32_t kSceneBackground = 0xFF181C24u;

// Reports through GoogleTest where the scenes disagree more than allowed.
void ExpectScenesAgree(const PixelBuffer& mine, const PixelBuffer& reference);
