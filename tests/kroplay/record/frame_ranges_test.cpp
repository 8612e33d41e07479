// --frames ending the run and taking every S-th frame, and --seamless
// choosing where the recorded loop ends.
#include <gtest/gtest.h>

#include <algorithm>

#include "support/kroplay_runs.h"

TEST(KroplayFrameRanges, TheRangeEndsAnEndlessRunAndStepsThroughTheFrames) {
  // A game loop that never ends, whose stop no pcall holds back; every
  // frame differs from the one before.
  TempDir dir;
  dir.write("endless.lua",
            "FILL(1)\n"
            "local n = 0\n"
            "while true do\n"
            "  PUT_HLINE(n % 4, 2 + n % 7)\n"
            "  pcall(frame)\n"
            "  n = n + 1\n"
            "  print('after', n)\n"
            "end\n");
  const ProgramRun endless =
      run_kroplay(dir, "endless.lua --size 5x4 --frames 2..4 --hash -o endless.gif");
  ASSERT_EQ(0, endless.status) << endless.err;
  EXPECT_EQ("after\t1\nafter\t2\nafter\t3\nafter\t4\n",
            endless.err.substr(0, endless.err.find("kroplay:")));
  EXPECT_EQ(5, std::count(endless.out.begin(), endless.out.end(), '\n')) << endless.out;
  EXPECT_EQ(3u, read_back(dir.file("endless.gif")).frames.size());

  ASSERT_EQ(0, run_kroplay(dir, "endless.lua --size 5x4 --frames 0..9 -o all.gif").status);
  const ProgramRun stepped = run_kroplay(dir, "endless.lua --size 5x4 --frames 1..7/3");
  ASSERT_EQ(0, stepped.status) << stepped.err;
  const ReadGif all = read_back(dir.file("all.gif"));
  const ReadGif gif = read_back(dir.file("endless.gif"));
  ASSERT_EQ(10u, all.frames.size());
  ASSERT_EQ(3u, gif.frames.size());
  for (size_t i = 0; i < 3; ++i) EXPECT_EQ(all.frames[1 + 3 * i].rgb, gif.frames[i].rgb) << i;
}

TEST(KroplaySeamless, EndsWhereTheSuccessorIsMostLikeTheFirstFrame) {
  // Frame i, composed twice, has its first k[i] pixels in colour 1: it
  // differs from frame 0 in k[i] pixels. Of 20 frames, the last quarter's
  // successors are frames 16..19; 17 and 19 tie at one pixel, 15 (no
  // successor of the quarter) is frame 0 again.
  TempDir dir;
  dir.write("loop.lua",
            "local k = {0, 1, 2, 3, 4, 5, 6, 7, 8, 7, 6, 5, 4, 3, 2, 0, 3, 1, 2, 1}\n"
            "while true do\n"
            "  for i = 1, #k do\n"
            "    FILL(0)\n"
            "    for x = 0, k[i] - 1 do PUT_VLINE(x, 1) end\n"
            "    frame(2)\n"
            "  end\n"
            "end\n");
  const ProgramRun run = run_kroplay(dir, "loop.lua --size 8x1 --frames 0..38/2 --seamless");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_EQ(
      "kroplay: --seamless: frames 0..36 of 0..38 loop; the wrap from frame 36 to 0 changes 2 "
      "pixels, the steps inside 1 on average and 3 at most\n"
      "kroplay: wrote loop.gif (19 frames, 8x1)\n",
      run.err);
  EXPECT_EQ(19u, read_back(dir.file("loop.gif")).frames.size());

  // From frame 4 (k[2]), the successor most like it is k[18], frame 4 + 32.
  const ProgramRun stepped =
      run_kroplay(dir, "loop.lua --size 8x1 --frames 4..42/2 --seamless -o stepped.gif");
  ASSERT_EQ(0, stepped.status) << stepped.err;
  EXPECT_EQ(0u, stepped.err.find("kroplay: --seamless: frames 4..34 of 4..42 loop; the wrap from "
                                 "frame 34 to 4 changes 1 pixel,"))
      << stepped.err;

  // Nine frames, k[11..19]: their last quarter is three frames, whose
  // successors are most like the first (k 5) at k[18], frame 22 + 14; the
  // ten pixels the six steps change round to 2 on average.
  const ProgramRun nine =
      run_kroplay(dir, "loop.lua --size 8x1 --frames 22..38/2 --seamless -o nine.gif");
  ASSERT_EQ(0, nine.status) << nine.err;
  EXPECT_EQ(0u,
            nine.err.find("kroplay: --seamless: frames 22..34 of 22..38 loop; the wrap from "
                          "frame 34 to 22 changes 4 pixels, the steps inside 2 on average "
                          "and 3 at most; the wrap is larger than every step inside: no frame of "
                          "the range loops smoothly, try a longer --frames range\n"))
      << nine.err;

  TempDir elsewhere;
  const ProgramRun few = run_kroplay(
      elsewhere, "'" + dir.file("loop.lua") + "' --size 8x1 --frames 0..6/2 --seamless");
  expect_failure(few, elsewhere, 1,
                 "--seamless needs at least 5 frames to choose the loop's end from; the run "
                 "gave 4");
}

TEST(KroplaySeamless, SaysWhenNoFrameWrapsAsSmoothlyAsTheSteps) {
  // Frame i has its first i pixels in colour 1: each step changes one
  // pixel, and the wrap from the last frame of the last quarter, 6, six.
  TempDir dir;
  dir.write("ramp.lua",
            "for i = 0, 7 do\n"
            "  FILL(0)\n"
            "  for x = 0, i - 1 do PUT_VLINE(x, 1) end\n"
            "  frame()\n"
            "end\n");
  const ProgramRun run = run_kroplay(dir, "ramp.lua --size 8x1 --seamless");
  ASSERT_EQ(0, run.status) << run.err;
  EXPECT_NE(std::string::npos,
            run.err.find("changes 6 pixels, the steps inside 1 on average and 1 at most; the "
                         "wrap is larger than every step inside"))
      << run.err;
}
