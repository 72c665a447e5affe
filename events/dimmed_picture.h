// Darkens a picture for the secure desktop's overlay; not exported.
#pragma once
#include <windows.h>

namespace elk {

// Dims `bitmap` (width x height pixels), which is selected into `dc`: 24 and
// 32 bits per pixel become grey at 0.3 of their brightness, other depths are
// masked with a sparse dot pattern. False when the bits could not be read or
// written back, or the pattern could not be made.
bool dimPicture(HDC dc, HBITMAP bitmap, int width, int height);

}  // namespace elk
