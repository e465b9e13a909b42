// The optional background image: a resource of the named type "Bitmap",
// decoded with GDI+. This program ships none (its background is the picture
// control's bitmap), so loading normally reports false.
#pragma once

#include <windows.h>

#include "base/unique_handle.h"

namespace app {

class BackgroundImage {
public:
    BackgroundImage();
    ~BackgroundImage();
    BackgroundImage(const BackgroundImage&) = delete;
    BackgroundImage& operator=(const BackgroundImage&) = delete;

    HBITMAP bitmap() const { return static_cast<HBITMAP>(bitmap_.get()); }
    bool empty() const { return !bitmap_; }
    void reset() { bitmap_.reset(); }
    void assign(HBITMAP bitmap) { bitmap_.reset(bitmap); }

private:
    base::UniqueGdiObject bitmap_;
};

// Decodes resource 133 of type "Bitmap" from the program's own module into
// `image`. True when the image now holds a bitmap.
bool LoadResourceImage(BackgroundImage& image);

}  // namespace app
