#include "editor/bitmap.h"

#include "editor/graphics_library.h"

CBitmap::CBitmap() : holdsLibrary_(GraphicsLibrary::Acquire()) {}

CBitmap::~CBitmap() {
    // The image belongs to the library: free it before the library may end.
    image_.reset();
    if (holdsLibrary_) GraphicsLibrary::Release();
}

void CBitmap::setImage(std::unique_ptr<PlatformImage> image) {
    image_ = std::move(image);
    width = image_ ? static_cast<double>(image_->Width()) : 0.0;
    height = image_ ? static_cast<double>(image_->Height()) : 0.0;
}
