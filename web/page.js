// The page around the game: loading bar, start overlay, full screen, the
// game's endings, and the native flags taken from the page's address.
'use strict';

(function () {
  const canvas = document.getElementById('canvas');
  const frame = document.getElementById('frame');
  const stage = document.getElementById('stage');
  const show = (id, shown) => { document.getElementById(id).hidden = !shown; };
  const hint = (text) => { document.getElementById('hint').textContent = text; };

  // The address carries the native flags: ?replay=r.txt&fast&ticks=600&dump-state
  const query = new URLSearchParams(location.search);
  const DUMP_FILE = '/dump-state.json';
  const REPLAY_FILE = '/replay.txt';
  const RECORD_FILE = '/record.txt';

  // The canvas keeps its 800x600 pixels and is scaled, aspect kept, into
  // what the rest of the stage's grid (page.css) leaves: beside the controls
  // on a landscape phone, above them elsewhere.
  const sideBySide = matchMedia('(orientation: landscape) and (max-height: 500px)');
  function fit() {
    frame.style.width = '0px';
    frame.style.height = '0px';
    const css = getComputedStyle(stage);
    const tracks = (list) => list.split(' ').map(parseFloat).filter((n) => !Number.isNaN(n));
    const rows = tracks(css.gridTemplateRows);
    const cols = tracks(css.gridTemplateColumns);
    const sum = (list, gap) => list.reduce((a, b) => a + b, 0) + gap * Math.max(0, list.length - 1);
    const width = stage.clientWidth - parseFloat(css.paddingLeft) - parseFloat(css.paddingRight);
    const height = stage.clientHeight - parseFloat(css.paddingTop) - parseFloat(css.paddingBottom);
    const beside = DvTouch.shown() && sideBySide.matches;
    const across = beside ? width - sum(cols, parseFloat(css.columnGap) || 0) : width;
    const down = beside ? height : height - sum(rows, parseFloat(css.rowGap) || 0);
    const scale = Math.max(0.1, Math.min(across / 800, down / 600));
    frame.style.width = Math.floor(800 * scale) + 'px';
    frame.style.height = Math.floor(600 * scale) + 'px';
    // The overlays' words shrink with the picture, down to a legible size.
    frame.style.fontSize = Math.max(9, Math.min(16, 20 * scale)) + 'px';
  }
  // Turning the phone or resizing lays the page out again; the game goes on.
  window.addEventListener('resize', fit);
  document.addEventListener('fullscreenchange', fit);
  document.addEventListener('webkitfullscreenchange', fit);
  sideBySide.addEventListener('change', fit);
  DvTouch.onChange(fit);
  fit();

  function setProgress(fraction) {
    const percent = Math.floor(Math.max(0, Math.min(1, fraction)) * 100);
    document.getElementById('percent').textContent = percent + '%';
    document.getElementById('bar-fill').style.width = percent + '%';
  }

  // Function keys, Ctrl and Cmd combinations are the browser's.
  function browserKey(e) {
    return /^F\d+$/.test(e.key) || e.ctrlKey || e.metaKey;
  }
  // A key that may start the game from the start overlay: not a modifier,
  // Tab, a function key or a browser shortcut, which keep working there.
  function ordinaryKey(e) {
    if (browserKey(e) || e.altKey) {
      return false;
    }
    return e.key.length === 1 || ['Enter', 'Escape', 'ArrowLeft', 'ArrowRight', 'ArrowUp', 'ArrowDown']
      .includes(e.key);
  }

  // Keys reach the game only while the canvas has focus.
  function focusHint() {
    if (started && !over) {
      hint(document.activeElement === canvas ? '' : 'Fai clic sul gioco per usare la tastiera.');
    }
  }
  canvas.addEventListener('focus', focusHint);
  canvas.addEventListener('blur', focusHint);
  // SDL stops the mouse's default actions on the canvas, focusing included.
  canvas.addEventListener('mousedown', () => canvas.focus(), true);

  // Full screen shows the whole stage. Safari on an iPad before 16.4 has
  // only the prefixed calls; an iPhone has none for anything but a video, so
  // there the button is not shown at all rather than failing when tapped.
  const fullScreenSupported = Boolean(document.fullscreenEnabled || document.webkitFullscreenEnabled);
  const fullScreenElement = () => document.fullscreenElement || document.webkitFullscreenElement || null;
  function requestFullScreen(element) {
    if (element.requestFullscreen) {
      return element.requestFullscreen({ navigationUI: 'hide' });
    }
    // The prefixed call returns nothing: its answer comes as an event.
    return new Promise((resolve, reject) => {
      const settle = (ok) => {
        document.removeEventListener('webkitfullscreenchange', granted);
        document.removeEventListener('webkitfullscreenerror', refused);
        (ok ? resolve : reject)(new Error('full screen refused'));
      };
      const granted = () => settle(true);
      const refused = () => settle(false);
      document.addEventListener('webkitfullscreenchange', granted);
      document.addEventListener('webkitfullscreenerror', refused);
      element.webkitRequestFullscreen();
    });
  }
  function exitFullScreen() {
    const exit = document.exitFullscreen || document.webkitExitFullscreen;
    const done = exit && exit.call(document);
    if (done && done.catch) {
      done.catch(() => {});
    }
  }
  document.getElementById('fullscreen').hidden = !fullScreenSupported;

  // Where the browser allows it, the keyboard is locked so that Escape
  // reaches the game.
  let escapeLocked = false;
  async function enterFullScreen() {
    try {
      await requestFullScreen(stage);
    } catch (e) {
      hint('Lo schermo intero non è disponibile.');
      return;
    }
    escapeLocked = false;
    if (navigator.keyboard && navigator.keyboard.lock) {
      try {
        await navigator.keyboard.lock(['Escape']);
        escapeLocked = true;
      } catch (e) {
        escapeLocked = false;
      }
    }
    // A phone is held sideways for the game, where the browser allows it.
    if (screen.orientation && screen.orientation.lock) {
      screen.orientation.lock('landscape').catch(() => {});
    }
    canvas.focus({ preventScroll: true });
    fullScreenHint();
  }
  function fullScreenHint() {
    if (fullScreenElement()) {
      hint(escapeLocked ? 'Schermo intero: tieni premuto Esc per uscire.'
        : 'Schermo intero: premi Esc per uscire (Esc non arriva al gioco).');
    } else {
      focusHint();
    }
  }
  document.getElementById('fullscreen').addEventListener('click', enterFullScreen);
  document.addEventListener('fullscreenchange', fullScreenHint);
  document.addEventListener('webkitfullscreenchange', fullScreenHint);
  // Alt+Enter switches full screen in the desktop game; here the page does
  // it, so that SDL never resizes the canvas.
  frame.addEventListener('keydown', (e) => {
    if (e.altKey && e.key === 'Enter') {
      e.preventDefault();
      e.stopPropagation();
      if (fullScreenElement()) {
        exitFullScreen();
      } else if (fullScreenSupported) {
        enterFullScreen();
      }
      return;
    }
    // The game uses no function keys and no Ctrl or Cmd: those stay the
    // browser's (reload, full screen, zoom), which SDL would otherwise stop.
    // Every keyup goes on to the game: a key released while Ctrl is held
    // must come up there too.
    if (browserKey(e)) {
      e.stopPropagation();
    }
  }, true);
  for (const button of document.querySelectorAll('.again')) {
    button.addEventListener('click', () => location.reload());
  }

  // A message box of the game (a start-up failure) goes on the page; the
  // browser's own alert() would block it.
  let failure = '';
  // The desktop game leaves its window up until the player closes it; here
  // the message stays on the page.
  window.alert = (text) => {
    // SDL puts the window's caption before the message: the page has its own.
    failure = String(text).replace(/^Dravo Vantle!\n\n/, '').trim();
    console.warn('dravo-vantle: ' + failure.replace(/\s+/g, ' '));
    over = true;
    hint('');
    document.getElementById('failure').textContent = failure;
    show('failed', true);
  };

  // Whatever stops the game says why on the page; the first reason stays.
  let failed = false;
  function fail(text) {
    if (failed) {
      console.warn('dravo-vantle: then ' + text.replace(/\s+/g, ' '));
      return;
    }
    console.error('dravo-vantle: ' + text.replace(/\s+/g, ' '));
    failed = true;
    // The music would play on over a stopped game.
    const audio = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    if (audio) {
      audio.suspend().catch(() => {});
    }
    over = true;
    hint('');
    document.getElementById('failure').textContent = text;
    show('loading', false);
    show('start', false);
    show('failed', true);
    document.dispatchEvent(new Event('dv:over'));
  }
  // A file that fails to load (the program's .data, a 404 or a broken
  // connection) and an exception or a WebAssembly trap escaping the game's
  // frame reach only the console: the page would stay frozen on its loading
  // bar or its last picture. A script that fails to load tells its element
  // alone, seen here on the way down.
  window.addEventListener('error', (e) => {
    if (e.target instanceof HTMLScriptElement) {
      fail('Non si è potuto scaricare ' + e.target.src + '.');
      return;
    }
    if (e.target !== window) {
      return;
    }
    // How the program ends itself, not a failure.
    if (e.error === 'unwind' || (e.error && e.error.name === 'ExitStatus')) {
      return;
    }
    const what = String(e.error && e.error.message ? e.error.message : e.message).replace(/^Uncaught (Error: )?/, '');
    fail((ready ? 'Errore interno del gioco: ' : 'Il caricamento non è riuscito: ') + what);
  }, true);
  window.addEventListener('unhandledrejection', (e) => {
    fail('Errore interno del gioco: ' + (e.reason && e.reason.message ? e.reason.message : e.reason));
  });

  // DEBUG.TXT goes to the browser's console, a line at a time.
  function debugDevice() {
    let line = [];
    Module.FS.createDevice('/', 'DEBUG.TXT', null, (code) => {
      if (code === 10) {
        console.log('DEBUG.TXT: ' + new TextDecoder().decode(new Uint8Array(line)).replace(/\r$/, ''));
        line = [];
      } else if (code !== null && code !== undefined) {
        line.push(code);
      }
    });
  }

  let started = false;
  let over = false;
  let lastFrame = null;
  let ready = false;
  let args = ['--windowed'];

  // A replay is a file of this site named from the page's folder: the
  // address could otherwise make the page fetch from anywhere.
  function replayAddress(name) {
    const url = new URL(name, location.href);
    if (/^([a-z][a-z\d+.-]*:|[\\/])/i.test(name) || url.origin !== location.origin) {
      throw new Error('replay ' + name + ': only a file of this site, named from the page\'s folder');
    }
    return url;
  }

  async function prepareArguments() {
    if (query.has('replay')) {
      const response = await fetch(replayAddress(query.get('replay')));
      if (!response.ok) {
        throw new Error('replay ' + query.get('replay') + ': ' + response.status);
      }
      Module.FS.writeFile(REPLAY_FILE, new Uint8Array(await response.arrayBuffer()));
      args.push('--replay', REPLAY_FILE);
    }
    if (query.has('ticks')) {
      args.push('--ticks', query.get('ticks'));
    }
    for (const flag of ['fast', 'tick-stats', 'timedemo']) {
      if (query.has(flag)) {
        args.push('--' + flag);
      }
    }
    if (query.has('dump-state')) {
      args.push('--dump-state', DUMP_FILE);
    }
    if (query.has('record')) {
      args.push('--record', RECORD_FILE);
    }
  }

  function start() {
    if (!ready || started) {
      return;
    }
    started = true;
    show('start', false);
    canvas.focus({ preventScroll: true });
    focusHint();
    // Inside the click or key handler: the one moment sound may start.
    document.dispatchEvent(new Event('dv:playing'));
    Module.callMain(args);
  }
  document.getElementById('start').addEventListener('click', start);
  window.addEventListener('keydown', (e) => {
    if (ready && !started && ordinaryKey(e)) {
      e.preventDefault();
      start();
    }
  });

  function ended(status) {
    // Emscripten reports the program's exit twice: the page ends once.
    if (window.dvExitStatus !== undefined) {
      return;
    }
    over = true;
    document.dispatchEvent(new Event('dv:over'));
    hint('');
    if (query.has('dump-state')) {
      try {
        const dump = JSON.parse(new TextDecoder().decode(Module.FS.readFile(DUMP_FILE)));
        console.log('dump-state: ' + JSON.stringify(dump));
      } catch (e) {
        console.warn('dump-state: none written (' + e + ')');
      }
    }
    // The keys recorded, a line each, for a replay by the native build.
    if (query.has('record')) {
      try {
        const text = new TextDecoder().decode(Module.FS.readFile(RECORD_FILE));
        for (const line of text.split('\n').filter((l) => l !== '')) {
          console.log('record: ' + line);
        }
      } catch (e) {
        console.warn('record: none written (' + e + ')');
      }
    }
    // The program's exit status, for whoever watches the page (the tests).
    window.dvExitStatus = status;
    if (failure && status !== 0) {
      document.getElementById('failure').textContent = failure;
      show('failed', true);
    } else if (!query.has('dump-state') && !query.has('replay')) {
      show('ended', true);
    }
    if (fullScreenElement()) {
      exitFullScreen();
    }
  }

  window.Module = {
    canvas: canvas,
    noInitialRun: true,
    // The focus rule and the touch controls' keys, asked for by the game.
    dvInput: DvTouch.input,
    print: (text) => console.log(text),
    printErr: (text) => console.warn(text),
    preRun: [() => {
      // SDL's software renderer draws the same pixels as the desktop game,
      // and its keys are read from the canvas alone.
      Module.ENV.SDL_RENDER_DRIVER = 'software';
      Module.ENV.SDL_EMSCRIPTEN_KEYBOARD_ELEMENT = '#canvas';
    }],
    setStatus: (text) => {
      const m = /\((\d+(?:\.\d+)?)\/(\d+)\)/.exec(text || '');
      if (m) {
        setProgress(Number(m[1]) / Number(m[2]));
      }
    },
    onRuntimeInitialized: () => {
      debugDevice();
      prepareArguments().then(() => {
        setProgress(1);
        ready = true;
        show('loading', false);
        show('start', true);
        document.dispatchEvent(new Event('dv:ready'));
      }, (e) => fail(e.message));
    },
    // SDL empties the canvas as it closes; the game's last frame stays.
    onRunFinishing: () => {
      lastFrame = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    },
    // A crash of the program itself (out of memory, say) must not leave a
    // frozen picture without a word.
    onAbort: (what) => fail('Errore interno del gioco: ' + what),
    onExit: (status) => {
      if (lastFrame) {
        canvas.width = lastFrame.width;
        canvas.height = lastFrame.height;
        canvas.getContext('2d').putImageData(lastFrame, 0, 0);
      }
      ended(status);
    },
  };
})();
