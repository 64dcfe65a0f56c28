// The page around the show: loads the asset pack and the program, starts them on a click (sound
// may start only after a gesture) or at once with ?clock=virtual, draws the pictures into the
// canvas at a whole-number scale on the browser's refreshes, plays the mixed music through an
// audio worklet, pauses both together (Space, or the tab hidden), and says what happens.
// window.tenfold holds what the tests read: the phase, the exit status, the messages, the scene
// and song position, the audio's progress and gaps, and under the virtual clock every tick's
// frame hashes and the scene marks.
(function () {
  'use strict';
  const WIDTH = 320, HEIGHT = 240, RATE = 44100;
  const query = new URLSearchParams(location.search);
  const virtualClock = query.get('clock') === 'virtual';
  const vsync = query.get('vsync') !== 'off';  // off: the ticks keep the show's own timer
  const stage = document.getElementById('stage');
  const canvas = document.getElementById('screen');
  const screen2d = canvas.getContext('2d');
  const statusLine = document.getElementById('status');
  const messageLine = document.getElementById('message');
  const log = document.getElementById('log');
  const startButton = document.getElementById('start');

  const state = {
    phase: 'loading', clock: virtualClock ? 'virtual' : 'real', status: null, stdout: [], stderr: [],
    errors: [], scene: 0, song: -1, marks: [], frames: {}, lastTick: -1, paused: false,
    audio: { state: 'none', seconds: 0, peak: 0, gaps: 0, worklet: false },
    sync: [],  // per picture drawn: [time, tick, samples heard minus the samples it goes with]
  };
  window.tenfold = state;

  let quitRequested = false;
  let audio = null;  // { ctx, node (worklet) or next (buffer sources), sent, played: [frames, ctx time] }
  let pauseSince = -1;  // performance.now() when the pause began, -1 while playing
  let pausedByHiding = false;

  // Refreshes: the program reads them (a count and a time) to lay its ticks on; pictures wait in
  // a queue for the refresh the program chose for each and the newest due one is drawn.
  // The count goes by the refreshes' times, so one the browser skipped (a busy page) is counted too.
  let refreshCount = 0, lastRefresh = -1, frameMs = 1000 / 60;
  const refreshes = [];
  const pictures = [];  // { image, target, tick, sent }
  const spare = [];     // ImageData to reuse

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
    } else if (e.key === ' ' && state.phase === 'playing') {
      e.preventDefault();
      pausedByHiding = false;
      setPaused(pauseSince < 0);
    }
  });

  // Frames of music played by now, counted at 44100 Hz from the first one queued.
  function audioPlayed() {
    if (!audio.node) return Math.max(0, audio.sent - (audio.next - audio.ctx.currentTime) * RATE);
    const [frames, at] = audio.played;
    const running = audio.ctx.state === 'running' ? audio.ctx.currentTime - at : 0;
    return Math.min(audio.sent, frames + running * RATE);
  }
  const outputLatency = () => (audio ? (audio.ctx.outputLatency || audio.ctx.baseLatency || 0) : 0);

  function onRefresh(time) {
    if (state.phase !== 'playing') return;
    requestAnimationFrame(onRefresh);
    const gap = lastRefresh < 0 ? frameMs : time - lastRefresh;
    if (gap < 1.5 * frameMs) frameMs += (gap - frameMs) / 32;
    refreshCount += Math.max(1, Math.round(gap / frameMs));
    lastRefresh = time;
    refreshes.push(refreshCount, time);
    if (refreshes.length > 240) refreshes.splice(0, refreshes.length - 240);
    if (pauseSince >= 0) return;
    let due = null;
    while (pictures.length && pictures[0].target <= refreshCount) {
      if (due) spare.push(due.image);
      due = pictures.shift();
    }
    if (!due) return;
    screen2d.putImageData(due.image, 0, 0);
    spare.push(due.image);
    if (audio) {
      const heard = audioPlayed() - outputLatency() * RATE;
      state.sync.push([time, due.tick, Math.round(heard - due.sent)]);
      if (state.sync.length > 4000) state.sync.splice(0, 2000);
    }
  }

  // Space, or the tab hidden: picture and music stop together, and go on together.
  function setPaused(on) {
    if (on === (pauseSince >= 0) || state.phase !== 'playing' || virtualClock) return;
    pauseSince = on ? performance.now() : -1;
    state.paused = on;
    if (audio) (on ? audio.ctx.suspend() : audio.ctx.resume()).then(() => { state.audio.state = audio.ctx.state; }, () => {});
  }
  document.addEventListener('visibilitychange', () => {
    if (document.hidden && pauseSince < 0) {
      pausedByHiding = true;
      setPaused(true);
    } else if (!document.hidden && pausedByHiding) {
      pausedByHiding = false;
      setPaused(false);
    }
  });

  // What the program's browser backend calls (src/console/browser.cpp).
  const side = {
    draw(ptr) {
      screen2d.putImageData(new ImageData(new Uint8ClampedArray(HEAPU8.buffer, ptr, WIDTH * HEIGHT * 4), WIDTH, HEIGHT), 0, 0);
    },
    // A picture for the refresh target (-1: the next one); tick names it.
    picture(ptr, target, tick) {
      const image = spare.pop() || new ImageData(WIDTH, HEIGHT);
      image.data.set(HEAPU8.subarray(ptr, ptr + WIDTH * HEIGHT * 4));
      pictures.push({ image, target: target < 0 ? refreshCount + 1 : target, tick, sent: audio ? audio.sent : 0 });
    },
    // Refreshes since the last call into counts and times (ms), at most max of them.
    takeRefreshes(counts, times, max) {
      if (!vsync) refreshes.length = 0;
      const n = Math.min(max, refreshes.length / 2);
      for (let i = 0; i < n; i++) {
        HEAP32[(counts >> 2) + i] = refreshes[2 * i];
        HEAPF64[(times >> 3) + i] = refreshes[2 * i + 1];
      }
      refreshes.splice(0, 2 * n);
      return n;
    },
    pauseSince() { return pauseSince; },
    progress(done) {
      if (done >= 0) setStatus(`going to the moment asked for: ${Math.round(100 * done)} %`);
      else if (state.scene > 0) side.scene(state.scene);
    },
    outputLatency,
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
    clockMs() { return performance.now(); },
    audioRunning() { return audio && audio.ctx.state === 'running' ? 1 : 0; },
    audioStart() { audio.next = audio.ctx.currentTime + 0.05; },
    // Seconds of music queued and not yet played.
    audioLead() { return audio ? (audio.sent - audioPlayed()) / RATE : 1; },
    audioPlay(ptr, frames) {
      const samples = new Int16Array(HEAP16.buffer, ptr, frames * 2);
      const left = new Float32Array(frames), right = new Float32Array(frames);
      let peak = state.audio.peak;
      for (let i = 0; i < frames; i++) {
        left[i] = samples[2 * i] / 32768;
        right[i] = samples[2 * i + 1] / 32768;
        peak = Math.max(peak, Math.abs(samples[2 * i]), Math.abs(samples[2 * i + 1]));
      }
      state.audio.peak = peak;
      audio.sent += frames;
      if (audio.node) {
        audio.node.port.postMessage([left, right], [left.buffer, right.buffer]);
      } else {
        // Without an audio worklet (a page not served over https): buffer sources, timed ahead.
        const ctx = audio.ctx;
        const buffer = ctx.createBuffer(2, frames, RATE);
        buffer.copyToChannel(left, 0);
        buffer.copyToChannel(right, 1);
        const source = ctx.createBufferSource();
        source.buffer = buffer;
        source.connect(ctx.destination);
        if (audio.next < ctx.currentTime) {  // fell behind: start again
          audio.next = ctx.currentTime + 0.02;
          state.audio.gaps++;
        }
        source.start(audio.next);
        audio.next += frames / RATE;
      }
      state.audio.seconds = audio.ctx.currentTime;
      state.audio.state = audio.ctx.state;
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
    if (!virtualClock) requestAnimationFrame(onRefresh);
    Module.callMain([]);
  }

  startButton.addEventListener('click', async () => {
    startButton.hidden = true;
    try {
      let ctx;
      try {
        ctx = new AudioContext({ sampleRate: RATE });
      } catch (e) {
        ctx = new AudioContext();  // the worklet resamples
      }
      audio = { ctx, node: null, next: 0, sent: 0, played: [0, 0] };
      try {
        await ctx.audioWorklet.addModule('audio.js');
        const node = new AudioWorkletNode(ctx, 'tenfold-music', { numberOfInputs: 0, outputChannelCount: [2] });
        node.port.onmessage = (e) => {
          audio.played = [e.data.played, ctx.currentTime];
          state.audio.gaps = e.data.gaps;
        };
        node.connect(ctx.destination);
        audio.node = node;
        state.audio.worklet = true;
      } catch (e) {
        audio.node = null;  // no worklet here: buffer sources
      }
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
