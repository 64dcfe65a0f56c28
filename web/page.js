// The page around the show: loads the program and its asset pack once, starts the show on a click
// or a tap (sound may start only after a gesture) or at once with ?clock=virtual, from the start or
// at a moment (?t=SECONDS, ?t=SCENE:SECONDS, #scene-N), draws the pictures into the canvas on the
// browser's refreshes, plays the mixed music through an audio worklet, pauses both together
// (Space, or the tab hidden), jumps (the keys 1 ... 0 and the arrows, the scene list), takes
// screenshots (S) and links to the moment shown. A jump forward asks the running program to seek
// on; a jump back ends it and starts a new instance of the program at the moment, in the same
// canvas and with the same sound.
// window.tenfold holds what the tests read: the phase, the exit status, the messages, the scene,
// tick and song position, the picture shown, the programs started, the audio's progress and gaps,
// the last link and screenshot names, and under the virtual clock every tick's frame hashes and
// the scene marks.
(function () {
  'use strict';
  const WIDTH = 320, HEIGHT = 240, RATE = 44100, TICK_RATE = 60, JUMP_SECONDS = 10;
  const query = new URLSearchParams(location.search);
  const clock = query.get('clock') === 'virtual' ? 'virtual' : 'real';
  const virtualClock = clock === 'virtual';
  const vsync = query.get('vsync') !== 'off';  // off: the ticks keep the show's own timer
  const element = (id) => document.getElementById(id);
  const stage = element('stage'), canvas = element('screen'), screen2d = canvas.getContext('2d');
  const statusLine = element('status'), messageLine = element('message'), log = element('log');
  const startButton = element('start'), progressBar = element('progress');
  const shared = element('shared'), sharedLink = element('shared-link'), sharedNote = element('shared-note');
  const coarsePointer = matchMedia('(pointer: coarse)');

  const state = {
    phase: 'loading', clock, status: null, stdout: [], stderr: [], errors: [], programs: 0,
    scene: 0, tick: -1, song: -1, marks: [], frames: {}, lastTick: -1, paused: false, link: null, shots: [],
    shown: null,  // [scene, tick] of the picture on the canvas
    startedAt: 0, shownAt: 0,  // performance.now() when the program started, and when its first picture showed
    audio: { state: 'none', seconds: 0, peak: 0, gaps: 0, worklet: false, context: null },
    sync: [],  // per picture drawn: [time, tick, samples heard minus the samples it goes with]
    pictures: { onTime: 0, late: 0, dropped: 0 },  // the program's pictures: drawn at their refresh, after it, never
  };
  window.tenfold = state;

  let loaded = null;     // { wasm: the compiled program, pack: data.dat's bytes or null }
  let program = null;    // the program running: what the viewer asked of it (quit, jump), its end
  let startAt = firstMoment();  // TENFOLD_START of the next program; null: the show's start
  let audio = null;  // { ctx, node (worklet) or next and sources (buffer sources), sent, played: [frames, ctx time] }
  let flushes = 0;   // of the worklet's queue, one for each program after the first
  let pauseSince = -1;  // performance.now() when the pause began, -1 while playing
  let pausedByHiding = false;
  const sceneStarts = {};  // scene: its first tick, as the programs reported them

  // Refreshes: the program reads them (a count and a time) to lay its ticks on; pictures wait in
  // a queue for the refresh the program chose for each and the newest due one is drawn.
  // The count goes by the refreshes' times, so one the browser skipped (a busy page) is counted too.
  let refreshCount = 0, lastRefresh = -1, frameMs = 1000 / 60, refreshing = false;
  const refreshes = [];
  const pictures = [];  // { image, indices, colours, tick, scene, target, sent }
  const spare = [];     // pictures to reuse
  let shown = null;     // the picture on the canvas

  let statusScene = -1;  // the scene the status line names, -1 while it says something else
  const setStatus = (text) => {
    statusLine.textContent = text;
    statusScene = -1;
  };
  const hex = (hi, lo) => (hi >>> 0).toString(16).padStart(8, '0') + (lo >>> 0).toString(16).padStart(8, '0');
  // The banner's terminal escapes mean nothing here.
  const plain = (text) => text.replace(/\x1b\[[0-9;]*[A-Za-z]|\x1b\([A-Za-z0-9]/g, '');
  const showMessage = (text) => {
    messageLine.hidden = false;
    messageLine.textContent += (messageLine.textContent ? '\n' : '') + text;
  };
  const playing = () => state.phase === 'playing';

  // ?t= as written (the program reads it and names what is wrong with it), else #scene-N.
  function firstMoment() {
    if (query.has('t')) return query.get('t');
    const scene = sceneOfHash();
    return scene === null ? null : scene + ':0';
  }

  function sceneOfHash() {
    const m = /^#scene-(.+)$/.exec(location.hash);
    return m ? decodeURIComponent(m[1]) : null;
  }

  // ---- the picture's size ----------------------------------------------------------------------
  // Device pixels per pixel of the show: the largest whole number that fits, as in the window; on
  // phones and in the fill mode the picture fills the width or the height, whole-number-scaled
  // where that fits exactly, else fitted with sharp pixels (the canvas is pixelated).
  function layout() {
    const style = getComputedStyle(stage);
    const w = stage.clientWidth - parseFloat(style.paddingLeft) - parseFloat(style.paddingRight);
    const h = stage.clientHeight - parseFloat(style.paddingTop) - parseFloat(style.paddingBottom);
    const ratio = window.devicePixelRatio || 1;
    const fit = Math.min((w * ratio) / WIDTH, (h * ratio) / HEIGHT);
    const filling = document.body.classList.contains('fill') || coarsePointer.matches;
    const scale = filling || fit < 1 ? fit : Math.floor(fit);
    canvas.style.width = (WIDTH * scale) / ratio + 'px';
    canvas.style.height = (HEIGHT * scale) / ratio + 'px';
    // The seek's bar: 240 x 12 pixels of the show across its middle, as the native displays draw it.
    progressBar.style.width = (240 * scale) / ratio + 'px';
    progressBar.style.height = (12 * scale) / ratio + 'px';
  }
  new ResizeObserver(layout).observe(stage);

  // The fill mode: the picture alone over the whole viewport, inside its safe areas, by CSS, for
  // phones that have no Fullscreen API for elements. Fullscreen is asked for as well where there is one.
  function setFill(on) {
    document.body.classList.toggle('fill', on);
    layout();
  }

  function toggleFullscreen() {
    if (document.fullscreenElement) return document.exitFullscreen().catch(() => {});
    if (document.body.classList.contains('fill')) return setFill(false);
    if (coarsePointer.matches || !stage.requestFullscreen) setFill(true);
    if (stage.requestFullscreen) stage.requestFullscreen().catch(() => setFill(true));
  }
  element('fullscreen').addEventListener('click', toggleFullscreen);
  document.addEventListener('fullscreenchange', () => {
    if (!document.fullscreenElement) setFill(false);
  });

  // ---- keys and controls -----------------------------------------------------------------------
  const KEYS = {
    F11: toggleFullscreen,
    Escape: () => (document.body.classList.contains('fill') ? setFill(false) : program && (program.quit = true)),
    ' ': () => {
      pausedByHiding = false;
      setPaused(pauseSince < 0);
    },
    ArrowLeft: () => jumpBy(-JUMP_SECONDS),
    ArrowRight: () => jumpBy(JUMP_SECONDS),
    s: takeScreenshot,
    S: takeScreenshot,
  };
  for (let n = 1; n <= 10; n++) KEYS[String(n % 10)] = () => jumpToScene(n);

  window.addEventListener('keydown', (e) => {
    const action = KEYS[e.key];
    if (!action || e.ctrlKey || e.altKey || e.metaKey || e.target.tagName === 'INPUT') return;
    e.preventDefault();
    action();
  });

  for (const a of document.querySelectorAll('#scenes a')) {
    a.addEventListener('click', (e) => {
      e.preventDefault();
      jumpToScene(Number(a.dataset.scene));
    });
  }
  window.addEventListener('hashchange', () => {
    const scene = Number(sceneOfHash());
    if (Number.isInteger(scene) && scene >= 1 && scene <= 10) jumpToScene(scene);
  });
  element('link').addEventListener('click', copyLink);
  element('shot').addEventListener('click', takeScreenshot);

  // ---- jumps -----------------------------------------------------------------------------------
  // Before the show has started, a jump says where it starts (and the key or click starts it).
  // Forward, the running program seeks on; back, the page starts the show again at the moment.

  // The show's tick; while a new program goes to its moment, the tick of that moment.
  let goingTo = -1;
  const showTick = () => (state.tick >= 0 ? state.tick : Math.max(0, goingTo));

  function jumpToScene(n) {
    if (!loaded) return;
    if (program && !program.ended && n > state.scene) return askProgram(n, 0);
    goingTo = sceneStarts[n] !== undefined ? sceneStarts[n] : -1;
    startAgain(n + ':0');
  }

  function jumpBy(seconds) {
    if (!loaded) return;
    if (program && !program.ended && seconds > 0) return askProgram(0, seconds);
    goingTo = Math.max(0, showTick() + seconds * TICK_RATE);
    startAgain((goingTo / TICK_RATE).toFixed(4));
  }

  function askProgram(scene, seconds) {
    setPaused(false);
    state.audio.peak = 0;
    program.jump = scene ? { scene, seconds: 0 } : { scene: 0, seconds: program.jump.seconds + seconds };
  }

  // Ends the program that runs (as Esc does), waits for its end, and starts a new one at the
  // moment, again if the viewer asked for another moment meanwhile.
  let wanted = null, restarting = false;
  async function startAgain(moment) {
    if (state.phase === 'ready') {
      startAt = moment;
      return begin();
    }
    wanted = moment;
    if (restarting) return;
    restarting = true;
    setPaused(false);
    if (audio) audio.ctx.resume().catch(() => {});
    state.phase = 'playing';
    startRefreshes();
    while (wanted !== null) {
      if (program && !program.ended) {
        program.replaced = program.quit = true;
        await program.end;
      }
      startAt = wanted;
      wanted = null;
      flushAudio();
      spare.push(...pictures.splice(0));
      try {
        await startProgram();
      } catch (e) {
        fail(e);
      }
    }
    restarting = false;
  }

  // ---- the program -----------------------------------------------------------------------------
  async function startProgram() {
    const self = { quit: false, jump: { scene: 0, seconds: 0 }, replaced: false, ended: false };
    self.end = new Promise((resolve) => { self.finished = resolve; });
    const module = {
      tenfold: programSide(self),
      noInitialRun: true,
      print,
      printErr,
      preRun: [(m) => {
        m.ENV.TENFOLD_CLOCK = clock;
        if (startAt !== null) m.ENV.TENFOLD_START = startAt;
        if (loaded.pack) m.FS_createDataFile('/', 'data.dat', loaded.pack, true, false, false);
      }],
      instantiateWasm(imports, receive) {
        WebAssembly.instantiate(loaded.wasm, imports).then((instance) => receive(instance, loaded.wasm), fail);
        return {};
      },
      onExit: (status) => finish(() => ended(status)),
      onAbort: (what) => finish(() => fail(new Error('the program failed: ' + what))),
    };
    // A program ended for a jump back says nothing of its end.
    const finish = (then) => {
      self.ended = true;
      self.finished();
      if (!self.replaced) then();
    };
    program = self;
    Object.assign(state, { status: null, tick: -1, marks: [], frames: {}, lastTick: -1, shownAt: 0, programs: state.programs + 1 });
    state.audio.peak = 0;
    messageLine.textContent = '';
    messageLine.hidden = true;
    setStatus(startAt === null ? 'starting …' : 'going to the moment asked for …');
    await createTenfold(module);
    if (virtualClock) module._tenfold_report_frames();
    state.startedAt = performance.now();
    module.callMain([]);
  }

  function print(text) {
    const line = plain(text);
    state.stdout.push(line);
    log.textContent += line + '\n';
  }

  // The program's notes that it runs without a raised priority, which no page can give it, stay in
  // the console section; every other line of its standard error shows under the picture.
  function printErr(text) {
    state.stderr.push(text);
    log.textContent += text + '\n';
    if (!text.startsWith('d0h!')) showMessage(text);
  }

  function ended(status) {
    state.status = status;
    state.phase = 'ended';
    if (audio) audio.ctx.suspend().catch(() => {});
    progress(-1);
    setStatus(status === 1 ? 'The show has ended.' : `The show stopped (exit status ${status}).`);
  }

  function fail(error) {
    state.phase = 'failed';
    setStatus(error.message || String(error));
  }

  // What a program's browser backend calls (src/console/browser.cpp); a program being ended for
  // a jump back has nothing more to show or play.
  function programSide(self) {
    const live = () => !self.quit;
    return {
      draw(picture) {
        if (!live()) return;
        const p = keep(picture);
        screen2d.putImageData(p.image, 0, 0);
        setShown(p);
      },
      picture(picture, target) {
        if (!live()) return;
        const p = keep(picture);
        p.target = target < 0 ? refreshCount + 1 : target;
        p.sent = audio ? audio.sent : 0;
        pictures.push(p);
      },
      // Refreshes since the last call: count, time (ms), count, time ..., at most max of them.
      takeRefreshes(max) {
        if (!vsync) refreshes.length = 0;
        return refreshes.splice(0, 2 * Math.min(max, refreshes.length / 2));
      },
      pauseSince: () => pauseSince,
      progress: (done) => live() && progress(done),
      moment(tick, scene, sceneStart) {
        if (!live()) return;
        state.tick = tick;
        if (sceneStart >= 0) sceneStarts[scene] = sceneStart;
        if (scene !== state.scene || scene !== statusScene) showScene(scene);
      },
      frame(tick, scene, ih, il, dh, dl) {
        if (!live()) return;
        const last = state.marks[state.marks.length - 1];
        if (scene > 0 && (!last || last.scene !== scene)) state.marks.push({ scene, tick });
        state.frames[tick] = [scene, hex(ih, il), hex(dh, dl)];
        state.lastTick = tick;
      },
      song(position) {
        if (live()) state.song = position;
      },
      takeQuit: () => (self.quit ? 1 : 0),
      takeJump() {
        const jump = self.jump;
        self.jump = { scene: 0, seconds: 0 };
        return jump;
      },
      clockMs: () => performance.now(),
      outputLatency,
      audioRunning: () => (audio && audio.ctx.state === 'running' ? 1 : 0),
      audioStart() {
        audio.next = audio.ctx.currentTime + 0.05;
      },
      // Seconds of music queued and not yet played.
      audioLead: () => (audio ? (audio.sent - audioPlayed()) / RATE : 1),
      audioPlay: (samples) => live() && audioPlay(samples),
    };
  }

  // The status line names the scene, but not while a seek shows its progress there.
  function showScene(scene) {
    state.scene = scene;
    for (const a of document.querySelectorAll('#scenes a')) a.classList.toggle('now', Number(a.dataset.scene) === scene);
    if (!progressBar.hidden) return;
    if (scene > 0) setStatus(`scene ${scene} of 10` + (virtualClock ? ' (virtual clock)' : ''));
    statusScene = scene;
  }

  // A seek's progress (0 ... 1) over the dimmed picture; -1 hides it.
  function progress(done) {
    const on = done >= 0;
    stage.classList.toggle('seeking', on);
    progressBar.hidden = !on;
    if (!on) return;
    progressBar.firstElementChild.style.width = 100 * done + '%';
    setStatus(`going to the moment asked for: ${Math.round(100 * done)} %`);
  }

  // A copy of a picture the program handed over (its arrays are views of the program's memory).
  function keep(picture) {
    const p = spare.pop() || { image: new ImageData(WIDTH, HEIGHT), indices: new Uint8Array(WIDTH * HEIGHT), colours: new Uint32Array(256) };
    p.image.data.set(picture.rgba);
    p.indices.set(picture.indices);
    p.colours.set(picture.colours);
    p.tick = picture.tick;
    p.scene = picture.scene;
    return p;
  }

  function setShown(p) {
    if (shown) spare.push(shown);
    shown = p;
    state.shown = [p.scene, p.tick];
    if (!state.shownAt) state.shownAt = performance.now();
  }

  // ---- refreshes and pause ---------------------------------------------------------------------
  function startRefreshes() {
    if (refreshing || virtualClock) return;
    refreshing = true;
    requestAnimationFrame(onRefresh);
  }

  function onRefresh(time) {
    if (!playing()) {
      refreshing = false;
      return;
    }
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
      if (due) {
        spare.push(due);
        state.pictures.dropped++;
      }
      due = pictures.shift();
    }
    if (!due) return;
    state.pictures[due.target < refreshCount ? 'late' : 'onTime']++;
    screen2d.putImageData(due.image, 0, 0);
    setShown(due);
    if (audio) {
      const heard = audioPlayed() - outputLatency() * RATE;
      state.sync.push([time, due.tick, Math.round(heard - due.sent)]);
      if (state.sync.length > 4000) state.sync.splice(0, 2000);
    }
  }

  // Space, or the tab hidden: picture and music stop together, and go on together.
  function setPaused(on) {
    if (on === (pauseSince >= 0) || !playing() || virtualClock) return;
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

  // ---- sound -----------------------------------------------------------------------------------
  // Frames of music played by now, counted at 44100 Hz from the first one queued.
  function audioPlayed() {
    if (!audio.node) return Math.max(0, audio.sent - (audio.next - audio.ctx.currentTime) * RATE);
    const [frames, at] = audio.played;
    const running = audio.ctx.state === 'running' ? audio.ctx.currentTime - at : 0;
    return Math.min(audio.sent, frames + running * RATE);
  }
  const outputLatency = () => (audio ? (audio.ctx.outputLatency || audio.ctx.baseLatency || 0) : 0);

  function audioPlay(samples) {
    const frames = samples.length / 2;
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
      audio.sources.add(source);
      source.onended = () => audio.sources.delete(source);
      audio.next += frames / RATE;
    }
    state.audio.seconds = audio.ctx.currentTime;
    state.audio.state = audio.ctx.state;
  }

  // The music an ended program left queued is dropped; the next program's counts from 0.
  function flushAudio() {
    if (!audio) return;
    flushes++;
    if (audio.node) audio.node.port.postMessage({ flush: flushes });
    for (const source of audio.sources) source.stop();
    audio.sources.clear();
    audio.sent = 0;
    audio.played = [0, audio.ctx.currentTime];
  }

  // Made in the gesture that starts the show, the one that lets sound start; kept for every
  // program after it.
  async function openAudio() {
    let ctx;
    try {
      ctx = new AudioContext({ sampleRate: RATE });
    } catch (e) {
      ctx = new AudioContext();  // the worklet resamples
    }
    audio = { ctx, node: null, next: 0, sources: new Set(), sent: 0, played: [0, 0] };
    state.audio.context = ctx;
    try {
      await ctx.audioWorklet.addModule('audio.js');
      const node = new AudioWorkletNode(ctx, 'tenfold-music', { numberOfInputs: 0, outputChannelCount: [2] });
      node.port.onmessage = (e) => {
        if (e.data.flushes !== flushes) return;  // from before the last flush
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
  }

  // ---- starting --------------------------------------------------------------------------------
  async function begin(e) {
    if (state.phase !== 'ready') return;
    state.phase = 'playing';
    startButton.hidden = true;
    if (e && e.pointerType === 'touch') setFill(true);  // a phone: the picture fills the screen
    if (!virtualClock) {
      try {
        await openAudio();
      } catch (error) {
        audio = null;  // no Web Audio: the show plays silently at real-time pace
      }
    }
    startRefreshes();
    try {
      await startProgram();
    } catch (error) {
      fail(error);
    }
  }
  // The start button lies on the stage: a click or a tap anywhere on it starts the show.
  stage.addEventListener('click', (e) => {
    if (state.phase === 'ready') begin(e);
    else if (document.body.classList.contains('fill')) setFill(false);
  });

  // ---- links and screenshots -------------------------------------------------------------------
  // The moment of the picture shown: SCENE:SECONDS from its scene's first tick, or show seconds.
  function momentShown() {
    const tick = shown ? shown.tick : showTick();
    const scene = shown ? shown.scene : state.scene;
    const start = sceneStarts[scene];
    return scene > 0 && start !== undefined && tick >= start
      ? `${scene}:${((tick - start) / TICK_RATE).toFixed(2)}` : (tick / TICK_RATE).toFixed(2);
  }

  async function copyLink() {
    const others = new URLSearchParams(location.search);
    others.delete('t');
    const rest = others.toString();
    const link = location.origin + location.pathname + '?' + (rest ? rest + '&' : '') + 't=' + momentShown();
    state.link = link;
    shared.hidden = false;
    sharedLink.value = link;
    try {
      await navigator.clipboard.writeText(link);
      sharedNote.textContent = 'copied';
    } catch (e) {
      sharedNote.textContent = 'copy it from here';
      sharedLink.focus();
      sharedLink.select();
    }
  }

  // The picture on screen as two downloads: 320 x 240 with its palette, and 4 x, named by scene
  // and show time.
  async function takeScreenshot() {
    if (!shown) return;
    const name = `tenfold-scene${shown.scene}-${(shown.tick / TICK_RATE).toFixed(2).padStart(6, '0')}s`;
    const [indices, colours] = [shown.indices.slice(), shown.colours.slice()];  // another may be shown meanwhile
    for (const [suffix, scale] of [['', 1], ['-4x', 4]]) {
      const blob = await window.indexedPng(WIDTH, HEIGHT, indices, colours, scale);
      const a = document.createElement('a');
      a.href = URL.createObjectURL(blob);
      a.download = name + suffix + '.png';
      a.click();
      setTimeout(() => URL.revokeObjectURL(a.href), 60000);
      state.shots.push(a.download);
    }
  }

  // ---- loading ---------------------------------------------------------------------------------
  function addScript(src) {
    return new Promise((resolve, reject) => {
      const s = document.createElement('script');
      s.src = src;
      s.onload = resolve;
      s.onerror = () => reject(new Error('cannot load ' + src));
      document.body.appendChild(s);
    });
  }

  // The program, compiled once for every instance of it; a host that serves it with another type
  // than application/wasm gets it compiled from its bytes.
  async function compileProgram() {
    const response = await fetch('tenfold.wasm');
    if (!response.ok) throw new Error('cannot load tenfold.wasm');
    try {
      return await WebAssembly.compileStreaming(response.clone());
    } catch (e) {
      return WebAssembly.compile(await response.arrayBuffer());
    }
  }

  // The pack is fetched here, with progress, and put in each program's filesystem; without it
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
      return bytes;
    } catch (e) {
      return null;
    }
  }

  window.addEventListener('error', (e) => state.errors.push(String(e.message)));
  window.addEventListener('unhandledrejection', (e) => {
    // The program ending (exit) right after an awaited step unwinds as a rejected promise.
    if (e.reason && e.reason.name === 'ExitStatus') e.preventDefault();
    else state.errors.push(String(e.reason));
  });

  (async () => {
    layout();
    setStatus('loading …');
    try {
      const pack = await fetchPack();
      setStatus('loading the program …');
      const [wasm] = await Promise.all([compileProgram(), addScript('tenfold.js')]);
      loaded = { wasm, pack };
    } catch (e) {
      return fail(e);
    }
    state.phase = 'ready';
    if (virtualClock) return begin();
    setStatus('ready');
    startButton.textContent = coarsePointer.matches ? 'tap to start' : 'click to start';
    startButton.hidden = false;
  })();
})();
