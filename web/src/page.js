// The playground page: the editor, the live screen, Run/Stop, the examples,
// downloads and the share link; and the test mode for machines,
// index.html?script=URL&frames=N[&timeout=SECS][&size=WxH][&presses=F:A,...], which
// runs (with the tuning keys `presses`, see worker.js) the script at
// URL as fast as it can and writes the hash lines of its first N frames
// (all, without N) into #hashes exactly as `kroplay --hash` prints them,
// what stopped it into #error, and marks body[data-done] when finished.
// Scripts run in worker.js, one worker per run.
'use strict';

const $ = (id) => document.getElementById(id);
const params = new URLSearchParams(location.search);

// kroplay's arguments for a run of the file `name` (`size`: WxH or '' for
// kroplay's default).
function runArguments(name, timeout, size) {
  const args = [name, '--hash', '-o', 'recording.gif'];
  if (timeout !== null) args.push('--timeout', String(timeout));
  if (size) args.push('--size', size);
  return args;
}

// The module, compiled once while the page loads (index.html preloads it);
// each worker makes its own instance of it.
const compiledModule = WebAssembly.compileStreaming(fetch('wavefx.wasm')).catch(() =>
  fetch('wavefx.wasm').then((response) => response.arrayBuffer()).then(WebAssembly.compile));

function newWorker() {
  const worker = new Worker('worker.js');
  compiledModule.then((module) => worker.postMessage({type: 'compiled', module}));
  return worker;
}

// The worker for the next run, started ahead so that its module is ready
// when the run is asked for; the playground keeps one spare.
let spare = newWorker();
let keepSpare = false;

// Starts a run; `on` receives the worker's messages. Returns the worker.
function startRun(script, name, options, on) {
  const worker = spare || newWorker();
  spare = keepSpare ? newWorker() : null;
  worker.postMessage({type: 'visibility', hidden: document.hidden});
  worker.onmessage = (event) => on(event.data);
  worker.onerror = (event) =>
    on({type: 'end', status: -1, message: event.message || 'the run failed', frames: 0});
  worker.postMessage({type: 'run', script, name, args: runArguments(name, options.timeout, options.size),
                      live: options.live, stopAfter: options.stopAfter || 0,
                      presses: options.presses || '', resumeAt: options.resumeAt || 0});
  return worker;
}

async function testMode() {
  const url = params.get('script');
  const frames = Number(params.get('frames') || 0);
  const timeout = params.has('timeout') ? Number(params.get('timeout')) : null;
  const done = () => (document.body.dataset.done = 'yes');
  const response = await fetch(url);
  if (!response.ok) {
    $('error').textContent = `cannot fetch ${url}: ${response.status}`;
    return done();
  }
  const script = await response.text();
  const lines = [];
  const presses = params.get('presses') || '';
  const size = params.get('size') || '';
  const options = {live: false, stopAfter: frames, timeout, presses, size};
  startRun(script, url.split('/').pop(), options, (m) => {
    if (m.type === 'hashes') lines.push(...m.lines);
    if (m.type !== 'end') return;
    $('hashes').textContent = lines.map((line) => line + '\n').join('');
    if (m.status !== 0) $('error').textContent = m.message || `exit status ${m.status}`;
    // The benchmark's figure: frames per second of the whole run.
    $('status').textContent = `${m.frames} frames in ${m.seconds.toFixed(3)} s, ` +
                              `${(m.frames / m.seconds).toFixed(1)} frames/s`;
    if (params.has('bench')) console.error($('status').textContent);
    done();
  });
}

// The share link's fragment: the script deflated, in base64url.
async function packScript(text) {
  const stream = new Blob([text]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  let binary = '';
  for (const b of bytes) binary += String.fromCharCode(b);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

async function unpackScript(packed) {
  const binary = atob(packed.replace(/-/g, '+').replace(/_/g, '/'));
  const bytes = Uint8Array.from(binary, (c) => c.charCodeAt(0));
  const stream = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
  return new Response(stream).text();
}

// The preview window's key names for a browser key event.
const keyNames = {ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right',
                  ' ': 'Space'};

// The key table's row for `event`: a row with its modifier (Ctrl read
// before Shift), else the key's row without one, as in the window.
function keyRow(table, event) {
  const key = keyNames[event.key] || (event.key.length === 1 ? event.key.toUpperCase() : event.key);
  const modifier = event.ctrlKey ? 2 : event.shiftKey ? 1 : 0;
  const rows = table.keys.filter((row) => row[0] === key);
  return rows.find((row) => row[1] === modifier) || rows.find((row) => row[1] === 0);
}

function playground() {
  keepSpare = true;
  const screen = $('screen');
  const context = screen.getContext('2d');
  let worker = null;
  let name = 'demo.lua';
  let current = null;  // the frame on screen: {pixels, width, height, palette, title, call}
  let keyTable = null;  // the preview's keys, from the module
  let showKeys = false;
  let presses = [];  // the tuning keys of this run: "frame:action"
  let script = '';  // the text the run started from
  const pictures = newWorker();
  // A hidden page's run holds its next frame until the page shows again.
  document.addEventListener('visibilitychange', () =>
    worker?.postMessage({type: 'visibility', hidden: document.hidden}));
  const editor = wavefxEditor.createEditor($('editor'), '', () => {});

  const show = (frame) => {
    // Milliseconds from the page's start to its first frame, for measuring
    // (with ?bench, the benchmark's figure: then the page is done).
    if (!current) {
      document.body.dataset.firstFrameMs = Math.round(performance.now());
      if (params.has('bench')) {
        console.error(`first frame after ${document.body.dataset.firstFrameMs} ms`);
        document.body.dataset.done = 'yes';
      }
    }
    current = frame;
    if (screen.width !== frame.width || screen.height !== frame.height) {
      screen.width = frame.width;
      screen.height = frame.height;
    }
    const image = context.createImageData(frame.width, frame.height);
    const rgba = new Uint32Array(image.data.buffer);
    const colours = new Uint32Array(256);
    for (let i = 0; i < 256; ++i) {
      const p = frame.palette;
      colours[i] = 0xff000000 | (p[3 * i + 2] << 16) | (p[3 * i + 1] << 8) | p[3 * i];
    }
    for (let i = 0; i < frame.pixels.length; ++i) rgba[i] = colours[frame.pixels[i]];
    context.putImageData(image, 0, 0);
    showTitle();
    $('png').disabled = false;
  };

  // The preview window's title: the module's part, then the key list or
  // the key that shows it.
  const showTitle = () => {
    if (!current) return;
    const keys = keyTable ? (showKeys ? keyTable.list : `${keyTable.toggle}: keys`) : '';
    $('title').textContent = `${current.title} - ${keys}`;
  };

  const stop = (why) => {
    if (worker) worker.terminate();
    worker = null;
    $('stop').disabled = true;
    if (why) $('status').textContent = why;
  };

  // A run from the start; with `resumeAt`, the frames before it are
  // computed at full speed and not shown (a run again with a new key).
  const run = (resumeAt = 0) => {
    stop();
    if (!resumeAt) {
      presses = [];
      script = wavefxEditor.getText(editor);
    }
    $('error').textContent = '';
    $('output').textContent = '';
    $('gif').hidden = true;
    $('status').textContent = 'running';
    $('stop').disabled = false;
    const options = {live: true, timeout: null, presses: presses.join(','), resumeAt,
                     size: $('size').value};
    worker = startRun(script, name, options, (m) => {
      if (m.type === 'frame') show(m);
      if (m.type === 'print') $('output').textContent += m.line + '\n';
      if (m.type !== 'end') return;
      stop(`ended after ${m.frames} frames`);
      if (m.status !== 0) $('error').textContent = m.message || `exit status ${m.status}`;
      if (m.gif) {
        const link = $('gif');
        if (link.href) URL.revokeObjectURL(link.href);
        link.href = URL.createObjectURL(new Blob([m.gif], {type: 'image/gif'}));
        link.download = name.replace(/\.lua$/, '') + '.gif';
        link.hidden = false;
      }
    });
  };

  const load = async (file) => {
    name = file;
    const text = await (await fetch('examples/' + file)).text();
    wavefxEditor.setText(editor, text);
  };

  pictures.onmessage = (event) => {
    const m = event.data;
    if (m.type === 'keys') {
      keyTable = m.keys;
      return showTitle();
    }
    if (!m.data) return ($('error').textContent = m.message);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([m.data], {type: 'image/png'}));
    link.download = `${name.replace(/\.lua$/, '')}-${current.number}.png`;
    link.click();
  };
  $('png').onclick = () => {
    if (!current) return;
    pictures.postMessage({type: 'png', pixels: current.pixels, width: current.width,
                          height: current.height, palette: current.palette});
  };
  $('run').onclick = () => run();
  pictures.postMessage({type: 'keys'});
  screen.addEventListener('keydown', (event) => {
    const row = keyTable && keyRow(keyTable, event);
    if (!row) return;
    event.preventDefault();
    const [, , action, , role] = row;
    if (role === 'keys') {
      showKeys = !showKeys;
      showTitle();
    } else if (role === 'copy') {
      if (current && current.call) {
        navigator.clipboard?.writeText(current.call).catch(() => {});
        $('output').textContent += current.call + '\n';
      }
    } else if (role === 'save') {
      $('png').click();
    } else if (role === 'restart') {
      run();
    } else if (role === 'tune' && current && worker) {
      // The key acts after the frame on screen, as in the window: the run
      // starts again with it and goes on from the next frame.
      presses.push(`${current.number}:${action}`);
      run(current.number + 1);
    }
  });
  $('stop').onclick = () => stop('stopped');
  $('share').onclick = async () => {
    const link = `${location.origin}${location.pathname}#s=` +
                 (await packScript(wavefxEditor.getText(editor)));
    history.replaceState(null, '', link);
    navigator.clipboard?.writeText(link).catch(() => {});
    $('status').textContent = 'share link in the address bar and on the clipboard';
  };
  fetch('examples/index.json').then((r) => r.json()).then((files) => {
    for (const file of files) $('examples').add(new Option(file, file));
    $('examples').value = name;
  });
  $('examples').onchange = () => load($('examples').value).then(() => run());
  $('size').onchange = () => run();

  const shared = location.hash.match(/^#s=(.+)$/);
  (shared ? unpackScript(shared[1]).then((text) => {
    name = 'shared.lua';
    wavefxEditor.setText(editor, text);
  }) : load(name)).then(run);
}

if (params.has('script')) testMode();
else playground();
