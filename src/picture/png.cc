#include "picture/png.h"

#include <png.h>

#include <algorithm>
#include <array>
#include <new>

namespace kelvane {
namespace {

// libpng's write callback: the bytes go to the string that io_ptr holds.
void AppendBytes(png_structp png, png_bytep data, png_size_t size) {
  bool appended = true;
  try {
    static_cast<std::string*>(png_get_io_ptr(png))->append(reinterpret_cast<char*>(data), size);
  } catch (const std::bad_alloc&) {
    appended = false;
  }
  // Outside the catch block: png_error does not return, it jumps.
  if (!appended) png_error(png, "out of memory");
}

void NoFlush(png_structp) {}

// libpng's failures end in a longjmp back to WriteImage; its warnings are
// for chunks we do not write, and the program prints nothing of its own.
[[noreturn]] void JumpBack(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void IgnoreWarning(png_structp, png_const_charp) {}

// Everything between setjmp and the last libpng call lives here, in a frame
// without objects to destroy, so that libpng's longjmp skips nothing.
bool WriteImage(png_structp png, png_infop info, const PaletteImage& image,
                const png_color* palette, int colours) {
  if (setjmp(png_jmpbuf(png))) return false;
  png_set_IHDR(png, info, static_cast<png_uint_32>(image.width),
               static_cast<png_uint_32>(image.height), 8, PNG_COLOR_TYPE_PALETTE,
               PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_set_PLTE(png, info, palette, colours);
  // Sub and Up pay on the smooth field; the others cost time for little.
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE | PNG_FILTER_SUB | PNG_FILTER_UP);
  png_write_info(png, info);
  for (int y = 0; y < image.height; ++y) {
    png_write_row(png, image.indices.data() + static_cast<std::size_t>(y) * image.width);
  }
  png_write_end(png, nullptr);
  return true;
}

}  // namespace

std::string EncodePng(const PaletteImage& image) {
  std::array<png_color, 256> palette{};
  const int colours = static_cast<int>(std::min<std::size_t>(image.palette.size(), 256));
  for (int i = 0; i < colours; ++i) {
    palette[i] = {image.palette[i].r, image.palette[i].g, image.palette[i].b};
  }
  png_structp png =
      png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, JumpBack, IgnoreWarning);
  if (png == nullptr) throw std::bad_alloc();
  png_infop info = png_create_info_struct(png);
  std::string bytes;
  png_set_write_fn(png, &bytes, AppendBytes, NoFlush);
  const bool written = info != nullptr && WriteImage(png, info, image, palette.data(), colours);
  png_destroy_write_struct(&png, &info);
  // Memory is all that can fail when writing to a string.
  if (!written) throw std::bad_alloc();
  return bytes;
}


}  // namespace kelvane
