// Loads a playground page in headless Chromium and waits, in real time,
// until the page marks itself done (body[data-done]); then prints #hashes
// to stdout and #error, if any, as one line to stderr, after the page's
// console errors. Driven over the
// DevTools protocol: a page's workers need real time, which
// --virtual-time-budget does not give them.
// Usage: node --experimental-websocket load_page.mjs URL [TIMEOUT_MS]
// Exit status: 0 done, 2 not done in time, 3 done but the page asked
// another host for something, 1 the browser failed.
import {spawn} from 'node:child_process';
import {mkdtempSync, rmSync} from 'node:fs';
import {tmpdir} from 'node:os';
import {join} from 'node:path';

const [url, timeoutText] = process.argv.slice(2);
const timeout = Number(timeoutText || 60000);
const profile = mkdtempSync(join(tmpdir(), 'wavefx-chromium-'));
const browser = spawn('chromium', ['--headless', '--no-sandbox', '--disable-gpu',
                                   '--remote-debugging-port=0', `--user-data-dir=${profile}`,
                                   'about:blank'], {stdio: ['ignore', 'ignore', 'pipe']});
const finish = (status) => {
  browser.kill();
  browser.on('exit', () => {
    // The browser's helper processes may still be writing into the profile
    // for a moment after it exits.
    try {
      rmSync(profile, {recursive: true, force: true, maxRetries: 20, retryDelay: 100});
    } catch (error) {
      process.stderr.write(`load_page: cannot remove ${profile}: ${error.message}\n`);
    }
    process.exit(status);
  });
};
setTimeout(() => {
  process.stderr.write(`load_page: ${url} not done within ${timeout} ms\n`);
  finish(2);
}, timeout);

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
socket.addEventListener('message', (event) => {
  const reply = JSON.parse(event.data);
  if (reply.id && pending.has(reply.id)) pending.get(reply.id)(reply.result);
});
const send = (method, params = {}) => new Promise((resolve) => {
  const id = nextId++;
  pending.set(id, resolve);
  socket.send(JSON.stringify({id, method, params}));
});
const evaluate = async (expression) =>
  (await send('Runtime.evaluate', {expression, returnByValue: true}))?.result?.value;

// The page's console errors go to stderr (the benchmark's figure is one),
// and so does any request to a host other than the page's.
await send('Runtime.enable');
await send('Network.enable');
const pageHost = new URL(url).host;
let foreign = false;
socket.addEventListener('message', (event) => {
  const note = JSON.parse(event.data);
  if (note.method === 'Runtime.consoleAPICalled' && note.params.type === 'error')
    process.stderr.write(note.params.args.map((a) => a.value).join(' ') + '\n');
  if (note.method === 'Network.requestWillBeSent') {
    const requested = new URL(note.params.request.url);
    if (/^https?:$/.test(requested.protocol) && requested.host !== pageHost) {
      process.stderr.write(`load_page: the page asked another host for ${requested.href}\n`);
      foreign = true;
    }
  }
});
await send('Page.navigate', {url});
for (;;) {
  await new Promise((resolve) => setTimeout(resolve, 100));
  if (await evaluate('document.body && document.body.dataset.done === "yes"')) break;
}
const result = await evaluate(`({hashes: document.getElementById('hashes').textContent,
                                 error: document.getElementById('error').textContent})`);
process.stdout.write(result.hashes);
if (result.error) process.stderr.write(result.error + '\n');
finish(foreign ? 3 : 0);
