// Streams one PNG image, row by row, into an output file: 8-bit palette
// indices with the palette as PLTE, or 8-bit RGB.
#ifndef KROPLAY_PNG_WRITER_H
#define KROPLAY_PNG_WRITER_H

#include <cstdint>
#include <cstdio>
#include <memory>

#include "kroplay/base/palettes.h"
#include "kroplay/output/output_file.h"

namespace kroplay {

class PngWriter {
 public:
  // Starts a width x height image in `file`: indexed through `palette`, or
  // RGB when `palette` is null. Throws OutputError.
  PngWriter(OutputFile &file, int32_t width, int32_t height, const Palette *palette);
  ~PngWriter();
  PngWriter(const PngWriter &) = delete;
  PngWriter &operator=(const PngWriter &) = delete;

  // The next row: width indices, or 3 * width RGB bytes. Throws OutputError.
  void write_row(const uint8_t *row);
  // Ends the image and closes the file (the caller commits it). Throws
  // OutputError.
  void finish();

  struct State;  // libpng's handles and its last error

 private:
  [[noreturn]] void fail();

  OutputFile &file_;
  std::unique_ptr<State> state_;
};

}  // namespace kroplay

#endif  // KROPLAY_PNG_WRITER_H
