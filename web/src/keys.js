// The preview window's keys on the page, from the key table the module
// gives (wavefx_keys): which row a key event makes, the list H shows, and
// the rows that get a touch button.

// Keys the page keeps for moving the focus: on the screen they leave it.
const kFocusKeys = new Set(['Tab', 'Escape']);

// The preview window's key names for a browser key event.
const keyNames = {ArrowUp: 'Up', ArrowDown: 'Down', ArrowLeft: 'Left', ArrowRight: 'Right',
                  ' ': 'Space'};

export const isFocusKey = (event) => kFocusKeys.has(event.key);

// The key table's row for `event`: a row with its modifier (Ctrl read
// before Shift), else the key's row without one, as in the window.
export function keyRow(table, event) {
  const key = keyNames[event.key] || (event.key.length === 1 ? event.key.toUpperCase() : event.key);
  const modifier = event.ctrlKey ? 2 : event.shiftKey ? 1 : 0;
  const rows = table.keys.filter((row) => row[0] === key);
  return rows.find((row) => row[1] === modifier) || rows.find((row) => row[1] === 0);
}

const spelling = ([key, modifier]) => ['', 'Shift+', 'Ctrl+'][modifier] + key;

// The keys as H lists them, one entry per line: neighbouring rows with one
// label together, as the window's title has them; the focus keys say what
// they do on the page instead.
export function keyList(table) {
  const entries = [];
  const moved = [];
  for (const row of table.keys) {
    if (kFocusKeys.has(row[0])) {
      moved.push(`${row[0]}: leaves the screen (in the window: ${row[3]})`);
      continue;
    }
    const label = row[4] === 'stop' ? `${row[3]}: here, stop the run` : row[3];
    const last = entries[entries.length - 1];
    if (last && last.label === label) last.keys.push(spelling(row));
    else entries.push({keys: [spelling(row)], label});
  }
  return [...entries.map((e) => `${e.keys.join(' or ')}: ${e.label}`), ...moved];
}

// The rows a touch screen gets buttons for: pausing, stepping and tuning
// without a modifier.
export const touchRows = (table) =>
  table.keys.filter((row) => row[1] === 0 && ['pause', 'step', 'tune'].includes(row[4]));
