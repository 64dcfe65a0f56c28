// The page's sound on the audio thread: blocks of the show's mixed music (stereo at 44100 Hz)
// arrive from the page in order and play back to back, resampled to the device's rate, so neither
// a busy page nor its throttled timers can break the sound while blocks are queued. It tells the
// page how far it has played, and counts the times it ran out of music while playing (gaps).
class TenfoldMusic extends AudioWorkletProcessor {
  constructor() {
    super();
    this.blocks = [];     // [left, right] Float32Arrays
    this.at = 0;          // position in the first block, fractional when resampling
    this.played = 0;      // input frames played
    this.gaps = 0;
    this.step = 44100 / sampleRate;
    this.quanta = 0;
    this.port.onmessage = (e) => this.blocks.push(e.data);
  }

  sample(channel, offset) {
    let i = Math.floor(this.at) + offset;
    for (const block of this.blocks) {
      if (i < block[channel].length) return block[channel][i];
      i -= block[channel].length;
    }
    return 0;
  }

  queued() {
    let n = -this.at;
    for (const block of this.blocks) n += block[0].length;
    return n;
  }

  process(inputs, outputs) {
    const [left, right] = outputs[0];
    let i = 0;
    for (; i < left.length && this.queued() > 1; i++) {
      const f = this.at - Math.floor(this.at);
      for (const [c, out] of [[0, left], [1, right]]) {
        const a = this.sample(c, 0), b = this.sample(c, 1);
        if (out) out[i] = a + (b - a) * f;
      }
      this.at += this.step;
      while (this.blocks.length && this.at >= this.blocks[0][0].length) {
        this.at -= this.blocks[0][0].length;
        this.played += this.blocks[0][0].length;
        this.blocks.shift();
      }
    }
    if (i < left.length && this.played + this.at > 0) this.gaps++;
    for (; i < left.length; i++) {
      left[i] = 0;
      if (right) right[i] = 0;
    }
    if (++this.quanta % 8 === 0) this.port.postMessage({played: this.played + this.at, gaps: this.gaps});
    return true;
  }
}

registerProcessor('tenfold-music', TenfoldMusic);
