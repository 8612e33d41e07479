// The playground: the editor, the live screen, Run/Stop, pause and step,
// the tuning keys, the examples, pictures, recording, downloads, the share
// link and the autosave. Scripts run in worker.js, one worker per run; a
// helper worker writes PNGs and recordings and gives the key table.
import {isFocusKey, keyList, keyRow, touchRows} from './keys.js';
import {createLog} from './output_log.js';
import {createPictures} from './pictures.js';
import {createRecorder} from './recorder.js';
import {baseName, keepSpareWorker, newWorker, startRun} from './runs.js';
import {createScreen} from './screen.js';
import {packScript, unpackScript} from './share.js';

const $ = (id) => document.getElementById(id);
const E = window.wavefxEditor;
const params = new URLSearchParams(location.search);
const kSaved = 'wavefx-playground';  // local storage: {name, text, edited}
// A run whose messages arrive this late is ended: its output outruns the page.
const kMaxLagMs = 5000;

export function playground() {
  keepSpareWorker();
  let name = '';
  let baseline = null;  // the text as loaded; what differs from it is the user's edits
  let worker = null;
  let current = null;  // the frame on screen: {number, pixels, width, height, palette, title, call}
  let keyTable = null;
  let presses = [];  // the tuning keys of this run: "frame:action"
  let script = '';  // the text the run started from
  let paused = false;
  let fps = 50;
  // The examples and, by folder, the pictures beside them; fetched while
  // the first script loads.
  const index = fetch('examples/index.json').then((r) => r.json());
  const save = () => {
    try {
      const text = E.getText(editor);
      localStorage.setItem(kSaved, JSON.stringify({name, text, edited: text !== baseline}));
    } catch {
      // Storage full or refused: the page works on without it.
    }
  };
  let saving = 0;
  const editor = E.createEditor($('editor'), '', () => {
    clearTimeout(saving);
    saving = setTimeout(save, 300);
  });
  const log = createLog($('output'));
  const screen = createScreen($('screen'), $('stage'), $('fps'));
  const showError = (message) => {
    $('error').textContent = message;
    const escaped = name.replace(/[.*+?^${}()|[\]\\]/g, '\\$&');
    const line = message.match(new RegExp(`(?:^|\\s)${escaped}:(\\d+):`));
    E.markError(editor, line ? Number(line[1]) : 0, message);
  };
  const pictures = createPictures($('pictures'), showError);
  const helper = newWorker();
  // A hidden page's run holds its next frame until the page shows again.
  document.addEventListener('visibilitychange', () =>
    worker?.postMessage({type: 'visibility', hidden: document.hidden}));
  const stem = () => baseName(name).replace(/\.lua$/, '');
  const offer = (data, fileName) => {
    const link = $('gif');
    if (link.href) URL.revokeObjectURL(link.href);
    link.href = URL.createObjectURL(new Blob([data], {type: 'image/gif'}));
    link.download = fileName;
    link.textContent = `GIF: ${fileName}`;
    link.hidden = false;
  };
  const recorder = createRecorder(helper, $('record'), stem, offer, showError);

  const setName = (text) => {
    name = text;
    $('script-name').textContent = text;
    const folder = text.includes('/') ? text.replace(/\/[^/]*$/, '') : '';
    if (!folder) return pictures.useExample([]);
    return index.then((found) =>
      pictures.useExample((found.pictures[folder] || []).map((p) => 'examples/' + p)));
  };

  const showTitle = () => {
    if (current) $('title').textContent = `${current.title} - ${keyTable ? keyTable.toggle : 'H'}: keys`;
  };
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
    screen.draw(frame);
    showTitle();
    recorder.frame(frame, fps);
    $('png').disabled = false;
  };
  const clearScreen = () => {
    current = null;
    screen.clear();
    $('title').textContent = '';
    $('png').disabled = true;
  };

  const stopWorker = () => {
    if (worker) worker.terminate();
    worker = null;
    $('stop').disabled = true;
    screen.idle();
  };
  const stop = (why) => {
    stopWorker();
    paused = false;
    recorder.stop();
    $('status').textContent = why;
  };

  // A run from the start; with `resumeAt`, the frames before it are
  // computed at full speed and not shown (a run again with a new key, or
  // going on after a pause), and with `stopAfter` it ends after that many
  // frames, staying paused (a step).
  const run = ({resumeAt = 0, stopAfter = 0} = {}) => {
    stopWorker();
    if (!resumeAt) {
      presses = [];
      script = E.getText(editor);
      paused = false;
      log.clear();
    }
    showError('');
    $('status').textContent = stopAfter ? 'stepping' : 'running';
    $('stop').disabled = false;
    let shown = false;
    const options = {live: true, timeout: null, presses: presses.join(','), resumeAt, stopAfter,
                     size: $('size').value};
    const me = startRun(script, name, pictures.forRun(), options, (m) => {
      if (worker !== me) return;
      if (m.sent && performance.timeOrigin + performance.now() - m.sent > kMaxLagMs) {
        stop('stopped');
        return showError('the script printed faster than the page can show; the run was stopped');
      }
      if (m.type === 'rate') fps = m.fps;
      if (m.type === 'frame') {
        shown = true;
        show(m);
      }
      if (m.type === 'print') log.add(m.lines, m.dropped);
      if (m.type !== 'end') return;
      stopWorker();
      if (m.status !== 0) {
        showError(m.message || `exit status ${m.status}`);
        if (!shown && !resumeAt) clearScreen();
      }
      if (stopAfter && m.status === 0 && m.frames >= stopAfter) {
        $('status').textContent = `paused at frame ${current.number}: Space goes on, Right steps`;
        return;
      }
      const hadRecording = recorder.active;
      stop(`ended after ${m.frames} frames`);
      if (m.gif && !hadRecording) offer(m.gif, `${stem()}.gif`);
    });
    worker = me;
  };

  const pause = () => {
    if (!worker || !current) return;
    stopWorker();
    paused = true;
    $('status').textContent = `paused at frame ${current.number}: Space goes on, Right steps`;
  };
  const act = (row) => {
    const [, , action, , role] = row;
    if (role === 'keys') {
      $('key-list').hidden = !$('key-list').hidden;
    } else if (role === 'copy') {
      if (current && current.call) {
        navigator.clipboard?.writeText(current.call).catch(() => {});
        log.add([current.call]);
      }
    } else if (role === 'save') {
      $('png').click();
    } else if (role === 'restart') {
      run();
    } else if (role === 'stop') {
      stop('stopped');
    } else if (role === 'pause') {
      if (paused && current) run({resumeAt: current.number + 1});
      else pause();
    } else if (role === 'step') {
      if (paused && current) run({resumeAt: current.number + 1, stopAfter: current.number + 2});
    } else if (role === 'tune' && current && (worker || paused)) {
      // The key acts after the frame on screen, as in the window: the run
      // starts again with it and goes on from the next frame.
      presses.push(`${current.number}:${action}`);
      if (paused) run({resumeAt: current.number + 1, stopAfter: current.number + 2});
      else run({resumeAt: current.number + 1});
    }
  };

  const useKeys = (table) => {
    keyTable = table;
    $('key-list').replaceChildren(...[...keyList(table), 'Ctrl+Enter (anywhere): run'].map((text) => {
      const item = document.createElement('li');
      item.textContent = text;
      return item;
    }));
    $('touch').replaceChildren(...touchRows(table).map((row) => {
      const button = document.createElement('button');
      button.textContent = row[3];
      button.title = `key ${row[0]}`;
      button.onclick = () => act(row);
      return button;
    }));
    showTitle();
  };
  helper.onmessage = (event) => {
    const m = event.data;
    if (m.type === 'keys') return useKeys(m.keys);
    if (m.type === 'recording') return recorder.received(m);
    if (!m.data) return showError(m.message);
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([m.data], {type: 'image/png'}));
    link.download = `${stem()}-${m.number}.png`;
    link.click();
  };
  helper.postMessage({type: 'keys'});

  $('screen').addEventListener('keydown', (event) => {
    if (isFocusKey(event)) {
      if (event.key === 'Escape') $('screen').blur();
      return;  // Tab moves the focus on as anywhere else
    }
    const row = keyTable && keyRow(keyTable, event);
    if (!row) return;
    event.preventDefault();
    if (!event.repeat || row[5]) act(row);
  });
  window.addEventListener('keydown', (event) => {
    if (event.key !== 'Enter' || !(event.ctrlKey || event.metaKey)) return;
    event.preventDefault();
    event.stopPropagation();
    run();
  }, true);

  $('png').onclick = () => {
    if (!current) return;
    helper.postMessage({type: 'png', number: current.number, pixels: current.pixels.slice(),
                        width: current.width, height: current.height, palette: current.palette.slice()});
  };
  $('run').onclick = () => run();
  $('stop').onclick = () => stop('stopped');
  $('record').onclick = () => {
    if (recorder.active) return recorder.stop();
    recorder.start();
    if (!worker) run();
  };
  $('fullscreen').onclick = () => $('stage').requestFullscreen().catch((e) => showError(e.message));
  $('choose').onchange = (event) => pictures.add(event.target.files);
  pictures.acceptDrops(document.body);
  $('share').onclick = async () => {
    try {
      const link = `${location.origin}${location.pathname}#s=${await packScript(E.getText(editor))}`;
      history.replaceState(null, '', link);
      navigator.clipboard?.writeText(link).catch(() => {});
      $('status').textContent = 'share link in the address bar and on the clipboard';
    } catch (error) {
      showError(error.message);
    }
  };
  $('size').onchange = () => run();

  const load = async (file) => {
    const text = await (await fetch('examples/' + file)).text();
    await setName(file);
    baseline = text;
    E.setText(editor, text);
    save();
  };
  $('examples').onchange = async () => {
    const chosen = $('examples').value;
    if (E.getText(editor) !== baseline &&
        !confirm(`Replace your edits of ${name} with the example ${chosen}?`)) {
      $('examples').value = '';
      return;
    }
    await load(chosen);
    run();
  };

  // The script to start with: a share link's, else the one saved here,
  // else the demo. A broken link says so and leaves the editor as it was.
  const start = async () => {
    index.then((found) => {
      $('examples').add(new Option('examples…', ''));
      for (const file of found.scripts) $('examples').add(new Option(file, file));
    });
    const shared = location.hash.match(/^#s=(.*)$/);
    let brokenLink = null;
    if (shared) {
      try {
        const text = await unpackScript(shared[1]);
        await setName('shared.lua');
        baseline = text;
        E.setText(editor, text);
        return run();
      } catch (error) {
        brokenLink = error.message;
      }
    }
    let saved = null;
    try {
      saved = JSON.parse(localStorage.getItem(kSaved));
    } catch {
      saved = null;
    }
    if (saved && typeof saved.text === 'string' && typeof saved.name === 'string') {
      await setName(saved.name);
      baseline = saved.edited ? null : saved.text;
      E.setText(editor, saved.text);
    } else {
      await load('demo.lua');
    }
    if (brokenLink) return showError(brokenLink);
    run();
  };
  start();
}
