// Headless Chromium driven over the DevTools protocol, for the playground's
// browser tests: a page's workers need real time, which
// --virtual-time-budget does not give them.
import {spawn} from 'node:child_process';
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

// Starts the browser; resolves to {send, evaluate, on, close}: `send` makes
// a DevTools call, `evaluate` an expression's value in the page, `on` sees
// every event, `close(status)` ends the browser and exits with `status`.
export async function openBrowser() {
  const profile = mkdtempSync(join(tmpdir(), 'wavefx-chromium-'));
  const browser = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu',
                                     '--remote-debugging-port=0', `--user-data-dir=${profile}`,
                                     'about:blank'], {stdio: ['ignore', 'ignore', 'pipe']});
  const close = (status) => {
    browser.kill();
    browser.on('exit', () => {
      // The browser's helper processes may still be writing into the
      // profile for a moment after it exits.
      try {
        rmSync(profile, {recursive: true, force: true, maxRetries: 20, retryDelay: 100});
      } catch (error) {
        process.stderr.write(`browser: cannot remove ${profile}: ${error.message}\n`);
      }
      process.exit(status);
    });
  };
  const endpoint = await new Promise((resolve) => {
    let text = '';
    browser.stderr.on('data', (chunk) => {
      text += chunk;
      const found = text.match(/DevTools listening on (ws:\/\/\S+)/);
      if (found) resolve(found[1]);
    });
  });
  const port = new URL(endpoint).port;
  const targets = await (await fetch(`http://127.0.0.1:${port}/json/list`)).json();
  const page = targets.find((t) => t.type === 'page');
  const socket = new WebSocket(page.webSocketDebuggerUrl);
  await new Promise((resolve) => socket.addEventListener('open', resolve));
  let nextId = 1;
  const pending = new Map();
  const listeners = [];
  socket.addEventListener('message', (event) => {
    const note = JSON.parse(event.data);
    if (note.id && pending.has(note.id)) pending.get(note.id)(note.result);
    else for (const listener of listeners) listener(note);
  });
  const send = (method, params = {}) => new Promise((resolve) => {
    const id = nextId++;
    pending.set(id, resolve);
    socket.send(JSON.stringify({id, method, params}));
  });
  const evaluate = async (expression) =>
    (await send('Runtime.evaluate', {expression, returnByValue: true, awaitPromise: true}))?.result?.value;
  return {send, evaluate, on: (listener) => listeners.push(listener), close};
}
