// The page on phones and tablets, in Chromium's mobile emulation and in a
// Firefox whose pointer is a finger: a game played by touch is the same game
// as its recorded replay in the Linux build; the layout at phone sizes; the
// page's focus rule for keys, touch and controllers; and the start overlay's
// keys.
//
//   cd tests/web && DV_ENGINE=firefox node --test touch.test.js
//
// DV_WEB_DIR names the built page (default build/web); DV_NATIVE_DIR the
// native build's output folder (default build/default/out).
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const h = require('./harness');

const { after, before, test } = h;

const nativeDir = process.env.DV_NATIVE_DIR || path.join(h.root, 'build/default/out');

const PHONE = { touch: true };
const FINGERS = { skip: { webkit: h.NO_TOUCH } };
const LEFT = 203;
const RIGHT = 205;
const DOWN = 208;
const SPACE = 57;

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

// Fingers on the page's screen (the driver layer's touch actions), put
// down on a point or on an element's centre.
class Fingers {
  constructor(page) {
    this.page = page;
  }

  static async on(page) {
    return new Fingers(page);
  }

  async at(where) {
    return typeof where === 'string' ? this.page.centre(where) : where;
  }

  async down(id, at) {
    await this.page.touch.down(id, await this.at(at));
  }

  async move(id, at) {
    await this.page.touch.move(id, await this.at(at));
  }

  up(id) {
    return this.page.touch.up(id);
  }

  async tap(at, ms = 50) {
    await this.down(99, at);
    await this.page.waitForTimeout(ms);
    await this.up(99);
  }
}

const held = (page, selector) => page.evaluate((s) => document.querySelector(s).classList.contains('down'), selector);

const key = (code) => `#stage .key[data-key="${code}"]:not([data-answer])`;

// The run's end: its dump, and the keys --record wrote, as the replay file
// and as [tick, [codes down]] lines.
async function runEnd(page) {
  const line = await h.consoleLine(page, 'dump-state: ');
  await page.waitForFunction(() => window.dvExitStatus !== undefined, null, { what: 'the program\'s exit' });
  const log = await page.readLog();
  const recorded = log.console.filter((m) => m.text.startsWith('record: ')).map((m) => m.text.slice(8));
  assert.match(recorded[0] || '', /^# Dravo Vantle! keys/);
  const changes = recorded.slice(1).map((l) => {
    const [tick, ...codes] = l.split(' ').map(Number);
    return [tick, codes];
  });
  return { dump: JSON.parse(line.slice('dump-state: '.length)), replay: recorded.join('\n') + '\n', changes };
}

// The ticks over which `code` was down, as [first, last] spans.
function spans(changes, code, end) {
  const out = [];
  let from = null;
  for (const [tick, codes] of changes) {
    if (codes.includes(code) && from === null) {
      from = tick;
    } else if (!codes.includes(code) && from !== null) {
      out.push([from, tick - 1]);
      from = null;
    }
  }
  if (from !== null) {
    out.push([from, end]);
  }
  return out;
}

function replayInNative(replay, ticks) {
  const file = path.join(fs.mkdtempSync(path.join(os.tmpdir(), 'dv-touch-')), 'touch.txt');
  fs.writeFileSync(file, replay);
  try {
    return h.nativeRun(nativeDir, ['--replay', file, '--ticks', String(ticks)]).dump;
  } finally {
    fs.rmSync(path.dirname(file), { recursive: true, force: true });
  }
}

// Waits until the game has run at least `ticks` more ticks (it draws a frame
// every second tick), however slowly the machine runs the page.
async function waitTicks(page, ticks) {
  const start = await page.evaluate(() => window.dvFrames.length);
  await page.waitForFunction((n) => window.dvFrames.length >= n, start + Math.ceil(ticks / 2),
    { what: `${ticks} more ticks` });
}

async function tapStart(page, fingers) {
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  await fingers.tap('#start');
  await page.waitForFunction(() => window.dvFrames.length > 5);
}

test('a game played by touch in real time is the game its recorded keys replay in the Linux build', FINGERS, async () => {
  const ticks = 1500;
  const { page, context } = await h.openPage(browser, server, `?record&dump-state&ticks=${ticks}`,
    { viewport: { width: 390, height: 844 }, ...PHONE });
  const fingers = await Fingers.on(page);
  assert.match(await page.textContent('#start'), /Tocca lo schermo per giocare/);
  await tapStart(page, fingers);
  await page.waitForTimeout(300);
  await fingers.tap(key(SPACE));  // a new game, on release
  await page.waitForTimeout(400);
  await fingers.tap(key(LEFT));
  await page.waitForTimeout(150);
  await fingers.tap(key(RIGHT), 30);
  await page.waitForTimeout(150);
  // Held: it repeats after 0.15 s, and the button looks pressed.
  await fingers.down(1, key(LEFT));
  await page.waitForTimeout(100);
  assert.ok(await held(page, key(LEFT)), 'a held button looks held');
  await waitTicks(page, 50);
  await fingers.up(1);
  assert.ok(!await held(page, key(LEFT)));
  // ↓ held while a second finger taps Ruota.
  await fingers.down(1, key(DOWN));
  await page.waitForTimeout(150);
  await fingers.down(2, key(SPACE));
  await page.waitForTimeout(60);
  await fingers.up(2);
  await page.waitForTimeout(150);
  await fingers.up(1);
  await page.waitForTimeout(200);
  // Pause and go on.
  await fingers.tap(key(25));
  await page.waitForTimeout(400);
  await fingers.tap(key(25));
  await page.waitForTimeout(300);
  // "Finire il gioco?" answered no, then yes.
  await fingers.tap(key(1));
  await page.waitForTimeout(300);
  await fingers.tap('[data-answer="no"]');
  await page.waitForTimeout(300);
  await fingers.tap(key(1));
  await page.waitForTimeout(300);
  await fingers.tap('[data-answer="yes"]');
  const { dump, replay, changes } = await runEnd(page);

  const last = changes[changes.length - 1][0];
  assert.ok(last < ticks, `the play fitted in the run (last change at tick ${last})`);
  const leftHeld = spans(changes, LEFT, ticks).map(([a, b]) => b - a + 1);
  assert.equal(leftHeld.length, 2, 'two presses of ←');
  assert.ok(leftHeld[1] >= 50, `the held ← was held (${leftHeld[1]} ticks)`);
  assert.ok(changes.some(([, codes]) => codes.includes(DOWN) && codes.includes(SPACE)), 'two fingers at once');
  for (const code of [25, 1, 49, 31]) {
    assert.ok(changes.some(([, codes]) => codes.includes(code)), `key ${code} reached the game`);
  }
  assert.equal(dump.GameState, 3, 'back at the intro after yes: ' + JSON.stringify(dump));
  assert.ok(dump.GameScore > 0, 'a game was played: a piece went down');
  assert.deepEqual(dump, replayInNative(replay, ticks));
  await cleanLog(page);
  await context.close();
});

// Each size of phone in both orientations, a tablet both ways: all turned
// on one page while the game runs, which goes on undisturbed.
test('at every phone and tablet size the whole picture and every button fit, apart, and swipes move nothing',
  FINGERS, async () => {
  const { page, context } = await h.openPage(browser, server, '',
    { viewport: { width: 390, height: 844 }, ...PHONE });
  const fingers = await Fingers.on(page);
  await tapStart(page, fingers);
  await page.evaluate(() => { window.dvSamePage = true; });
  const sizes = [[360, 640], [390, 844], [430, 932], [640, 360], [844, 390], [932, 430], [768, 1024], [1024, 768]];
  for (const [width, height] of sizes) {
    const name = `${width}x${height}`;
    await page.setViewportSize({ width, height });
    await page.waitForTimeout(150);
    const frames = await page.evaluate(() => window.dvFrames.length);
    const layout = await page.evaluate(() => {
      const box = (el) => {
        const r = el.getBoundingClientRect();
        return { left: r.left, top: r.top, right: r.right, bottom: r.bottom, width: r.width, height: r.height };
      };
      return {
        view: { width: document.documentElement.clientWidth, height: document.documentElement.clientHeight },
        scroll: { width: document.documentElement.scrollWidth, height: document.documentElement.scrollHeight },
        picture: box(document.getElementById('canvas')),
        buttons: Array.from(document.querySelectorAll('#stage .key, #fullscreen')).map((b) => ({
          name: b.getAttribute('aria-label') || b.textContent, ...box(b),
        })),
      };
    });
    const { view, picture, buttons } = layout;
    assert.equal(view.width, width, name);
    assert.ok(layout.scroll.width <= width && layout.scroll.height <= height, `${name}: nothing to scroll`);
    assert.ok(picture.left >= 0 && picture.top >= 0 && picture.right <= width && picture.bottom <= height,
      `${name}: the whole picture is seen ${JSON.stringify(picture)}`);
    assert.ok(Math.abs(picture.width / picture.height - 4 / 3) < 0.01, `${name}: aspect kept`);
    if (height > width && width <= 430) {
      assert.equal(picture.width, width, `${name}: the picture spans the width`);
      assert.equal(picture.top, 0, `${name}: at the top`);
    }
    if (width > height && height <= 430) {
      assert.ok(picture.height >= 0.8 * height, `${name}: the picture is ${picture.height} px tall`);
      const beside = (side) => buttons.filter((b) => b.name !== 'Schermo intero' && side(b)).map((b) => b.name);
      assert.deepEqual(beside((b) => b.right <= picture.left).filter((n) => /Sinistra|Destra|Giù/.test(n)).sort(),
        ['Destra', 'Giù', 'Sinistra'], `${name}: the arrows left of the picture`);
      assert.deepEqual(beside((b) => b.left >= picture.right).filter((n) => n === 'Ruota'), ['Ruota'],
        `${name}: Ruota right of it`);
    }
    assert.equal(buttons.length, 11);
    for (const b of buttons) {
      const where = `${name}: ${b.name} ${JSON.stringify(b)}`;
      assert.ok(b.width >= 48 && b.height >= 48, `${where} is at least 48x48`);
      assert.ok(b.left >= 0 && b.top >= 0 && b.right <= width && b.bottom <= height, `${where} is on the screen`);
      const overlaps = (a, c) => a.left < c.right && c.left < a.right && a.top < c.bottom && c.top < a.bottom;
      assert.ok(!overlaps(b, picture), `${where} is off the picture`);
      for (const other of buttons) {
        assert.ok(other === b || !overlaps(b, other), `${where} is apart from ${other.name}`);
      }
    }
    // Swipes, a pinch and a double tap on the picture and between the buttons.
    const mid = { x: (picture.left + picture.right) / 2, y: (picture.top + picture.bottom) / 2 };
    for (const from of [mid, { x: 4, y: height - 4 }]) {
      await fingers.down(1, from);
      for (let step = 1; step <= 5; ++step) {
        await fingers.move(1, { x: from.x + (step % 2 ? 20 : -20), y: Math.max(1, from.y - step * 40) });
      }
      await fingers.up(1);
    }
    await fingers.down(1, { x: mid.x - 10, y: mid.y });
    await fingers.down(2, { x: mid.x + 10, y: mid.y });
    await fingers.move(1, { x: mid.x - 80, y: mid.y - 40 });
    await fingers.move(2, { x: mid.x + 80, y: mid.y + 40 });
    await fingers.up(2);
    await fingers.up(1);
    await fingers.tap(mid, 20);
    await fingers.tap(mid, 20);
    await page.waitForTimeout(350);
    const moved = await page.evaluate(() => ({
      x: window.scrollX, y: window.scrollY, scale: window.visualViewport.scale,
      top: window.visualViewport.offsetTop, left: window.visualViewport.offsetLeft,
      selected: String(window.getSelection()),
    }));
    assert.deepEqual(moved, { x: 0, y: 0, scale: 1, top: 0, left: 0, selected: '' }, `${name}: nothing moved`);
    await page.waitForFunction((n) => window.dvFrames.length > n + 5, frames);
  }
  assert.equal(await page.evaluate(() => window.dvSamePage && window.dvExitStatus === undefined), true,
    'the game ran on through every turn');
  await cleanLog(page);
  await context.close();
});

test('the controls show from the start on a touch screen, after a touch elsewhere, and hide for a keyboard', FINGERS,
  async () => {
  const { page, context } = await h.openPage(browser, server);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  const shown = () => page.evaluate(() => document.querySelector(`.key[data-key="57"]`).offsetWidth > 0);
  assert.equal(await shown(), false, 'a desktop shows no touch controls');
  assert.match(await page.innerText('#start'), /Fai clic o premi un tasto/);
  const fingers = await Fingers.on(page);
  await fingers.tap('#bar', 30);
  assert.equal(await shown(), true, 'shown after a touch');
  assert.match(await page.innerText('#start'), /Tocca lo schermo/);
  await page.keyboard.press('Shift');
  assert.equal(await shown(), false, 'hidden after a key');
  await fingers.tap('#bar', 30);
  assert.equal(await shown(), true, 'shown again at the next touch');
  await cleanLog(page);
  await context.close();
});

// Each of these left a key down, or read a pad, in the game before.
test('a key whose release goes elsewhere is let go with the focus, and a keyup with Ctrl held comes up', async () => {
  const ticks = 600;
  const { page, context } = await h.openPage(browser, server, `?record&dump-state&ticks=${ticks}`);
  await h.startGame(page);
  await page.waitForTimeout(200);
  // The focus moves to the page beside the picture while ← is held.
  await page.keyboard.down('ArrowLeft');
  await page.waitForTimeout(150);
  await page.mouse.click(5, 5);
  await page.keyboard.up('ArrowLeft');
  await page.waitForTimeout(100);
  await page.click('#canvas');
  await page.waitForTimeout(150);
  // To the full-screen button while → is held.
  await page.keyboard.down('ArrowRight');
  await page.waitForTimeout(150);
  await page.click('#fullscreen');
  await page.keyboard.up('ArrowRight');
  await page.waitForTimeout(100);
  await page.click('#canvas');
  await page.waitForTimeout(150);
  // ↓ released while Ctrl is held.
  await page.keyboard.down('ArrowDown');
  await page.waitForTimeout(100);
  await page.keyboard.down('Control');
  await page.keyboard.up('ArrowDown');
  await page.waitForTimeout(100);
  await page.keyboard.up('Control');
  const { changes } = await runEnd(page);
  for (const [code, what] of [[LEFT, '← (click beside)'], [RIGHT, '→ (full-screen button)'], [DOWN, '↓ (Ctrl)']]) {
    const held = spans(changes, code, ticks);
    assert.equal(held.length, 1, `${what} pressed once: ${JSON.stringify(changes)}`);
    assert.ok(held[0][1] < ticks, `${what} let go: ${JSON.stringify(held)}`);
  }
  // In order: each let go before the next was pressed.
  const [l, r, d] = [LEFT, RIGHT, DOWN].map((c) => spans(changes, c, ticks)[0]);
  assert.ok(l[1] < r[0] && r[1] < d[0], JSON.stringify([l, r, d]));
  const errors = (await page.readLog()).console.filter((m) => m.type === 'error');
  assert.deepEqual(errors, []);
  await context.close();
});

test('a controller is read only while the game has the page\'s focus', async () => {
  const ticks = 400;
  const { page, context } = await h.openPage(browser, server, `?record&dump-state&ticks=${ticks}`);
  // A standard pad, as the browser's Gamepad API reports one.
  await page.addInitScript(() => {
    const pad = {
      id: 'test pad', index: 0, connected: true, mapping: 'standard', timestamp: 1, axes: [0, 0, 0, 0],
      buttons: Array.from({ length: 17 }, () => ({ pressed: false, touched: false, value: 0 })),
    };
    navigator.getGamepads = () => [pad, null, null, null];
    window.dvPress = (button, down) => {
      pad.buttons[button] = { pressed: down, touched: down, value: down ? 1 : 0 };
      pad.timestamp += 1;
    };
  });
  await page.reload();
  await h.startGame(page);
  await page.waitForTimeout(200);
  // Start (P) pressed with the focus on the full-screen button, then on the picture.
  await page.focus('#fullscreen');
  await page.evaluate(() => window.dvPress(9, true));
  await page.waitForTimeout(300);
  await page.evaluate(() => window.dvPress(9, false));
  await page.waitForTimeout(100);
  await page.focus('#canvas');
  await page.waitForTimeout(100);
  await page.evaluate(() => window.dvPress(3, true));  // Y: M
  await page.waitForTimeout(300);
  await page.evaluate(() => window.dvPress(3, false));
  const { changes } = await runEnd(page);
  assert.deepEqual(spans(changes, 25, ticks), [], 'the pad unread without the focus');
  assert.equal(spans(changes, 50, ticks).length, 1, `the pad read with it: ${JSON.stringify(changes)}`);
  await context.close();
});

test('on the start overlay F5, Ctrl+R, Tab and modifiers stay the browser\'s; an ordinary key starts', async () => {
  const { page, context } = await h.openPage(browser, server);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  await page.evaluate(() => {
    window.dvSamePage = true;
    window.dvPrevented = [];
    window.addEventListener('keydown', (e) => setTimeout(() => window.dvPrevented.push(e.defaultPrevented)));
  });
  for (const k of ['F5', 'Control+r', 'Tab', 'Alt', 'Shift', 'Control', 'Meta', 'F11']) {
    await page.keyboard.press(k);
  }
  await page.waitForTimeout(400);
  assert.equal(await page.evaluate(() => window.dvSamePage), true);
  assert.equal(await page.isVisible('#start'), true, 'still waiting');
  assert.equal(await page.evaluate(() => window.dvFrames.length), 0, 'nothing started');
  assert.deepEqual(await page.evaluate(() => window.dvPrevented.filter((p) => p)), [], 'no key was kept from the browser');
  await page.keyboard.press('KeyA');
  await page.waitForFunction(() => window.dvFrames.length > 5);
  assert.equal(await page.isVisible('#start'), false);
  await cleanLog(page);
  await context.close();
});

test('a finger sliding off a button lets go of it and presses nothing it slides onto; a tap shorter than a tick counts',
  FINGERS, async () => {
  const ticks = 500;
  const { page, context } = await h.openPage(browser, server, `?record&dump-state&ticks=${ticks}`,
    { viewport: { width: 390, height: 844 }, ...PHONE });
  const fingers = await Fingers.on(page);
  await tapStart(page, fingers);
  await page.waitForTimeout(200);
  await fingers.down(1, key(LEFT));
  await page.waitForTimeout(200);
  await fingers.move(1, '#canvas');
  await fingers.move(1, key(RIGHT));
  assert.ok(!await held(page, key(LEFT)), 'no longer looks held');
  await waitTicks(page, 100);
  await fingers.up(1);
  await page.waitForTimeout(100);
  // Down and up inside one task of the page: no tick can read between.
  const taps = await page.evaluate(async () => {
    const button = document.querySelector('.key[data-key="25"]');
    const r = button.getBoundingClientRect();
    const at = { clientX: r.left + r.width / 2, clientY: r.top + r.height / 2, pointerType: 'touch', bubbles: true };
    let n = 0;
    for (let i = 0; i < 3; ++i) {
      button.dispatchEvent(new PointerEvent('pointerdown', { ...at, pointerId: 40 + i }));
      button.dispatchEvent(new PointerEvent('pointerup', { ...at, pointerId: 40 + i }));
      n += 1;
      await new Promise((resolve) => setTimeout(resolve, 150));
    }
    return n;
  });
  assert.equal(taps, 3);
  const { changes } = await runEnd(page);
  const left = spans(changes, LEFT, ticks);
  assert.equal(left.length, 1);
  assert.ok(left[0][1] - left[0][0] < 60, `← let go as the finger left it, not 100 ticks later: ${JSON.stringify(left)}`);
  assert.deepEqual(spans(changes, RIGHT, ticks), [], 'sliding onto → pressed nothing');
  const p = spans(changes, 25, ticks);
  assert.equal(p.length, 3, `three taps, each seen: ${JSON.stringify(changes)}`);
  for (const [a, b] of p) {
    assert.equal(b, a, 'each for one tick');
  }
  await cleanLog(page);
  await context.close();
});
