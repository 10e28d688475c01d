// The game's web page in each browser engine: loading, the start overlay,
// drawing, sound, keys, the ending page, and replays whose end state and
// last frame match the Linux build's.
//
//   cd tests/web && npm ci && DV_ENGINE=firefox node --test page.test.js
//
// DV_WEB_DIR names the built page (default build/web); DV_NATIVE_DIR the
// native build's output folder (default build/default/out) whose program
// gives the reference dumps.
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');

const h = require('./harness');

const { after, before, test } = h;

const nativeDir = process.env.DV_NATIVE_DIR || path.join(h.root, 'build/default/out');

let server;
let browser;
before(async () => {
  server = await h.serve();
  browser = await h.launch();
});
after(async () => {
  await browser.close();
  await h.stop(server);
});

const cleanLog = h.cleanLog;

// The game reads the keyboard once per 10 ms tick: a key is held a little
// longer than that, as a player's finger does (a held arrow repeats only
// after 0.15 s).
async function tap(page, key) {
  await page.keyboard.down(key);
  await page.waitForTimeout(60);
  await page.keyboard.up(key);
}

// The end-of-run dump the page prints, as JSON.
async function pageDump(page, timeout) {
  const line = await h.consoleLine(page, 'dump-state: ', timeout);
  return JSON.parse(line.slice('dump-state: '.length));
}

const nativeRun = (args, shot) => h.nativeRun(nativeDir, args, shot);

test('the page loads cleanly, and the intro is drawn and animates only after the start click', async () => {
  const { page, context } = await h.openPage(browser, server);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  assert.equal(await page.textContent('#percent'), '100%');
  assert.match(await page.textContent('#start'), /Fai clic o premi un tasto per giocare/);
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => window.dvFrames.length), 0, 'nothing drawn before the start');

  await page.click('#start');
  const pixels = () => page.evaluate(() => {
    const d = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
    let lit = 0;
    let hash = 0;
    for (let i = 0; i < d.length; i += 4) {
      lit += d[i] + d[i + 1] + d[i + 2] > 60 ? 1 : 0;
      hash = (hash * 31 + d[i] + 7 * d[i + 1] + 13 * d[i + 2]) | 0;
    }
    return { lit, hash };
  });
  // The intro fades in from black over its first second and a half.
  await page.waitForFunction(() => window.dvFrames.length >= 10);
  const early = await pixels();
  await page.waitForFunction(() => window.dvFrames.length >= 100);
  const late = await pixels();
  assert.notEqual(early.hash, late.hash, 'the intro moves');
  assert.ok(late.lit > 800 * 600 / 4, `the intro lights the canvas (${late.lit} pixels)`);
  assert.ok(late.lit > early.lit, 'the intro fades in');
  assert.equal(await page.evaluate(() => document.activeElement.id), 'canvas', 'the canvas has the keys');

  // However the window is sized, the canvas keeps the game's pixels and its
  // aspect.
  await page.setViewportSize({ width: 700, height: 900 });
  await page.waitForTimeout(200);
  const size = await page.evaluate(() => {
    const c = document.getElementById('canvas');
    const r = c.getBoundingClientRect();
    return { w: c.width, h: c.height, cssW: r.width, cssH: r.height };
  });
  assert.equal(size.w, 800);
  assert.equal(size.h, 600);
  assert.ok(Math.abs(size.cssW / size.cssH - 4 / 3) < 0.01, `aspect kept: ${size.cssW}x${size.cssH}`);
  assert.ok(size.cssW <= 700);
  await cleanLog(page);
  await context.close();
});

test('after the start click the audio context runs and pulls the game\'s sound', async () => {
  const { page, context } = await h.openPage(browser, server);
  await h.startGame(page);
  await page.waitForFunction(() => Module.SDL2 && Module.SDL2.audio && Module.SDL2.audio.scriptProcessorNode);
  const pulled = await page.evaluate(async () => {
    const node = Module.SDL2.audio.scriptProcessorNode;
    const pull = node.onaudioprocess;
    let calls = 0;
    node.onaudioprocess = (e) => {
      calls += 1;
      pull(e);
    };
    const t0 = Module.SDL2.audioContext.currentTime;
    await new Promise((resolve) => setTimeout(resolve, 1000));
    return { state: Module.SDL2.audioContext.state, calls, advanced: Module.SDL2.audioContext.currentTime - t0 };
  });
  assert.equal(pulled.state, 'running');
  assert.ok(pulled.calls > 0, 'the audio callback is pulled');
  assert.ok(pulled.advanced > 0.5, `audio time advances (${pulled.advanced} s in 1 s)`);
  await cleanLog(page);
  await context.close();
});

test('keys pressed on the canvas start a game and move the falling piece, and never scroll the page', async () => {
  // Two short runs in real time: Space starts a game in both, the second
  // also moves the piece left twice.
  const run = async (moves) => {
    const { page, context } = await h.openPage(browser, server, '?ticks=250&dump-state');
    await page.evaluate(() => {
      // Seen first, read after the page and SDL have had the event.
      window.dvKeys = [];
      window.addEventListener('keydown', (e) => window.dvKeys.push(e), true);
    });
    await h.startGame(page);
    await page.waitForTimeout(300);
    await tap(page, 'Space');
    await page.waitForTimeout(300);
    for (let i = 0; i < moves; ++i) {
      await tap(page, 'ArrowLeft');
      await page.waitForTimeout(200);
    }
    await tap(page, 'ArrowDown');
    await tap(page, 'F2');
    const dump = await pageDump(page);
    const keys = await page.evaluate(() => window.dvKeys.map((e) => [e.code, e.defaultPrevented]));
    const scrolled = await page.evaluate(() => window.scrollY + document.documentElement.scrollTop);
    await cleanLog(page);
    await context.close();
    return { dump, keys, scrolled };
  };
  const still = await run(0);
  const moved = await run(2);
  assert.equal(still.dump.GameState, 1, 'Space started a game');
  assert.equal(moved.dump.GameState, 1);
  assert.equal(moved.dump.PieceX, still.dump.PieceX - 2, 'two steps left');
  for (const [code, prevented] of moved.keys) {
    if (code === 'F2') {
      assert.ok(!prevented, 'a function key stays the browser\'s');
    } else {
      assert.ok(prevented, `${code} reached the game only`);
    }
  }
  assert.ok(moved.keys.some(([code]) => code === 'F2'));
  assert.equal(moved.scrolled, 0);
});

test('keys reach the game only while the canvas has the focus; yes to the quit question ends it with the page saying so', async () => {
  const { page, context } = await h.openPage(browser, server);
  await h.startGame(page);
  await page.waitForTimeout(500);
  // Elsewhere on the page, Escape is not the game's.
  await page.focus('#fullscreen');
  await tap(page, 'Escape');
  assert.match(await page.textContent('#hint'), /Fai clic sul gioco/);
  await page.click('#canvas');
  await page.waitForTimeout(200);
  // "Vuoi veramente uscire?" asked now, not before: a second Escape here
  // would already have answered it.
  await tap(page, 'Escape');
  await page.waitForTimeout(300);
  assert.equal(await page.isVisible('#ended'), false);
  await tap(page, 'KeyS');
  await page.waitForSelector('#ended:not([hidden])');
  assert.match(await page.textContent('#ended'), /La partita è finita/);
  assert.equal(await page.evaluate(() => window.dvExitStatus), 0);
  await cleanLog(page);
  await context.close();
});

// Every replay of the end-to-end suites, played as fast as the page can:
// the dump equals the Linux build's, every field. The burst replay ends with
// cells and score labels in flight, so their floating-point motion is
// compared too.
test('every replay in the page ends in the Linux build\'s state, effects in flight included', async () => {
  const names = fs.readdirSync(path.join(h.fixtures, 'replays')).filter((f) => f.endsWith('.txt')).sort();
  assert.ok(names.length >= 4, names.join(' '));
  for (const file of names) {
    const { page, context } = await h.openPage(browser, server, `?replay=replays/${file}&fast&dump-state`);
    await h.startGame(page);
    // The five-minute replay takes three minutes in WebKitGTK's default mode here.
    const dump = await pageDump(page, 600000);
    const linux = nativeRun(['--replay', path.join(h.fixtures, 'replays', file)]);
    assert.deepEqual(dump, linux.dump, file);
    await cleanLog(page);
    await context.close();
  }
});

test('a replay stopped at a play frame leaves the Linux build\'s state and picture', async () => {
  const { page, context } = await h.openPage(browser, server,
    '?replay=replays/regression.txt&fast&ticks=1140&dump-state');
  await h.startGame(page);
  const dump = await pageDump(page);
  const replay = path.join(h.fixtures, 'replays/regression.txt');
  const linux = nativeRun(['--replay', replay, '--ticks', '1140'], 1140);
  assert.deepEqual(dump, linux.dump);
  const d = await h.compareWithPicture(page, linux.picture);
  assert.equal(d.width, 800);
  assert.ok(d.mean < 1.5 && d.changedShare < 0.005,
    `mean difference ${d.mean} per channel, ${d.changedShare * 100}% of pixels changed`);
  await cleanLog(page);
  await context.close();
});

test('a start-up failure shows the game\'s message on the page, not in a blocking alert', async () => {
  // The page's data package with a letter in the piece file's first cell line.
  const pieces = fs.readFileSync(path.join(h.root, 'data/PezziVantle.txt'));
  server.answer('dravo-vantle.data', (package_) => {
    const data = Buffer.from(package_);
    const at = data.indexOf(pieces);
    assert.ok(at >= 0, 'the piece file is in the package');
    const cell = at + pieces.indexOf('\n', pieces.indexOf('\n') + 1) + 1 + 2;
    data[cell] = 'x'.charCodeAt(0);
    return data;
  });
  const context = await browser.newContext();
  const page = await context.newPage();
  // A dialog would stop the page until someone answers it: each is counted.
  await page.addInitScript(() => {
    window.dvDialogs = [];
    for (const name of ['alert', 'confirm', 'prompt']) {
      window[name] = (message) => { window.dvDialogs.push(String(message)); };
    }
  });
  const { port } = server.address();
  await page.goto(`http://127.0.0.1:${port}/`);
  await h.startGame(page);
  try {
    await page.waitForSelector('#failed:not([hidden])');
    const shown = await page.textContent('#failure');
    assert.match(shown, /^-?\d+\s*\n/, 'the error number first');
    assert.match(shown, /PezziVantle\.txt/, 'the file named');
    assert.deepEqual(await page.evaluate(() => window.dvDialogs), []);
    const log = await page.readLog();
    assert.ok(log.console.some((m) => m.text.startsWith('DEBUG.TXT: ') && m.text.includes('PezziVantle.txt')),
      `DEBUG.TXT went to the console: ${JSON.stringify(log.console.slice(-5))}`);
  } finally {
    server.answer('dravo-vantle.data');
    await context.close();
  }
});

test('after a stall (as after a hidden tab) the ticks restart from then, without a burst', async () => {
  const { page, context } = await h.openPage(browser, server, '?ticks=300&tick-stats');
  await h.startGame(page);
  await page.waitForTimeout(1000);
  // 1.5 s without a frame: the browser calls nothing back, as for a hidden tab.
  await page.evaluate(() => {
    const end = performance.now() + 1500;
    while (performance.now() < end) {
      // the page's thread is held
    }
  });
  const line = await h.consoleLine(page, 'tick-stats: ');
  const number = (name) => Number(new RegExp(`${name} ([0-9.]+) ms`).exec(line)[1]);
  assert.ok(number('max lateness') > 1400, line);
  // 300 ticks over about 4.5 s of wall time: the 150 missed ticks were
  // dropped, not run in a burst (which would give 10 ms).
  assert.ok(number('mean period') > 13, line);
  // A burst would leave the 150 ticks after the stall up to 1.5 s late; a
  // loaded machine's late frames put the worst few ticks near 100 ms.
  assert.ok(number('p99 lateness') < 250, line);
  await cleanLog(page);
  await context.close();
});
