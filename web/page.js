// The page around the show: loads the asset pack and the program, starts them on a click (sound
// may start only after a gesture) or at once with ?clock=virtual, draws the frames into the canvas
// at a whole-number scale, plays the mixed music through Web Audio, and says what happens.
// window.tenfold holds what the tests read: the phase, the exit status, the messages, the scene
// and song position, and under the virtual clock every tick's frame hashes and the scene marks.
(function () {
  'use strict';
  const WIDTH = 320, HEIGHT = 240, RATE = 44100;
  const virtualClock = new URLSearchParams(location.search).get('clock') === 'virtual';
  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const screen2d = canvas.getContext('2d');
  const statusLine = document.getElementById('status');
  const messageLine = document.getElementById('message');
  const log = document.getElementById('log');
  const startButton = document.getElementById('start');

  const state = {
    phase: 'loading', clock: virtualClock ? 'virtual' : 'real', status: null, stdout: [], stderr: [],
    errors: [], scene: 0, song: -1, marks: [], frames: {}, lastTick: -1,
    audio: { state: 'none', seconds: 0, peak: 0 },
  };
  window.tenfold = state;

  let quitRequested = false;
  let audio = null;  // { ctx, next, offset }

  const setStatus = (text) => { statusLine.textContent = text; };
  const hex = (hi, lo) => (hi >>> 0).toString(16).padStart(8, '0') + (lo >>> 0).toString(16).padStart(8, '0');
  // The banner's terminal escapes mean nothing here.
  const plain = (text) => text.replace(/\x1b\[[0-9;]*[A-Za-z]|\x1b\([A-Za-z0-9]/g, '');
  const showMessage = (text) => {
    messageLine.hidden = false;
    messageLine.textContent += (messageLine.textContent ? '\n' : '') + text;
  };

  // The largest whole-number scale that fits, so every pixel stays square and sharp.
  function layout() {
    const full = document.fullscreenElement === stage;
    const w = full ? screen.width : stage.clientWidth, h = full ? screen.height : stage.clientHeight;
    const scale = Math.max(1, Math.floor(Math.min(w / WIDTH, h / HEIGHT)));
    canvas.style.width = WIDTH * scale + 'px';
    canvas.style.height = HEIGHT * scale + 'px';
  }
  window.addEventListener('resize', layout);
  document.addEventListener('fullscreenchange', layout);

  function toggleFullscreen() {
    if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
    else stage.requestFullscreen().catch(() => {});
  }
  document.getElementById('fullscreen').addEventListener('click', toggleFullscreen);
  window.addEventListener('keydown', (e) => {
    if (e.key === 'F11') {
      e.preventDefault();
      toggleFullscreen();
    } else if (e.key === 'Escape' && state.phase === 'playing') {
      quitRequested = true;
    }
  });

  function audioClockMs() {
    const ctx = audio.ctx;
    const ts = ctx.getOutputTimestamp ? ctx.getOutputTimestamp() : {};
    if (ts.performanceTime > 0) return audio.offset + ts.contextTime * 1000 + (performance.now() - ts.performanceTime);
    return audio.offset + ctx.currentTime * 1000;
  }

  // What the program's browser backend calls (src/console/browser.cpp).
  const side = {
    draw(ptr) {
      screen2d.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, ptr, WIDTH * HEIGHT * 4), WIDTH, HEIGHT), 0, 0);
    },
    scene(n) {
      state.scene = n;
      if (n > 0) setStatus(`scene ${n} of 10` + (virtualClock ? ' (virtual clock)' : ''));
    },
    frame(tick, scene, ih, il, dh, dl) {
      const last = state.marks[state.marks.length - 1];
      if (scene > 0 && (!last || last.scene !== scene)) state.marks.push({ scene, tick });
      state.frames[tick] = [scene, hex(ih, il), hex(dh, dl)];
      state.lastTick = tick;
    },
    song(position) { state.song = position; },
    takeQuit() {
      const q = quitRequested;
      quitRequested = false;
      return q ? 1 : 0;
    },
    clockMs() { return audio && audio.ctx.state === 'running' ? audioClockMs() : performance.now(); },
    audioRunning() { return audio && audio.ctx.state === 'running' ? 1 : 0; },
    audioStart() { audio.next = audio.ctx.currentTime + 0.05; },
    audioLead() { return audio ? audio.next - audio.ctx.currentTime : 1; },
    audioPlay(ptr, frames) {
      const ctx = audio.ctx;
      const buffer = ctx.createBuffer(2, frames, RATE);
      const left = buffer.getChannelData(0), right = buffer.getChannelData(1);
      const samples = new Int16Array(HEAP16.buffer, ptr, frames * 2);
      let peak = state.audio.peak;
      for (let i = 0; i < frames; i++) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
        peak = Math.max(peak, Math.abs(samples[2 * i]), Math.abs(samples[2 * i + 1]));
      }
      state.audio.peak = peak;
      const source = ctx.createBufferSource();
      source.buffer = buffer;
      source.connect(ctx.destination);
      if (audio.next < ctx.currentTime) audio.next = ctx.currentTime + 0.02;  // fell behind: start again
      source.start(audio.next);
      audio.next += frames / RATE;
      state.audio.seconds = ctx.currentTime;
      state.audio.state = ctx.state;
    },
  };

  window.Module = {
    tenfold: side,
    noInitialRun: true,
    print(text) {
      const line = plain(text);
      state.stdout.push(line);
      log.textContent += line + '\n';
    },
    printErr(text) {
      state.stderr.push(text);
      log.textContent += text + '\n';
      showMessage(text);
    },
    preRun: [() => { Module.ENV.TENFOLD_CLOCK = virtualClock ? 'virtual' : 'real'; }],
    onRuntimeInitialized() {
      state.phase = 'ready';
      if (virtualClock) {
        run();
        return;
      }
      setStatus('ready');
      startButton.hidden = false;
    },
    onExit(status) {
      state.status = status;
      state.phase = 'ended';
      if (document.fullscreenElement) document.exitFullscreen().catch(() => {});
      if (audio) audio.ctx.close().catch(() => {});
      setStatus(status === 1 ? 'The show has ended.' : `The show stopped (exit status ${status}).`);
    },
  };

  async function run() {
    state.phase = 'playing';
    startButton.hidden = true;
    setStatus('starting …');
    Module.callMain([]);
  }

  startButton.addEventListener('click', async () => {
    startButton.hidden = true;
    try {
      const ctx = new AudioContext();
      audio = { ctx, next: 0, offset: performance.now() - ctx.currentTime * 1000 };
      await Promise.race([ctx.resume(), new Promise((r) => setTimeout(r, 1000))]);
      state.audio.state = ctx.state;
    } catch (e) {
      audio = null;  // no Web Audio: the show plays silently at real-time pace
    }
    run();
  });

  function addScript(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement('script');
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error('cannot load ' + src));
      document.body.appendChild(s);
    });
  }

  // The pack is fetched here, with progress, and handed to the file packager's loader; without it
  // the program starts all the same and says what is missing, as it does anywhere.
  async function fetchPack() {
    try {
      const response = await fetch('tenfold.data');
      if (!response.ok) return null;
      const total = Number(response.headers.get('Content-Length')) || 0;
      const reader = response.body.getReader();
      const parts = [];
      let got = 0;
      for (;;) {
        const { done, value } = await reader.read();
        if (done) break;
        parts.push(value);
        got += value.length;
        if (total) setStatus(`loading the pictures and music: ${Math.floor((100 * got) / total)} %`);
      }
      const bytes = new Uint8Array(got);
      let at = 0;
      for (const p of parts) {
        bytes.set(p, at);
        at += p.length;
      }
      return bytes.buffer;
    } catch (e) {
      return null;
    }
  }

  window.addEventListener('error', (e) => state.errors.push(String(e.message)));
  window.addEventListener('unhandledrejection', (e) => {
    // The program ending (exit) right after an awaited step unwinds as a rejected promise.
    if (typeof ExitStatus === 'function' && e.reason instanceof ExitStatus) e.preventDefault();
    else state.errors.push(String(e.reason));
  });

  (async () => {
    layout();
    setStatus('loading …');
    const pack = await fetchPack();
    setStatus('loading the program …');
    try {
      if (pack) {
        Module.getPreloadedPackage = () => pack;
        await addScript('tenfold-data.js');
      }
      await addScript('tenfold.js');
    } catch (e) {
      state.phase = 'failed';
      setStatus(e.message);
    }
  })();
})();
