// Checks of packed DIBs (info header, colour table, pixels) against the bytes that hold them, made before any
// part of them is allocated for or handed to the platform.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>

// The bytes between an info header and its pixels: the colour table, or the three masks of a bit-field DIB.
uint64_t DIBColorTableBytes(const BITMAPINFOHEADER& header);
// The bytes the pixels of an uncompressed DIB take.
uint64_t DIBPixelBytes(const BITMAPINFOHEADER& header);
// The widest and tallest picture read: 32,768 pixels each way.
constexpr LONG LargestDIBEdge = 0x8000;
// Whether the packed DIB of size bytes (pixels from bitsOffset) is one the framework reads, with every part it
// declares inside the data: a header the platform knows, a depth and compression that go together, a colour table
// no longer than the depth allows, at most LargestDIBEdge pixels wide and tallest pixels tall (a strip of images
// may run longer), and pixels the remaining bytes can hold; a compressed image may not claim more pixels than its
// runs can give. A header that only claims a huge image costs nothing.
bool IsValidDIB(const BYTE* dib, size_t size, size_t bitsOffset, LONG tallest = LargestDIBEdge);
