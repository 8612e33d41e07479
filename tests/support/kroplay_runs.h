// kroplay run end to end as a user runs it, for the suites that check it
// from outside: a run in a folder of its own through the shell, the checks
// every failed run must pass, scripts written as lists of steps and replayed
// on the reference model, and the frames those runs are compared with.
// POSIX only: the runs go through /bin/sh.
#ifndef WAVEFX_TESTS_SUPPORT_KROPLAY_RUNS_H
#define WAVEFX_TESTS_SUPPORT_KROPLAY_RUNS_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "kroplay/base/palettes.h"
#include "support/gif_reading.h"
#include "support/png_reading.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

// The folder of the test scripts (tests/kroplay/scripts).
inline const std::string kScripts = KROPLAY_SCRIPTS_DIR;

// The whole file at `path`; empty if it cannot be read.
std::string slurp(const std::string &path);

// Runs `command` through the shell in `dir`, kroplay named $K; stdout,
// stderr and the exit status (128 + signal when killed) are kept.
ProgramRun shell(const TempDir &dir, const std::string &command);

// Runs kroplay (or `program`) in `dir`, its working folder, with
// `arguments`, already quoted for the shell.
ProgramRun run_kroplay(const TempDir &dir, const std::string &arguments,
                       const std::string &program = KROPLAY_PATH);

// A failed run: the status, one line on stderr holding `message`, and no
// file left in the working folder.
void expect_failure(const ProgramRun &run, const TempDir &dir, int status,
                    const std::string &message);

// A test script's path, quoted for the shell.
std::string script(const std::string &name);
// The --plugin option naming one of the broken plug-ins.
std::string plugin(const std::string &variant);

// The GIF or PNG at `path`, read back; a read failure fails the test.
ReadGif read_back(const std::string &path);
ReadPng read_png_back(const std::string &path);

// A script as a list of steps, written out as Lua and replayed on the model.
struct Step {
  std::string name;  // a plug-in function; "frame" or "screen" for the host's
  std::vector<int32_t> args;
};

std::string lua_of(const std::vector<Step> &steps);

// The frames the model composes for `steps` on a width x height screen;
// with `sizes`, also the size of each.
std::vector<std::vector<uint8_t>> model_frames(
    const std::vector<Step> &steps, int32_t width, int32_t height,
    std::vector<std::pair<int32_t, int32_t>> *sizes = nullptr);

// Random calls with boundary and ordinary arguments, frames between them,
// and now and then fresh bitmaps of the same size.
std::vector<Step> random_steps(uint32_t seed, int32_t width, int32_t height);

// Compares what `gif` shows at every hundredth of a second with `frames`
// in `palette`, 2/100 s apart (kroplay's default), each `width` x `height`
// or of its size in `sizes`.
void expect_playback(const ReadGif &gif, const std::vector<std::vector<uint8_t>> &frames,
                     const kroplay::Palette &palette, int32_t width, int32_t height,
                     const std::vector<std::pair<int32_t, int32_t>> *sizes = nullptr);

// The --hash line of frame `n`: FNV-1a 64 over the frame's indices, then
// its palette.
std::string hash_line(size_t n, const std::vector<uint8_t> &indices,
                      const kroplay::Palette &palette);

// Eight different frames: 0..4 at 6x4, 5..7 at 4x5; frame 7 with colour 7
// changed. kSizes holds each frame's size.
extern const char kSizesScript[];
extern const std::pair<int, int> kSizes[8];

// The w x h top left of a GIF frame of kSizesScript as composed on its
// screen: the frame itself at its native size. With `rgb`, as colours.
std::vector<uint8_t> native(const ReadGif &gif, size_t frame, bool rgb = false);

#endif  // WAVEFX_TESTS_SUPPORT_KROPLAY_RUNS_H
