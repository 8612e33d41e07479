// libFuzzer target over kroplay's trace reader: any bytes as a .krotrace
// file, read to the end with every background and palette applied as
// kroplay --replay applies them. The reader may refuse the file (a
// TraceError); it must not crash, read out of bounds, or hold a screen
// larger than the file it came from.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "kroplay/replay/trace_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  try {
    kroplay::TraceReader reader(std::vector<uint8_t>(data, data + size));
    std::vector<uint8_t> screen;
    uint8_t palette[krotrace::kPaletteSize] = {};
    kroplay::TraceStep step;
    while (reader.next(step)) {
      if (step.kind == kroplay::TraceStep::Kind::kBackground) {
        if (step.new_screen)
          screen.assign(static_cast<size_t>(reader.width()) * static_cast<size_t>(reader.height()),
                        0);
        if (screen.size() > size) std::abort();  // more than the file justifies
        reader.apply(step, screen.data());
      } else if (step.kind == kroplay::TraceStep::Kind::kPalette) {
        reader.apply(step, palette);
      }
    }
  } catch (const kroplay::TraceError &) {
  }
  return 0;
}
