// Runs the WebAssembly module away from the page: however long a script
// computes, the page stays responsive, and Stop terminates this worker.
// A run takes a fresh worker; the page keeps one more for PNG pictures,
// recordings and the key table (a worker that does not run scripts may
// serve many).
//
// In:  {type: 'compiled', module}  the page's compiled WebAssembly.Module, first
//      {type: 'visibility', hidden}  live runs hold their next frame while hidden
//      {type: 'run', script, name, args, live, stopAfter, presses, resumeAt, files}
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

// Live runs keep the script's frame rate. Where the browser can suspend a
// WebAssembly call (JSPI), the frame import returns a promise that resolves
// at the frame's slot, and the run sleeps until then; while the page is
// hidden it does not resolve at all. Elsewhere the worker waits out the slot
// in a loop (a plain static server gives no cross-origin isolation, so
// Atomics.wait is not available to sleep in).
const canSuspend = typeof WebAssembly.Suspending === 'function';
let hidden = false;
let whenShown = null;  // resumes a run held while the page is hidden

function pacer(fps) {
  const period = 1000 / fps;
  let due = 0;
  return () => {
    if (due === 0) due = performance.now();
    due += period;
    if (!canSuspend) {
      while (performance.now() < due) {}
      return undefined;
    }
    return new Promise((resume) => setTimeout(() => {
      if (!hidden) return resume();
      whenShown = () => {
        due = performance.now();
        resume();
      };
    }, due - performance.now()));
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

function visibility(message) {
  hidden = message.hidden;
  if (hidden || !whenShown) return;
  const resume = whenShown;
  whenShown = null;
  resume();
}

// The page compiles the module once and sends it to every worker, which
// makes its one instance as soon as it arrives: a page holding a spare
// worker starts its next run without waiting for it. The module's callbacks
// go to the run in progress.
let current = null;
let receiveModule;
const arrived = new Promise((resolve) => (receiveModule = resolve));
// The build renames the module's imports and exports: the frame import is
// found as the one that calls onFrame, the run export through the loader's
// own reference to it.
const options = {
  print: (line) => current.print(line),
  printErr: (line) => printed.add(line),
  onTitle: (title, call) => current.onTitle(title, call),
  onFrameRate: (fps) => current.onFrameRate(fps),
  onFrame: (...frame) => current.onFrame(...frame),
  instantiateWasm: (imports, receive) => {
    const [env] = Object.values(imports);
    if (canSuspend) {
      const frame = Object.keys(env).find((key) => String(env[key]).includes('.onFrame('));
      env[frame] = new WebAssembly.Suspending(env[frame]);
    }
    arrived.then((wasm) => WebAssembly.instantiate(wasm, imports)).then((instance) => {
      const exports = {...instance.exports};
      if (canSuspend) {
        const run = String(options._wavefx_run).match(/asm\W+(\w+)/)[1];
        exports[run] = WebAssembly.promising(exports[run]);
      }
      receive({exports});
    });
    return {};
  },
};
const ready = arrived.then(() => createWavefx(options));

function compiled(message) {
  receiveModule(message.module);
}

// A C string in the module's memory, to be freed by the caller. (ccall's
// strings live on the stack, which a suspended run still uses.)
function cString(m, text) {
  const bytes = new TextEncoder().encode(text + '\0');
  const at = m._malloc(bytes.length);
  m.HEAPU8.set(bytes, at);
  return at;
}

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
      return pace();
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
  const args = cString(module, job.args.join('\n')), presses = cString(module, job.presses || '');
  const status = await module._wavefx_run(args, presses, job.stopAfter || 0);
  module._free(args);
  module._free(presses);
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
// The module and the page's visibility take effect at once (a live run
// waits for them); the jobs run one after another, in the order sent.
let queue = Promise.resolve();
onmessage = (event) => {
  const message = event.data;
  if (message.type === 'compiled') return compiled(message);
  if (message.type === 'visibility') return visibility(message);
  queue = queue.then(() => jobs[message.type](message));
};
