// Loads a playground page in headless Chromium and waits, in real time,
// until the page marks itself done (body[data-done]); then prints #hashes
// to stdout and #error, if any, as one line to stderr, after the page's
// console errors.
// Usage: node --experimental-websocket load_page.mjs URL [TIMEOUT_MS]
// Exit status: 0 done, 2 not done in time, 3 done but the page asked
// another host for something, 1 the browser failed.
import {openBrowser} from './browser.mjs';

const [url, timeoutText] = process.argv.slice(2);
const timeout = Number(timeoutText || 60000);
const {send, evaluate, on, close} = await openBrowser();
setTimeout(() => {
  process.stderr.write(`load_page: ${url} not done within ${timeout} ms\n`);
  close(2);
}, timeout);

// The page's console errors go to stderr (the benchmark's figure is one),
// and so does any request to a host other than the page's.
await send('Runtime.enable');
await send('Network.enable');
const pageHost = new URL(url).host;
let foreign = false;
on((note) => {
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
close(foreign ? 3 : 0);
