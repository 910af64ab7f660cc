#include "picture/png_reader.h"

#include <png.h>

#include <stdexcept>
#include <string>

namespace kelvane::testing {

DecodedImage DecodePng(std::string_view file) {
  png_image image{};
  image.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&image, file.data(), file.size())) {
    throw std::runtime_error(std::string("PNG: ") + image.message);
  }
  image.format = PNG_FORMAT_RGBA;
  DecodedImage decoded;
  decoded.width = static_cast<int>(image.width);
  decoded.height = static_cast<int>(image.height);
  decoded.rgba.resize(PNG_IMAGE_SIZE(image));
  if (!png_image_finish_read(&image, nullptr, decoded.rgba.data(), 0, nullptr)) {
    throw std::runtime_error(std::string("PNG: ") + image.message);
  }
  return decoded;
}

}  // namespace kelvane::testing
