// The playground page: the editor, the screen, the buttons, and the test
// mode (index.html?script=URL&frames=N) that writes the hash lines of the
// first N frames into #hashes as `kroplay --hash` prints them, and a
// failure into #error. Scripts run in worker.js, one worker per run.
'use strict';

const $ = (id) => document.getElementById(id);
const params = new URLSearchParams(location.search);

// Starts a run; `on` receives the worker's messages. Returns the worker.
function startRun(script, name, options, on) {
  const worker = new Worker('worker.js');
  const args = [name, '--hash', '-o', 'recording.gif',
                '--timeout', String(options.timeout ?? 600),
                '--max-frames', String(options.maxFrames ?? 100000)];
  worker.onmessage = (event) => on(event.data);
  worker.onerror = (event) => on({type: 'end', status: -1, message: event.message || 'the run failed'});
  worker.postMessage({script, name, args, sendFrames: options.sendFrames,
                      stopAfter: options.stopAfter || 0, fps: options.fps || 0});
  return worker;
}

async function testMode() {
  const url = params.get('script');
  const frames = Number(params.get('frames') || 0);
  const timeout = Number(params.get('timeout') || 600);
  const response = await fetch(url);
  if (!response.ok) {
    $('error').textContent = `cannot fetch ${url}: ${response.status}`;
    return;
  }
  const script = await response.text();
  const name = url.split('/').pop();
  const lines = [];
  startRun(script, name, {sendFrames: false, stopAfter: frames, timeout}, (m) => {
    if (m.type === 'hashes') lines.push(...m.lines);
    if (m.type === 'end') {
      $('hashes').textContent = lines.join('\n') + (lines.length ? '\n' : '');
      if (m.status !== 0) $('error').textContent = m.message || `exit status ${m.status}`;
      $('status').textContent = `done ${m.frames} frames ${m.seconds.toFixed(3)} s`;
      document.body.dataset.done = 'yes';
    }
  });
}

if (params.has('script')) testMode();
