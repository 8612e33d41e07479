// The Record button: the frames shown from its press until Stop, the run's
// end or a second press go, one by one, to the helper worker's GIF writer;
// the GIF is then offered (`offer(data, fileName)`).
export function createRecorder(helper, button, stem, offer, onError) {
  let active = false;
  let first = 0;
  let last = -1;
  let count = 0;

  const setActive = (on) => {
    active = on;
    button.setAttribute('aria-pressed', String(on));
    button.textContent = on ? 'Stop recording' : 'Record';
  };

  return {
    get active() {
      return active;
    },
    start() {
      count = 0;
      setActive(true);
    },
    // A frame shown, at the run's frame rate `fps`.
    frame(shown, fps) {
      if (!active) return;
      if (!count++) {
        first = shown.number;
        helper.postMessage({type: 'record-begin', fps});
      }
      last = shown.number;
      helper.postMessage({type: 'record-frame', pixels: shown.pixels.slice(), width: shown.width,
                          height: shown.height, palette: shown.palette.slice()});
    },
    stop() {
      if (!active) return;
      setActive(false);
      if (count) helper.postMessage({type: 'record-end'});
    },
    // The helper's answer to record-end, or to a step that failed.
    received(m) {
      if (m.data) return offer(m.data, `${stem()}-frames-${first}-${last}.gif`);
      setActive(false);
      onError(m.message);
    },
  };
}
