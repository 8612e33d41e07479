// The test mode for machines:
// index.html?script=URL[&frames=N][&timeout=SECS][&size=WxH][&presses=F:A,...][&files=URL,...]
// runs the script at URL as fast as it can, with the tuning keys `presses`
// (see worker.js) and the files at `files` beside it under their own names,
// and writes the hash lines of its first N frames (all, without N) into
// #hashes exactly as `kroplay --hash` prints them, what stopped it into
// #error, a summary with the frames per second into #status, and marks
// body[data-done] when finished.
import {baseName, startRun} from './runs.js';

const $ = (id) => document.getElementById(id);

// The number in `params`' `key`, which must be a whole number from `least`
// on; null when absent. Throws with a one-line message otherwise.
function wholeNumber(params, key, least) {
  if (!params.has(key)) return null;
  const text = params.get(key);
  if (!/^[0-9]+$/.test(text) || Number(text) < least)
    throw new Error(`${key}=${text}: not a whole number from ${least} on`);
  return Number(text);
}

async function fetchBytes(url) {
  const response = await fetch(url);
  if (!response.ok) throw new Error(`cannot fetch ${url}: ${response.status}`);
  return new Uint8Array(await response.arrayBuffer());
}

export async function testMode(params) {
  const done = () => (document.body.dataset.done = 'yes');
  let script, files, frames, timeout;
  try {
    frames = wholeNumber(params, 'frames', 1) || 0;
    timeout = wholeNumber(params, 'timeout', 0);
    const url = params.get('script');
    script = new TextDecoder().decode(await fetchBytes(url));
    const urls = params.get('files') ? params.get('files').split(',') : [];
    files = await Promise.all(urls.map(async (u) => ({name: baseName(u), data: await fetchBytes(u)})));
  } catch (error) {
    $('error').textContent = error.message;
    return done();
  }
  const lines = [];
  const options = {live: false, stopAfter: frames, timeout, presses: params.get('presses') || '',
                   size: params.get('size') || ''};
  startRun(script, baseName(params.get('script')), files, options, (m) => {
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
