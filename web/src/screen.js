// The live screen: frames drawn with sharp pixels at the largest whole
// scale that fits the pane (a screen wider than the pane is shrunk to fit),
// and the frames-per-second meter.

export function createScreen(canvas, stage, meter) {
  const context = canvas.getContext('2d');
  let image = null;
  const colours = new Uint32Array(256);
  let shown = [];  // when the frames of the last second were shown

  // The canvas's size on the page: it changes only with the pane's size
  // or the screen's, never with what plays.
  const fit = () => {
    const width = stage.clientWidth;
    const height = document.fullscreenElement ? stage.clientHeight : window.innerHeight * 0.7;
    const fits = Math.min(width / canvas.width, height / canvas.height);
    const scale = fits >= 1 ? Math.floor(fits) : fits;
    canvas.style.width = `${Math.floor(canvas.width * scale)}px`;
    canvas.style.height = `${Math.floor(canvas.height * scale)}px`;
  };
  new ResizeObserver(fit).observe(stage);
  document.addEventListener('fullscreenchange', fit);

  return {
    draw(frame) {
      if (canvas.width !== frame.width || canvas.height !== frame.height || !image) {
        canvas.width = frame.width;
        canvas.height = frame.height;
        image = context.createImageData(frame.width, frame.height);
        fit();
      }
      const rgba = new Uint32Array(image.data.buffer);
      const p = frame.palette;
      for (let i = 0; i < 256; ++i)
        colours[i] = 0xff000000 | (p[3 * i + 2] << 16) | (p[3 * i + 1] << 8) | p[3 * i];
      for (let i = 0; i < frame.pixels.length; ++i) rgba[i] = colours[frame.pixels[i]];
      context.putImageData(image, 0, 0);
      const now = performance.now();
      shown.push(now);
      while (shown[0] < now - 1000) shown.shift();
      meter.textContent = `${shown.length} frames/s`;
    },
    clear() {
      context.clearRect(0, 0, canvas.width, canvas.height);
      shown = [];
      meter.textContent = '';
    },
    // The meter says nothing while no frames come.
    idle() {
      shown = [];
      meter.textContent = '';
    },
  };
}
