// Indexed-colour PNG files, exact: 8-bit palette indices and the palette's 256 colours, every row
// unfiltered, compressed by the browser's own deflate (CompressionStream's 'deflate' is the zlib
// stream that IDAT holds). scale > 1 repeats each pixel in a scale x scale block.
(function () {
  'use strict';
  const CRC_TABLE = new Uint32Array(256).map((_, n) => {
    let c = n;
    for (let k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
    return c;
  });

  function crc32(bytes) {
    let c = 0xFFFFFFFF;
    for (const b of bytes) c = CRC_TABLE[(c ^ b) & 0xFF] ^ (c >>> 8);
    return (c ^ 0xFFFFFFFF) >>> 0;
  }

  // Length, type, data, and the CRC of type and data.
  function chunk(type, data) {
    const out = new Uint8Array(12 + data.length);
    const view = new DataView(out.buffer);
    view.setUint32(0, data.length);
    for (let i = 0; i < 4; i++) out[4 + i] = type.charCodeAt(i);
    out.set(data, 8);
    view.setUint32(8 + data.length, crc32(out.subarray(4, 8 + data.length)));
    return out;
  }

  async function zlib(bytes) {
    const stream = new Blob([bytes]).stream().pipeThrough(new CompressionStream('deflate'));
    return new Uint8Array(await new Response(stream).arrayBuffer());
  }

  // Each row is a filter byte (0: none) and the row's indices.
  function rows(width, height, indices, scale) {
    const w = width * scale, out = new Uint8Array((w + 1) * height * scale);
    let at = 0;
    for (let y = 0; y < height; y++) {
      const row = out.subarray(at + 1, at + 1 + w);
      for (let x = 0; x < width; x++) row.fill(indices[y * width + x], x * scale, (x + 1) * scale);
      for (let r = 1; r < scale; r++) out.copyWithin(at + r * (w + 1), at, at + w + 1);
      at += scale * (w + 1);
    }
    return out;
  }

  // colours: 256 entries 0xRRGGBB. A Blob of type image/png.
  async function indexedPng(width, height, indices, colours, scale) {
    const header = new Uint8Array(13);
    const view = new DataView(header.buffer);
    view.setUint32(0, width * scale);
    view.setUint32(4, height * scale);
    header.set([8, 3, 0, 0, 0], 8);  // 8 bits, palette colour, deflate, no filter choice, no interlace
    const palette = new Uint8Array(3 * 256);
    colours.forEach((c, i) => palette.set([c >>> 16 & 0xFF, c >>> 8 & 0xFF, c & 0xFF], 3 * i));
    const signature = new Uint8Array([0x89, 0x50, 0x4E, 0x47, 0x0D, 0x0A, 0x1A, 0x0A]);
    const data = await zlib(rows(width, height, indices, scale));
    return new Blob([signature, chunk('IHDR', header), chunk('PLTE', palette), chunk('IDAT', data),
                     chunk('IEND', new Uint8Array(0))], { type: 'image/png' });
  }

  window.indexedPng = indexedPng;
})();
