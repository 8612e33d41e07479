// The pictures beside the script: PNG and GIF files dropped on the page or
// chosen, and those beside the example chosen. Each run gets them in the
// script's folder under their own names, where load_picture and
// load_background look.
const kMaxPictureBytes = 16 * 1024 * 1024;

export function createPictures(list, onError) {
  const files = new Map();  // name -> {data, example}

  const render = () => {
    list.replaceChildren();
    for (const [name, file] of files) {
      const item = document.createElement('li');
      item.textContent = file.example ? `${name} (the example's)` : name;
      const remove = document.createElement('button');
      remove.textContent = '×';
      remove.setAttribute('aria-label', `remove ${name}`);
      remove.onclick = () => {
        files.delete(name);
        render();
      };
      item.append(' ', remove);
      list.append(item);
    }
  };

  const add = async (fileList) => {
    for (const file of fileList) {
      if (!/\.(png|gif)$/i.test(file.name)) {
        onError(`${file.name}: not a PNG or GIF picture`);
        continue;
      }
      if (file.size > kMaxPictureBytes) {
        onError(`${file.name}: over ${kMaxPictureBytes} bytes`);
        continue;
      }
      files.set(file.name, {data: new Uint8Array(await file.arrayBuffer()), example: false});
    }
    render();
  };

  return {
    add,
    // Drops anywhere on the page add pictures.
    acceptDrops(target) {
      target.addEventListener('dragover', (event) => event.preventDefault());
      target.addEventListener('drop', (event) => {
        event.preventDefault();
        add(event.dataTransfer.files);
      });
    },
    // The example's own pictures (URLs) in place of the last example's.
    async useExample(urls) {
      for (const [name, file] of [...files]) if (file.example) files.delete(name);
      for (const url of urls) {
        const response = await fetch(url);
        if (response.ok)
          files.set(url.split('/').pop(), {data: new Uint8Array(await response.arrayBuffer()), example: true});
      }
      render();
    },
    // [{name, data}] for a run; the worker gets copies.
    forRun: () => [...files].map(([name, file]) => ({name, data: file.data.slice()})),
  };
}
