// The playground page as its users meet it, in headless Chromium: every
// entry of the examples menu runs; the editor's greys are readable;
// Ctrl+Enter runs, a failing run clears
// the screen, edits are saved and not thrown away unasked; a print flood leaves the page answering
// and Stop working; a broken share link says so; the failing line is marked
// in the editor; nothing scrolls sideways on a 390-pixel phone, also with a
// long error; the screen keeps one whole-multiple size while a script
// plays; the PNG is named after its frame; Space pauses and Right steps; Tab and Escape leave the screen; Record then Stop offers a GIF of
// an endless script.
// Usage: node --experimental-websocket page_checks.mjs PAGE_URL
// Prints "ok: ..." or "FAIL: ..." per check; exit status 1 if any failed.
import {deflateRawSync} from 'node:zlib';

import {openBrowser} from './browser.mjs';

const page = process.argv[2];
const {send, evaluate, on, close} = await openBrowser();
await send('Page.enable');
let failures = 0;
const check = (ok, what, detail = '') => {
  if (!ok) failures++;
  console.log(`${ok ? 'ok' : 'FAIL'}: ${what}${ok || !detail ? '' : ': ' + detail}`);
};
const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));
const el = (id) => `document.getElementById(${JSON.stringify(id)})`;
// Polls `expression` until it is true; false after `ms`.
const waitFor = async (expression, ms = 20000) => {
  for (const end = Date.now() + ms; Date.now() < end; await sleep(100))
    if (await evaluate(expression)) return true;
  return false;
};
const open = async (url, width = 1280, height = 800, mobile = false) => {
  await send('Emulation.setDeviceMetricsOverride', {width, height, deviceScaleFactor: 1, mobile});
  await send('Page.navigate', {url: 'about:blank'});
  await send('Page.navigate', {url});
  await waitFor(`${el('examples')} && ${el('examples')}.options.length > 1`);
};
const shareLink = (script) =>
  `${page}?shared#s=` + deflateRawSync(Buffer.from(script)).toString('base64url');
const key = async (name, code) => {
  for (const type of ['keyDown', 'keyUp'])
    await send('Input.dispatchKeyEvent', {type, key: name, code: name, windowsVirtualKeyCode: code});
};

// Every menu entry shows frames of its own, without an error.
await open(page);
const entries = await evaluate(`[...${el('examples')}.options].map((o) => o.value).filter(Boolean)`);
for (const entry of entries) {
  await evaluate(`${el('examples')}.value = ${JSON.stringify(entry)};
                  ${el('examples')}.dispatchEvent(new Event('change'))`);
  const ran = await waitFor(`${el('error')}.textContent !== '' ||
      /^${entry.replace(/[./]/g, '\\$&')} - frame /.test(${el('title')}.textContent)`);
  await sleep(300);
  const error = await evaluate(`${el('error')}.textContent`);
  check(ran && !error, `menu entry ${entry} runs`, error || 'no frames');
}

// The editor's comments and line numbers read at 4.5:1 or better.
const contrasts = await evaluate(`(() => {
  const rgb = (colour) => colour.match(/\\d+/g).slice(0, 3).map((c) => {
    const v = c / 255;
    return v <= 0.03928 ? v / 12.92 : ((v + 0.055) / 1.055) ** 2.4;
  });
  const light = (colour) => rgb(colour).reduce((sum, c, i) => sum + c * [0.2126, 0.7152, 0.0722][i], 0);
  const ratio = (a, b) => (Math.max(light(a), light(b)) + 0.05) / (Math.min(light(a), light(b)) + 0.05);
  const back = getComputedStyle(document.querySelector('.cm-editor')).backgroundColor;
  const comment = [...document.querySelectorAll('.cm-line span')].find((e) => e.textContent.startsWith('--'));
  return [comment, document.querySelector('.cm-gutters')].map((e) => ratio(getComputedStyle(e).color, back));
})()`);
check(contrasts.every((r) => r >= 4.5), 'comments and line numbers read at 4.5:1 or better',
      contrasts.map((r) => r.toFixed(2)).join(', '));

// Typed over the last example and run with Ctrl+Enter, a failing script
// clears the old frame and title; the edits come back after a reload; an
// example chosen over them asks first, and a No keeps them.
const typed = 'error("typed")';
await evaluate(`document.querySelector('.cm-content').focus()`);
await send('Input.dispatchKeyEvent', {type: 'keyDown', key: 'a', code: 'KeyA', modifiers: 2,
                                      windowsVirtualKeyCode: 65, commands: ['selectAll']});
await send('Input.insertText', {text: typed});
await send('Input.dispatchKeyEvent', {type: 'keyDown', key: 'Enter', code: 'Enter', modifiers: 2,
                                      windowsVirtualKeyCode: 13});
check(await waitFor(`/typed/.test(${el('error')}.textContent)`) &&
      await evaluate(`${el('title')}.textContent === '' && !new Uint32Array(${el('screen')}.getContext('2d')
        .getImageData(0, 0, ${el('screen')}.width, ${el('screen')}.height).data.buffer).some((p) => p)`),
      'Ctrl+Enter runs, and a failing run clears the old frame and title');
await sleep(500);
await open(page);
check(await waitFor(`document.querySelector('.cm-content').textContent === ${JSON.stringify(typed)}`, 5000),
      'the edits come back after a reload');
let asked = false;
on((note) => {
  if (note.method !== 'Page.javascriptDialogOpening') return;
  asked = true;
  send('Page.handleJavaScriptDialog', {accept: false});
});
await evaluate(`${el('examples')}.value = 'demo.lua'; ${el('examples')}.dispatchEvent(new Event('change'))`);
await sleep(500);
check(asked && await evaluate(`document.querySelector('.cm-content').textContent === ${JSON.stringify(typed)}`),
      'an example chosen over edits asks first');

// A script printing for ever: the page answers, Stop stops it.
await open(shareLink('while true do print("x") end'));
await sleep(2000);
const askedAt = Date.now();
await evaluate('1');
check(Date.now() - askedAt < 1000, 'a print flood leaves the page answering within 1 s',
      `${Date.now() - askedAt} ms`);
await evaluate(`${el('stop')}.click()`);
await sleep(300);  // the lines that came before Stop are drawn on the next animation frame
const before = await evaluate(`${el('output')}.textContent`);
await sleep(500);
check(await evaluate(`${el('status')}.textContent === 'stopped'`) &&
      before === await evaluate(`${el('output')}.textContent`) && /lines not shown/.test(before) &&
      before.split('\n').length < 2000,
      'Stop ends a print flood, whose older lines are counted, not kept',
      `${before.split('\n').length} lines`);

// A broken share link: a message, and an editor to go on with.
await open(`${page}?broken#s=!!!`);
check(await waitFor(`/share link is broken/.test(${el('error')}.textContent)`, 5000) &&
      await evaluate(`document.querySelector('.cm-content').textContent.length > 0`),
      'a broken share link says so and leaves the editor filled');

// A script error marks its line in the editor.
await open(shareLink('FILL(1)\nframe()\nerror("here")\n'));
check(await waitFor(`document.querySelector('.cm-lintRange-error') !== null`) &&
      await evaluate(`/shared\\.lua:3:/.test(${el('error')}.textContent)`),
      'a script error is marked on its line, under the name the page shows');

// A phone: no sideways scroll, also with a long error.
await open(shareLink(`error("${'long '.repeat(800)}")`), 390, 844, true);
await waitFor(`${el('error')}.textContent !== ''`);
check(await evaluate('document.documentElement.scrollWidth <= window.innerWidth'),
      'at 390x844 nothing scrolls sideways',
      String(await evaluate('document.documentElement.scrollWidth')));

// A desktop: the screen's size stays put while the demo plays, a whole
// multiple of the frame's.
await open(shareLink('FILL(3)\nfor i = 1, 100000 do frame() end\n'));
await waitFor(`/frame 5/.test(${el('title')}.textContent)`);
const sizes = new Set();
for (let i = 0; i < 10; ++i, await sleep(100))
  sizes.add(await evaluate(`${el('screen')}.clientWidth / ${el('screen')}.width`));
check(sizes.size === 1 && Number.isInteger([...sizes][0]) && [...sizes][0] >= 1,
      'at 1280x800 the screen keeps one whole-multiple size', [...sizes].join(', '));

// The PNG of the frame on screen is named after it, though frames go on.
let downloaded = null;
on((note) => {
  if (note.method === 'Page.downloadWillBegin') downloaded = note.params.suggestedFilename;
});
await send('Page.setDownloadBehavior', {behavior: 'deny'});
const pictured = await evaluate(`(() => {
  const number = ${el('title')}.textContent.match(/frame (\\d+)/)[1];
  ${el('png')}.click();
  return number;
})()`);
for (let i = 0; i < 50 && !downloaded; ++i) await sleep(100);
check(downloaded === `shared-${pictured}.png`, 'the PNG is named after the frame it holds',
      `${downloaded} for frame ${pictured}`);

// Space pauses, Right steps one frame on.
await evaluate(`${el('screen')}.focus()`);
await key(' ', 32);
const pausedAt = await waitFor(`/paused at frame/.test(${el('status')}.textContent)`) &&
                 Number((await evaluate(`${el('status')}.textContent`)).match(/frame (\d+)/)[1]);
await key('ArrowRight', 39);
check(pausedAt !== false && await waitFor(`/paused at frame ${pausedAt + 1}:/.test(${el('status')}.textContent) &&
                                           / frame ${pausedAt + 1} /.test(${el('title')}.textContent)`),
      'Space pauses and Right steps one frame', await evaluate(`${el('status')}.textContent`));

// Tab and Escape leave the screen.
for (const [name, code] of [['Tab', 9], ['Escape', 27]]) {
  await evaluate(`${el('screen')}.focus()`);
  await key(name, code);
  check(await evaluate(`document.activeElement !== ${el('screen')}`), `${name} leaves the screen`);
}

// Record then Stop on an endless script: a GIF of what was recorded.
await evaluate(`${el('record')}.click()`);
await sleep(1000);
await evaluate(`${el('stop')}.click()`);
const gif = await waitFor(`!${el('gif')}.hidden && /frames-\\d+-\\d+\\.gif$/.test(${el('gif')}.download)`) &&
            await evaluate(`fetch(${el('gif')}.href).then((r) => r.arrayBuffer())
                              .then((b) => new TextDecoder().decode(new Uint8Array(b, 0, 6)))`);
check(gif === 'GIF89a', 'Record then Stop offers a GIF of the frames recorded', String(gif));

close(failures ? 1 : 0);
