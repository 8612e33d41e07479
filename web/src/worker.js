// Runs one script in the WebAssembly module, away from the page: however
// long the script computes, the page stays responsive, and Stop terminates
// this worker. One run per worker; the page starts a fresh one each time.
//
// In:  {script, name, args, sendFrames, stopAfter, fps}
// Out: {type: 'hashes', lines}  the `kroplay --hash` lines, in batches
//      {type: 'print', line}    the script's own output
//      {type: 'frame', number, width, height, pixels, palette}
//      {type: 'end', status, message, gif, frames, seconds}
importScripts('wavefx.js');

onmessage = async (event) => {
  const job = event.data;
  let hashes = [];
  let frames = 0;
  const flush = () => {
    if (hashes.length) postMessage({type: 'hashes', lines: hashes});
    hashes = [];
  };
  // Live runs keep the script's frame rate: this worker waits out each
  // frame's slot (a plain static server gives no cross-origin isolation, so
  // Atomics.wait is not available here).
  const period = job.fps > 0 ? 1000 / job.fps : 0;
  let due = 0;
  const module = await createWavefx({
    print: (line) => {
      hashes.push(line);
      if (hashes.length >= 200) flush();
    },
    printErr: (line) => postMessage({type: 'print', line}),
    onFrame: (number, pixels, width, height, palette) => {
      frames = number + 1;
      if (!job.sendFrames) return;
      flush();
      const heap = module.HEAPU8;
      const frame = heap.slice(pixels, pixels + width * height);
      const colours = heap.slice(palette, palette + 768);
      postMessage({type: 'frame', number, width, height, pixels: frame, palette: colours},
                  [frame.buffer, colours.buffer]);
      if (period > 0) {
        if (due === 0) due = performance.now();
        due += period;
        while (performance.now() < due) {}
      }
    },
  });
  // The script and the recording in a folder of their own, the working one.
  module.FS.mkdir('/run');
  module.FS.chdir('/run');
  module.FS.writeFile(job.name, job.script);
  const started = performance.now();
  const status = module.ccall('wavefx_run', 'number', ['string', 'number', 'number'],
                              [job.args.join('\n'), job.sendFrames ? 1 : 0, job.stopAfter || 0]);
  const seconds = (performance.now() - started) / 1000;
  flush();
  const message = module.UTF8ToString(module.ccall('wavefx_message', 'number', [], []));
  let gif = null;
  try {
    gif = module.FS.readFile('recording.gif');
  } catch (e) {
    gif = null;  // no frames, no recording
  }
  postMessage({type: 'end', status, message, gif, frames, seconds}, gif ? [gif.buffer] : []);
};
