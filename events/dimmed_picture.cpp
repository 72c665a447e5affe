#include "events/dimmed_picture.h"

#include "base/handles.h"

namespace elk {

namespace {

// Destination AND pattern.
constexpr DWORD kRopMaskWithPattern = 0x00A00329;

bool greyOut(HBITMAP bitmap, const BITMAP& info) {
    const int pixelBytes = info.bmBitsPixel / 8;
    const LONG size = info.bmWidthBytes * info.bmHeight;
    UniqueHeap<BYTE> bits(static_cast<BYTE*>(HeapAlloc(GetProcessHeap(), 0, static_cast<SIZE_T>(size))));
    if (!bits || GetBitmapBits(bitmap, size, bits.get()) != size) return false;
    for (LONG row = 0; row < info.bmHeight; ++row) {
        BYTE* pixel = bits.get() + static_cast<size_t>(row) * info.bmWidthBytes;
        for (LONG x = 0; x < info.bmWidth; ++x, pixel += pixelBytes) {
            int average = (pixel[0] + pixel[1] + pixel[2]) / 3;
            // 0.3 of it, cut, in integers: in floating point the x87's
            // extended precision would give 2 for 10 * 0.3.
            BYTE grey = static_cast<BYTE>(average * 3 / 10);
            pixel[0] = pixel[1] = pixel[2] = grey;
            if (pixelBytes == 4) pixel[3] = 0;
        }
    }
    return SetBitmapBits(bitmap, size, bits.get()) == size;
}

bool maskWithDots(HDC dc, int width, int height) {
    // Rows of a monochrome bitmap are word-aligned.
    static const WORD kDots[8] = {0xAA, 0x00, 0x55, 0x00, 0xAA, 0x00, 0x55, 0x00};
    UniqueGdi<HBITMAP> pattern(CreateBitmap(8, 8, 1, 1, kDots));
    if (!pattern) return false;
    UniqueGdi<HBRUSH> brush(CreatePatternBrush(pattern.get()));
    if (!brush) return false;
    Selection selected(dc, brush.get());
    if (!selected) return false;
    return PatBlt(dc, 0, 0, width, height, kRopMaskWithPattern) != FALSE;
}

}  // namespace

bool dimPicture(HDC dc, HBITMAP bitmap, int width, int height) {
    BITMAP info{};
    if (!GetObjectW(bitmap, sizeof info, &info)) return false;
    if (info.bmBitsPixel == 24 || info.bmBitsPixel == 32) return greyOut(bitmap, info);
    return maskWithDots(dc, width, height);
}

}  // namespace elk
