// The script's printed lines under the editor: the last kLogKept of them,
// with a line saying how many earlier ones are not shown. Lines arrive in
// batches and are drawn at most once per animation frame.
const kLogKept = 500;

export function createLog(element) {
  let lines = [];
  let hidden = 0;
  let drawing = false;
  const draw = () => {
    drawing = false;
    const note = hidden ? `… ${hidden} lines not shown\n` : '';
    element.textContent = note + lines.map((line) => line + '\n').join('');
    element.scrollTop = element.scrollHeight;
  };
  return {
    // `dropped`: lines printed before these that never reached the page.
    add(batch, dropped = 0) {
      hidden += dropped;
      lines.push(...batch);
      if (lines.length > kLogKept) hidden += lines.splice(0, lines.length - kLogKept).length;
      if (!drawing) {
        drawing = true;
        requestAnimationFrame(draw);
      }
    },
    clear() {
      lines = [];
      hidden = 0;
      draw();
    },
  };
}
