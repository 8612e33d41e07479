// Runs the WebAssembly module away from the page: however long a script
// computes, the page stays responsive, and Stop terminates this worker.
// A run takes a fresh worker; the page keeps one more for PNG pictures,
// recordings and the key table (a worker that does not run scripts may
// serve many).
//
// In:  {type: 'run', script, name, args, live, stopAfter, presses, resumeAt, files}
//      (name: the script's path, its folder made as needed; files: [{name,
//      data}] placed beside it; presses: the tuning keys, "F:A,..."; a live
//      run shows and paces frames from resumeAt on, computing the ones
//      before at full speed)
//      {type: 'png', number, pixels, width, height, palette}
//      {type: 'record-begin', fps}, {type: 'record-frame', pixels, width,
//      height, palette}, {type: 'record-end'}: a GIF of the frames given
// Out: {type: 'hashes', lines}  the `kroplay --hash` lines, in batches
//      {type: 'print', lines, dropped, sent}
//                               the script's own output, at most every
//                               50 ms, the last kPrintKept lines of it
//                               (dropped: how many before them were not
//                               sent; sent: when, on the shared clock)
//      {type: 'rate', fps}      the run's frame rate, before its frames
//      {type: 'frame', number, width, height, pixels, palette, title, call, sent}
//                               live runs: the frame, the preview's title
//                               and the call that reproduces the effect
//      {type: 'keys', keys}     the preview's key table (wavefx_keys)
//      {type: 'end', status, message, gif, frames, seconds}
//      {type: 'png', number, data, message}
//      {type: 'recording', data, message}
importScripts('wavefx.js');

// Live runs keep the script's frame rate: the worker waits out each frame's
// slot here (a plain static server gives no cross-origin isolation, so
// Atomics.wait is not available to sleep in).
function pacer(fps) {
  const period = 1000 / fps;
  let due = 0;
  return () => {
    if (due === 0) due = performance.now();
    due += period;
    while (performance.now() < due) {}
  };
}

// The script's printed lines, sent in batches at most every 50 ms, each of
// at most kPrintKept lines (the older ones only counted), so that a script
// printing in a loop cannot flood the page.
const kPrintKept = 1000;
const kPrintLineChars = 2000;
const now = () => performance.timeOrigin + performance.now();
const printed = {
  lines: [],
  dropped: 0,
  last: 0,
  add(line) {
    this.lines.push(line.length > kPrintLineChars ? line.slice(0, kPrintLineChars) + '…' : line);
    if (this.lines.length > kPrintKept) this.dropped += this.lines.splice(0, kPrintKept / 2).length;
    if (performance.now() - this.last >= 50) this.flush();
  },
  flush() {
    this.last = performance.now();
    if (!this.lines.length && !this.dropped) return;
    postMessage({type: 'print', lines: this.lines, dropped: this.dropped, sent: now()});
    this.lines = [];
    this.dropped = 0;
  },
};

// The module is made as soon as the worker starts, so that a page holding a
// spare worker starts its next run without waiting for it. Its callbacks go
// to the run in progress.
let current = null;
const ready = createWavefx({
  print: (line) => current.print(line),
  printErr: (line) => printed.add(line),
  onTitle: (title, call) => current.onTitle(title, call),
  onFrameRate: (fps) => current.onFrameRate(fps),
  onFrame: (...frame) => current.onFrame(...frame),
});

async function run(job) {
  let hashes = [];
  let frames = 0;
  let pace = () => {};
  let title = '', call = '';
  const flush = () => {
    if (hashes.length) postMessage({type: 'hashes', lines: hashes});
    hashes = [];
  };
  const module = await ready;
  current = {
    print: (line) => {
      hashes.push(line);
      if (hashes.length >= 200) flush();
    },
    onTitle: (text, reproducing) => {
      title = text;
      call = reproducing;
    },
    onFrameRate: (fps) => {
      postMessage({type: 'rate', fps});
      if (job.live) pace = pacer(fps);
    },
    onFrame: (number, pixels, width, height, palette) => {
      frames = number + 1;
      if (!job.live || number < (job.resumeAt || 0)) return;
      flush();
      printed.flush();
      const frame = module.HEAPU8.slice(pixels, pixels + width * height);
      const colours = module.HEAPU8.slice(palette, palette + 768);
      postMessage({type: 'frame', number, width, height, pixels: frame, palette: colours,
                   title, call, sent: now()}, [frame.buffer, colours.buffer]);
      pace();
    },
  };
  // The script and the recording in a folder of their own, the working one;
  // the script's pictures beside it, in its folder, where it looks for them.
  const folder = job.name.includes('/') ? job.name.replace(/\/[^/]*$/, '') : '.';
  module.FS.mkdirTree('/run/' + folder);
  module.FS.chdir('/run');
  module.FS.writeFile(job.name, job.script);
  for (const file of job.files || []) module.FS.writeFile(`${folder}/${file.name}`, file.data);
  const started = performance.now();
  const status = module.ccall('wavefx_run', 'number', ['string', 'string', 'number'],
                              [job.args.join('\n'), job.presses || '', job.stopAfter || 0]);
  const seconds = (performance.now() - started) / 1000;
  flush();
  printed.flush();
  const message = module.UTF8ToString(module.ccall('wavefx_message', 'number', [], []));
  let gif = null;
  try {
    gif = module.FS.readFile('recording.gif');
  } catch (e) {
    gif = null;  // no frames, no recording
  }
  postMessage({type: 'end', status, message, gif, frames, seconds}, gif ? [gif.buffer] : []);
}

async function keys() {
  const m = await ready;
  const text = m.UTF8ToString(m.ccall('wavefx_keys', 'number', [], []));
  postMessage({type: 'keys', keys: JSON.parse(text)});
}

async function png(job) {
  const m = await ready;
  const pixels = m._malloc(job.pixels.length), palette = m._malloc(768);
  m.HEAPU8.set(job.pixels, pixels);
  m.HEAPU8.set(job.palette, palette);
  const status = m.ccall('wavefx_write_png', 'number',
                         ['string', 'number', 'number', 'number', 'number'],
                         ['/frame.png', pixels, job.width, job.height, palette]);
  m._free(pixels);
  m._free(palette);
  if (status !== 0) {
    postMessage({type: 'png', number: job.number, message: m.UTF8ToString(m.ccall('wavefx_message', 'number', [], []))});
    return;
  }
  const data = m.FS.readFile('/frame.png');
  postMessage({type: 'png', number: job.number, data}, [data.buffer]);
}

// The Record button's GIF: one at a time, in this worker's file system.
async function record(job) {
  const m = await ready;
  const call = (name, types, values) =>
    m.UTF8ToString(m.ccall(name, 'number', types, values));
  let message = '';
  if (job.type === 'record-begin') {
    message = call('wavefx_record_begin', ['string', 'number'], ['/recording.gif', job.fps]);
  } else if (job.type === 'record-frame') {
    const pixels = m._malloc(job.pixels.length), palette = m._malloc(768);
    m.HEAPU8.set(job.pixels, pixels);
    m.HEAPU8.set(job.palette, palette);
    message = call('wavefx_record_frame', ['number', 'number', 'number', 'number'],
                   [pixels, job.width, job.height, palette]);
    m._free(pixels);
    m._free(palette);
  } else {
    message = call('wavefx_record_end', [], []);
    if (!message) {
      const data = m.FS.readFile('/recording.gif');
      m.FS.unlink('/recording.gif');
      return postMessage({type: 'recording', data}, [data.buffer]);
    }
  }
  if (message) postMessage({type: 'recording', message});
}

// A run that fails outside the module (its files cannot be written) ends
// with the reason, as any other run.
async function runOrSay(job) {
  try {
    await run(job);
  } catch (error) {
    postMessage({type: 'end', status: -1, message: error.message || String(error), frames: 0,
                 seconds: 0});
  }
}

const jobs = {png, keys, run: runOrSay, 'record-begin': record, 'record-frame': record, 'record-end': record};
// The picture worker's jobs run one after another, in the order sent.
let queue = Promise.resolve();
onmessage = (event) => (queue = queue.then(() => jobs[event.data.type](event.data)));
