// Script runs, each in a worker of its own (worker.js): a fresh worker per
// run, started ahead so that its module is ready when the run is asked for.

// kroplay's arguments for a run of the file `name` (`size`: WxH or '' for
// kroplay's default).
function runArguments(name, timeout, size) {
  const args = ['--hash', '-o', 'recording.gif'];
  if (timeout !== null) args.push('--timeout', String(timeout));
  if (size) args.push('--size', size);
  // After '--' a name starting with '-' is the script, not an option.
  args.push('--', name);
  return args;
}

// The module, compiled once while the page loads (index.html preloads it);
// each worker makes its own instance of it.
const compiledModule = WebAssembly.compileStreaming(fetch('wavefx.wasm')).catch(() =>
  fetch('wavefx.wasm').then((response) => response.arrayBuffer()).then(WebAssembly.compile));

export function newWorker() {
  const worker = new Worker('worker.js');
  compiledModule.then((module) => worker.postMessage({type: 'compiled', module}));
  return worker;
}

let spare = newWorker();
let keepSpare = false;

// The playground keeps one spare worker; test mode needs only the first.
export const keepSpareWorker = () => (keepSpare = true);

// Starts a run of `script` as the file `name`, with `files` ([{name, data}])
// beside it; `on` receives the worker's messages. Returns the worker.
export function startRun(script, name, files, options, on) {
  const worker = spare || newWorker();
  spare = keepSpare ? newWorker() : null;
  worker.postMessage({type: 'visibility', hidden: document.hidden});
  worker.onmessage = (event) => on(event.data);
  worker.onerror = (event) =>
    on({type: 'end', status: -1, message: event.message || 'the run failed', frames: 0, seconds: 0});
  worker.postMessage({type: 'run', script, name, files,
                      args: runArguments(name, options.timeout, options.size),
                      live: options.live, stopAfter: options.stopAfter || 0,
                      presses: options.presses || '', resumeAt: options.resumeAt || 0});
  return worker;
}

// The base name of a path or URL.
export const baseName = (path) => path.split('/').pop();
