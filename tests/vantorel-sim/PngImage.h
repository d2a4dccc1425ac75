#pragma once

// A PNG read back with Cairo from its bytes, for the tests that check what
// the painter drew, pixel by pixel. Owns the image it decodes. Builds with
// Cairo only.

#include <cairo.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace vantorel_test {

struct Pixel {
  int red, green, blue;
};

class PngImage {
 public:
  explicit PngImage(const std::string& png) {
    Reader reader{png, 0};
    surface_ = cairo_image_surface_create_from_png_stream(Reader::Read, &reader);
  }
  ~PngImage() { cairo_surface_destroy(surface_); }
  PngImage(const PngImage&) = delete;
  PngImage& operator=(const PngImage&) = delete;

  bool ok() const { return cairo_surface_status(surface_) == CAIRO_STATUS_SUCCESS; }
  int width() const { return cairo_image_surface_get_width(surface_); }
  int height() const { return cairo_image_surface_get_height(surface_); }

  // The pixel at (x, y) as Cairo holds it: 0xXXRRGGBB.
  std::uint32_t Word(int x, int y) const {
    const unsigned char* row =
        cairo_image_surface_get_data(surface_) + y * cairo_image_surface_get_stride(surface_);
    std::uint32_t word = 0;
    std::memcpy(&word, row + 4 * x, 4);
    return word;
  }
  Pixel At(int x, int y) const {
    const std::uint32_t word = Word(x, y);
    return Pixel{static_cast<int>((word >> 16) & 0xFF), static_cast<int>((word >> 8) & 0xFF),
                 static_cast<int>(word & 0xFF)};
  }

 private:
  // Cairo asks for the bytes piece by piece, each piece whole.
  struct Reader {
    const std::string& png;
    std::size_t done;

    static cairo_status_t Read(void* closure, unsigned char* data, unsigned int length) {
      Reader& reader = *static_cast<Reader*>(closure);
      if (reader.png.size() - reader.done < length) return CAIRO_STATUS_READ_ERROR;
      std::memcpy(data, reader.png.data() + reader.done, length);
      reader.done += length;
      return CAIRO_STATUS_SUCCESS;
    }
  };

  cairo_surface_t* surface_ = nullptr;
};

}  // namespace vantorel_test
