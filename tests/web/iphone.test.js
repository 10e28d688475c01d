// The page on an iPhone or iPad, played in each engine (WebKitGTK is the
// nearest) with what WebKit on iOS lacks or adds put in place before the
// page's scripts run: no Fullscreen API, `navigator.standalone`, an iPhone's
// user agent, an audio context the system interrupts, frames at a phone's
// 30 Hz in Low Power Mode.
//
//   cd tests/web && DV_ENGINE=webkit node --test iphone.test.js
//
// DV_WEB_DIR names the built page (default build/web); DV_NATIVE_DIR the
// native build's output folder (default build/default/out).
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');

const h = require('./harness');

const { after, before, describe, test } = h;

const nativeDir = process.env.DV_NATIVE_DIR || path.join(h.root, 'build/default/out');

const IPHONE = 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Version/17.5 Mobile/15E148 Safari/604.1';
const IPAD_AS_MAC = 'Mozilla/5.0 (Macintosh; Intel Mac OS X 10_15_7) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Version/17.5 Safari/605.1.15';
const CHROME_ON_IPHONE = 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) CriOS/126.0.6478.54 Mobile/15E148 Safari/604.1';
const CHROME_ON_OLD_IPHONE = CHROME_ON_IPHONE.replace('17_5', '16_3');
const APP_VIEW = 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 ' +
  '(KHTML, like Gecko) Mobile/15E148';

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

// A page opened with `setup` run before any of its scripts, its argument `arg`.
async function openWith(setup, arg, query = '', options = {}) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 760 }, ...options });
  const page = await context.newPage();
  await page.addInitScript(setup, arg);
  await page.goto(`http://127.0.0.1:${server.address().port}/${query}`);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  return { page, context };
}

describe('full screen only where the browser can make the stage full screen', () => {
  test('without the Fullscreen API there is no button, and Alt+Enter does nothing', async () => {
    const { page, context } = await openWith(() => {
      Object.defineProperty(Document.prototype, 'fullscreenEnabled', { get: () => false });
      Object.defineProperty(Document.prototype, 'webkitFullscreenEnabled', { get: () => undefined });
      delete Element.prototype.requestFullscreen;
      delete Element.prototype.webkitRequestFullscreen;
    });
    assert.equal(await page.isVisible('#fullscreen'), false);
    await h.startGame(page);
    await page.keyboard.press('Alt+Enter');
    await page.waitForTimeout(200);
    assert.equal(await page.textContent('#hint'), '', 'no word of a full screen that cannot be');
    await h.cleanLog(page);
    await context.close();
  });

  test('with only the prefixed calls (an older iPad) the button makes the stage full screen', async () => {
    const { page, context } = await openWith(() => {
      Object.defineProperty(Document.prototype, 'fullscreenEnabled', { get: () => undefined });
      delete Element.prototype.requestFullscreen;
      let element = null;
      window.dvAsked = [];
      Object.defineProperty(Document.prototype, 'webkitFullscreenEnabled', { get: () => true });
      Object.defineProperty(Document.prototype, 'webkitFullscreenElement', { get: () => element });
      // As Safari does: nothing returned, the answer an event later.
      Element.prototype.webkitRequestFullscreen = function () {
        window.dvAsked.push(this.id);
        setTimeout(() => {
          element = this;
          document.dispatchEvent(new Event('webkitfullscreenchange'));
        }, 10);
      };
    });
    assert.equal(await page.isVisible('#fullscreen'), true);
    await page.click('#fullscreen');
    await page.waitForFunction(() => document.getElementById('hint').textContent.startsWith('Schermo intero'));
    assert.deepEqual(await page.evaluate(() => window.dvAsked), ['stage']);
    await h.cleanLog(page);
    await context.close();
  });
});

describe('how to put the game on the Home screen', () => {
  // The page as a browser on iOS shows it: its user agent, its touch points
  // and its `navigator.standalone` (undefined everywhere else).
  const ios = ({ standalone, touchPoints }) => {
    if (standalone !== undefined) {
      Object.defineProperty(Navigator.prototype, 'standalone', { get: () => standalone });
    }
    Object.defineProperty(Navigator.prototype, 'maxTouchPoints', { get: () => touchPoints });
  };
  const hintText = (page) => page.evaluate(() => {
    const hint = document.getElementById('home-hint');
    return hint.hidden ? null : hint.textContent.trim();
  });

  test('Safari on an iPhone or an iPad says how, in its own menu\'s words; nowhere else', async () => {
    const cases = [
      { name: 'Safari on an iPhone', ua: IPHONE, standalone: false, touchPoints: 5, words: 'safari' },
      { name: 'Safari on an iPad, which says it is a Mac', ua: IPAD_AS_MAC, standalone: false, touchPoints: 5,
        words: 'safari' },
      { name: 'the Home screen app', ua: IPHONE, standalone: true, touchPoints: 5, words: null },
      { name: 'Safari on a Mac', ua: IPAD_AS_MAC, standalone: undefined, touchPoints: 0, words: null },
      { name: 'Chrome on an iPhone with iOS 17', ua: CHROME_ON_IPHONE, standalone: false, touchPoints: 5,
        words: 'browser' },
      { name: 'Chrome on an iPhone with iOS 16.3', ua: CHROME_ON_OLD_IPHONE, standalone: false, touchPoints: 5,
        words: null },
      { name: 'an app\'s built-in view', ua: APP_VIEW, standalone: false, touchPoints: 5, words: null },
      { name: 'a desktop browser', ua: undefined, standalone: undefined, touchPoints: 0, words: null },
    ];
    for (const c of cases) {
      const options = c.ua ? { userAgent: c.ua } : {};
      const { page, context } = await openWith(ios, c, '', options);
      const text = await hintText(page);
      if (c.words === null) {
        assert.equal(text, null, c.name);
      } else {
        assert.match(text, /"Condividi".*"Aggiungi alla schermata Home"/, c.name);
        assert.equal(/···/.test(text), c.words === 'safari', `${c.name}: ${text}`);
      }
      await h.cleanLog(page);
      await context.close();
    }
  });

  test('closing it does not start the game and is remembered; starting the game puts it away', async () => {
    const { page, context } = await openWith(ios, { standalone: false, touchPoints: 5 }, '',
      { userAgent: IPHONE });
    assert.notEqual(await hintText(page), null);
    await page.click('#home-hint-close');
    assert.equal(await hintText(page), null);
    assert.equal(await page.isVisible('#start'), true, 'the close button is not a start');
    await page.reload();
    await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    assert.equal(await hintText(page), null, 'closed for good');
    await h.cleanLog(page);
    await context.close();

    const second = await openWith(ios, { standalone: false, touchPoints: 5 }, '', { userAgent: IPHONE });
    assert.notEqual(await hintText(second.page), null);
    await h.startGame(second.page);
    assert.equal(await second.page.isVisible('#home-hint'), false);
    await second.context.close();
  });

  test('the page links an opaque 180x180 icon for the Home screen, kept for offline play', async () => {
    const { page, context } = await openWith(() => {});
    const icon = await page.evaluate(async () => {
      const link = document.querySelector('link[rel="apple-touch-icon"]');
      const img = new Image();
      img.src = link.href;
      await img.decode();
      const c = document.createElement('canvas');
      c.width = img.naturalWidth;
      c.height = img.naturalHeight;
      const g = c.getContext('2d');
      g.drawImage(img, 0, 0);
      const d = g.getImageData(0, 0, c.width, c.height).data;
      let clear = 0;
      for (let i = 3; i < d.length; i += 4) {
        clear += d[i] < 255 ? 1 : 0;
      }
      return { href: link.getAttribute('href'), width: img.naturalWidth, height: img.naturalHeight, clear };
    });
    assert.deepEqual([icon.width, icon.height, icon.clear], [180, 180, 0], icon.href);
    const worker = fs.readFileSync(path.join(h.pageDir, 'sw.js'), 'utf8');
    const files = JSON.parse(/^const FILES = (\[.*\]);$/m.exec(worker)[1]);
    assert.ok(files.includes(icon.href), `${icon.href} is among the worker's files`);
    await h.cleanLog(page);
    await context.close();
  });
});

describe('sound after the system stops it', () => {
  // An audio context the system can stop as iOS does: interrupted by a call
  // or Siri ('interrupted', resume() refused until it is over, then
  // 'suspended' with a statechange), or suspended and then resumable only
  // from a key, a tap or a click. Chromium has neither of its own.
  const interruptible = () => {
    // Inside the handling of a key, a tap or a click, as iOS counts it: this
    // listener runs before the page's, and the flag drops once the event's
    // task is over (Chromium's own activation would last five seconds).
    let gesture = false;
    for (const type of ['keydown', 'mousedown', 'pointerdown', 'pointerup', 'touchend', 'click']) {
      window.addEventListener(type, () => {
        gesture = true;
        setTimeout(() => { gesture = false; }, 0);
      }, true);
    }
    const Real = window.AudioContext;
    window.AudioContext = class extends Real {
      constructor(...args) {
        super(...args);
        this.dvInterrupted = false;
        this.dvNeedsGesture = false;
        window.dvAudio = this;
      }
      get state() {
        return this.dvInterrupted ? 'interrupted' : super.state;
      }
      resume() {
        if (this.dvInterrupted) {
          return Promise.reject(new DOMException('interrupted', 'InvalidStateError'));
        }
        if (this.dvNeedsGesture && !gesture) {
          return Promise.reject(new DOMException('not allowed', 'NotAllowedError'));
        }
        return super.resume();
      }
    };
    window.webkitAudioContext = window.AudioContext;
    window.dvPersist = 0;
    Object.defineProperty(navigator, 'storage', {
      value: { persist: () => { window.dvPersist += 1; return Promise.resolve(true); } },
    });
    let state = 'visible';
    Object.defineProperty(document, 'visibilityState', { get: () => state });
    Object.defineProperty(document, 'hidden', { get: () => state === 'hidden' });
    window.dvShow = (shown) => {
      state = shown ? 'visible' : 'hidden';
      document.dispatchEvent(new Event('visibilitychange'));
    };
  };
  const sound = (page) => page.evaluate(() => window.dvAudio.state);
  const soundIs = (page, state) => page.waitForFunction((s) => window.dvAudio && window.dvAudio.state === s,
    state, { what: `the sound ${state}` });

  test('a stopped context comes back on a key, a click and the end of an interruption; not while hidden', async () => {
    const { page, context } = await openWith(interruptible);
    assert.equal(await page.evaluate(() => window.dvPersist), 0, 'storage not asked for before a game');
    await h.startGame(page);
    await soundIs(page, 'running');
    assert.equal(await page.evaluate(() => window.dvPersist), 1, 'the start asks to keep the stored files');

    // Stopped by the system, back at the next key...
    const stop = () => page.evaluate(async () => {
      window.dvAudio.dvNeedsGesture = true;
      await window.dvAudio.suspend();
    });
    await stop();
    await page.waitForTimeout(300);
    assert.equal(await sound(page), 'suspended', 'not back without a key, a tap or a click');
    await page.keyboard.press('ArrowLeft');
    await soundIs(page, 'running');

    // ... and at the next click or tap.
    await stop();
    await page.waitForTimeout(300);
    assert.equal(await sound(page), 'suspended');
    await page.click('#canvas');
    await soundIs(page, 'running');

    // Interrupted: refused while it lasts, back on its own once it ends.
    await page.evaluate(async () => {
      window.dvAudio.dvNeedsGesture = false;
      window.dvAudio.dvInterrupted = true;
      await window.dvAudio.suspend();
    });
    await page.keyboard.press('ArrowRight');
    await page.waitForTimeout(300);
    assert.equal(await sound(page), 'interrupted');
    await page.evaluate(() => {
      window.dvAudio.dvInterrupted = false;
      window.dvAudio.dispatchEvent(new Event('statechange'));
    });
    await soundIs(page, 'running');

    // The page's own pause while hidden holds against keys; the return ends it.
    await page.evaluate(() => window.dvShow(false));
    await soundIs(page, 'suspended');
    await page.keyboard.press('ArrowLeft');
    await page.waitForTimeout(300);
    assert.equal(await sound(page), 'suspended', 'quiet while hidden');
    await page.evaluate(() => window.dvShow(true));
    await soundIs(page, 'running');
    assert.equal(await page.evaluate(() => window.dvPersist), 1, 'asked once');
    assert.deepEqual((await page.readLog()).errors, []);
    await context.close();
  });
});

test('with frames at 30 a second (Low Power Mode) the game keeps its 10 ms tick and its play', async () => {
  // Display frames on a 30 Hz grid, whatever the screen's own rate.
  const thirtyHertz = () => {
    window.dvCallbacks = [];
    let next = 0;
    window.requestAnimationFrame = (callback) => {
      const now = performance.now();
      next = Math.max(now, next + 1000 / 30);
      return setTimeout(() => {
        const t = performance.now();
        window.dvCallbacks.push(t);
        callback(t);
      }, next - now);
    };
  };
  const ticks = 1000;
  const replay = 'replays/regression.txt';
  const { page, context } = await openWith(thirtyHertz, null, `?replay=${replay}&ticks=${ticks}&dump-state&tick-stats`);
  await h.startGame(page);
  const line = await h.consoleLine(page, 'tick-stats: ');
  const dump = JSON.parse((await h.consoleLine(page, 'dump-state: ')).slice('dump-state: '.length));
  const native = h.nativeRun(nativeDir, ['--replay', path.join(h.fixtures, replay), '--ticks', String(ticks)]);
  assert.deepEqual(dump, native.dump);
  const rate = await page.evaluate(() => {
    const t = window.dvCallbacks;
    return (t.length - 1) * 1000 / (t[t.length - 1] - t[0]);
  });
  // Frames no faster than 30 a second (a loaded machine makes them slower).
  assert.ok(rate > 15 && rate < 32, `frames came at ${rate.toFixed(1)} Hz`);
  // Three or four ticks a frame: a tick a frame would give 33 ms, two 17 ms.
  // A loaded machine's late frames drop a few ticks past 100 ms behind.
  const mean = Number(/mean period ([0-9.]+) ms/.exec(line)[1]);
  assert.ok(mean > 9.9 && mean < 12, line);
  await h.cleanLog(page);
  await context.close();
});

// The memory the program declares, read from its .wasm: the memory section's
// limits, in 64 KiB pages.
function memoryLimits(bytes) {
  let at = 8;
  const leb = () => {
    let value = 0;
    let shift = 0;
    for (;;) {
      const b = bytes[at++];
      value += (b & 0x7f) * 2 ** shift;
      shift += 7;
      if (!(b & 0x80)) {
        return value;
      }
    }
  };
  while (at < bytes.length) {
    const id = bytes[at++];
    const size = leb();
    const end = at + size;
    if (id === 5) {
      assert.equal(leb(), 1, 'one memory');
      const flags = leb();
      const initial = leb();
      return { initial, maximum: flags & 1 ? leb() : null };
    }
    at = end;
  }
  return null;
}

test('the program asks for a capped memory: a phone may refuse a 2 GB reservation', () => {
  const limits = memoryLimits(fs.readFileSync(path.join(h.pageDir, 'dravo-vantle.wasm')));
  assert.equal(limits.initial, 512, '32 MB to start with');
  assert.ok(limits.maximum !== null && limits.maximum <= 8192, `maximum ${limits.maximum} pages`);
});
