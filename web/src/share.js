// The share link's fragment: the script deflated, in base64url. A script
// over kMaxShared bytes is neither packed nor unpacked.
export const kMaxShared = 1024 * 1024;

export async function packScript(text) {
  const raw = new TextEncoder().encode(text);
  if (raw.length > kMaxShared) throw new Error(`the script is over ${kMaxShared} bytes, too long to share`);
  const stream = new Blob([raw]).stream().pipeThrough(new CompressionStream('deflate-raw'));
  const bytes = new Uint8Array(await new Response(stream).arrayBuffer());
  let binary = '';
  for (const b of bytes) binary += String.fromCharCode(b);
  return btoa(binary).replace(/\+/g, '-').replace(/\//g, '_').replace(/=+$/, '');
}

// The script in `packed`, or an Error saying why the link holds none. The
// inflating stops as soon as the text passes kMaxShared bytes.
export async function unpackScript(packed) {
  const broken = new Error('this share link is broken (cut short or mistyped): it holds no script');
  if (!/^[A-Za-z0-9_-]+$/.test(packed)) throw broken;
  let bytes;
  try {
    bytes = Uint8Array.from(atob(packed.replace(/-/g, '+').replace(/_/g, '/')), (c) => c.charCodeAt(0));
  } catch {
    throw broken;
  }
  const reader = new Blob([bytes]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
  const chunks = [];
  let size = 0;
  try {
    for (;;) {
      const {done, value} = await reader.read();
      if (done) break;
      size += value.length;
      if (size > kMaxShared) {
        reader.cancel().catch(() => {});
        throw new Error(`this share link's script is over ${kMaxShared} bytes; it was not opened`);
      }
      chunks.push(value);
    }
  } catch (error) {
    throw error.message.includes('not opened') ? error : broken;
  }
  const text = new Uint8Array(size);
  let at = 0;
  for (const chunk of chunks) {
    text.set(chunk, at);
    at += chunk.length;
  }
  return new TextDecoder().decode(text);
}
