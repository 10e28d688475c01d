// The page as an app: installable, playable offline once visited, updated
// without ever mixing two builds, never frozen without a word when a file or
// the program fails, quiet and free to dim while hidden.
//
//   cd tests/web && DV_ENGINE=webkit node --test app.test.js
//
// DV_WEB_DIR names the built page (default build/web); DV_ENGINE the engine
// (engines.js).
'use strict';

const assert = require('node:assert/strict');
const { execFileSync } = require('node:child_process');
const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');

const h = require('./harness');

const { after, before, describe, test } = h;

let browser;
before(async () => {
  browser = await h.launch();
});
after(async () => {
  await browser.close();
});

// The build's own name for its cache, as its service worker has it.
function buildOf(dir) {
  const worker = fs.readFileSync(path.join(dir, 'sw.js'), 'utf8');
  return {
    build: /^const BUILD = "([0-9a-f]+)";$/m.exec(worker)[1],
    files: JSON.parse(/^const FILES = (\[.*\]);$/m.exec(worker)[1]),
  };
}

// The state of the page's worker once it has finished activating.
async function workerReady(page) {
  return page.evaluate(async () => {
    const worker = (await navigator.serviceWorker.ready).active;
    if (worker.state === 'activating') {
      await new Promise((resolve) => worker.addEventListener('statechange', resolve, { once: true }));
    }
    return worker.state;
  });
}

const cacheNames = (page) => page.evaluate(() => caches.keys());

async function introDrawn(page) {
  await h.startGame(page);
  await page.waitForFunction(() => window.dvFrames.length >= 60);
  return page.evaluate(() => {
    const d = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
    let lit = 0;
    for (let i = 0; i < d.length; i += 4) {
      lit += d[i] + d[i + 1] + d[i + 2] > 60 ? 1 : 0;
    }
    return lit;
  });
}

// Installability is Chromium's to tell, through CDP.
const NOT_CHROMIUM = 'Page.getInstallabilityErrors ' + h.NO_CDP;
const CDP_ONLY = { skip: { firefox: NOT_CHROMIUM, webkit: NOT_CHROMIUM } };

describe('installed from a site', () => {
  let server;
  before(async () => {
    server = await h.serve({ at: '/game/' });
  });
  after(() => h.stop(server));

  test('Chromium finds the page installable from any folder, with its icons as the manifest says', CDP_ONLY, async () => {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dv-profile-'));
    const context = await browser.persistent(profile);
    try {
      const page = await context.firstPage();
      const { port } = server.address();
      await page.goto(`http://localhost:${port}/game/`);
      await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
      assert.equal(await workerReady(page), 'activated');
      const cdp = await page.cdp();
      const { installabilityErrors } = await cdp.send('Page.getInstallabilityErrors');
      assert.deepEqual(installabilityErrors, []);

      const { url, errors } = await cdp.send('Page.getAppManifest');
      assert.equal(url, `http://localhost:${port}/game/manifest.webmanifest`);
      assert.deepEqual(errors, []);
      const icons = await page.evaluate(async () => {
        const manifest = await (await fetch('manifest.webmanifest')).json();
        const out = [];
        for (const icon of manifest.icons) {
          const img = new Image();
          img.src = icon.src;
          await img.decode();
          const c = document.createElement('canvas');
          c.width = img.width;
          c.height = img.height;
          const g = c.getContext('2d');
          g.drawImage(img, 0, 0);
          out.push({ sizes: icon.sizes, purpose: icon.purpose, drawn: `${img.width}x${img.height}`,
            corner: g.getImageData(0, 0, 1, 1).data[3] });
        }
        return { start: new URL(manifest.start_url, location.href).href, icons: out };
      });
      assert.equal(icons.start, `http://localhost:${port}/game/`);
      for (const icon of icons.icons) {
        assert.equal(icon.drawn, icon.sizes, `${icon.purpose} icon drawn at its size`);
        // A mask shows the corners of the maskable icon: ground, not a hole.
        assert.equal(icon.corner, icon.purpose === 'maskable' ? 255 : 0, `${icon.purpose} icon's corner`);
      }
      assert.deepEqual(icons.icons.map((i) => i.sizes).sort(), ['192x192', '512x512', '512x512']);
    } finally {
      await context.close();
      fs.rmSync(profile, { recursive: true, force: true });
    }
  });

  test('after one visit the game starts and plays with the server gone', async () => {
    const own = await h.serve({ at: '/game/' });
    const context = await browser.newContext({ serviceWorkers: true });
    try {
      const page = await context.newPage();
      const log = page.log;
      const address = `http://localhost:${own.address().port}/game/`;
      await page.goto(address);
      await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
      assert.equal(await workerReady(page), 'activated');
      const { build, files } = buildOf(h.pageDir);
      const names = await cacheNames(page);
      assert.equal(names.length, 1);
      assert.ok(names[0].endsWith(' ' + build), names[0]);
      const kept = await page.evaluate((name) => caches.open(name).then((c) => c.keys()).then((k) => k.length), names[0]);
      assert.equal(kept, files.length, 'every file of the build kept');
      assert.ok(files.includes('dravo-vantle.data') && files.includes('licences/index.html'));

      await h.stop(own);
      await page.reload();
      await page.waitForSelector('#start:not([hidden])', { timeout: 30000 });
      const lit = await introDrawn(page);
      assert.ok(lit > 800 * 600 / 4, `the intro lights the canvas (${lit} pixels)`);
      assert.equal(await page.isVisible('#failed'), false);
      assert.deepEqual((await page.readLog()).errors, []);
      // The licences too, opened from the page's link.
      const licences = await context.newPage();
      await licences.goto(address + 'licences/index.html');
      const linked = await licences.evaluate(() => document.querySelectorAll('a').length);
      assert.ok(linked > 10, `${linked} licences listed`);
    } finally {
      await context.close();
      if (own.listening) {
        await h.stop(own);
      }
    }
  });
});

// Plain http from another machine: no service worker, no wake lock.
test('without a secure address the page plays as a plain page, from the network', async (t) => {
  const address = Object.values(os.networkInterfaces()).flat().find((a) => a.family === 'IPv4' && !a.internal);
  if (!address) {
    t.skip('this machine has no address but its loopback');
    return;
  }
  const server = await h.serve({ host: address.address });
  const context = await browser.newContext({ serviceWorkers: true });
  try {
    const page = await context.newPage();
    await page.goto(`http://${address.address}:${server.address().port}/`);
    assert.equal(await page.evaluate(() => window.isSecureContext), false);
    const lit = await introDrawn(page);
    assert.ok(lit > 800 * 600 / 4, `the intro lights the canvas (${lit} pixels)`);
    assert.equal(await page.isVisible('#failed'), false);
    const log = await page.readLog();
    assert.deepEqual(log.errors, []);
    assert.deepEqual(log.console.filter((m) => m.type === 'error'), []);
  } finally {
    await context.close();
    await h.stop(server);
  }
});

test('a new build waits until the old one\'s pages have closed, then runs whole and drops the old cache', async () => {
  const copy = fs.mkdtempSync(path.join(os.tmpdir(), 'dv-build-'));
  const dir = path.join(copy, 'web');
  fs.cpSync(h.pageDir, dir, { recursive: true });
  const server = await h.serve({ dir, at: '/game/' });
  const context = await browser.newContext({ serviceWorkers: true });
  const address = `http://localhost:${server.address().port}`;
  try {
    const old = await context.newPage();
    await old.goto(address + '/game/');
    await old.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    await workerReady(old);
    // Now a page of the old build, as after any visit but the first.
    await old.reload();
    await old.waitForSelector('#start:not([hidden])', { timeout: 30000 });
    assert.ok(await old.evaluate(() => navigator.serviceWorker.controller !== null), 'the old worker serves the page');
    const before = buildOf(dir).build;

    fs.appendFileSync(path.join(dir, 'page.js'), '\nwindow.dvBuild = "new";\n');
    const hash = execFileSync(path.join(h.root, 'scripts/web-precache'), [dir], { encoding: 'utf8' }).trim();
    assert.equal(hash, buildOf(dir).build);
    assert.notEqual(hash, before, 'one changed file, another build');

    const waiting = await old.evaluate(async () => {
      const r = await navigator.serviceWorker.getRegistration();
      await r.update();
      for (let i = 0; i < 600 && !(r.waiting && r.waiting.state === 'installed'); ++i) {
        await new Promise((resolve) => setTimeout(resolve, 50));
      }
      return r.waiting && r.waiting.state;
    });
    assert.equal(waiting, 'installed', 'the new build installed in the background');
    // The old page goes on with the old build's files, never the new ones.
    const seen = await old.evaluate(async () => ({
      build: window.dvBuild, script: await (await fetch('page.js')).text(),
    }));
    assert.equal(seen.build, undefined);
    assert.ok(!seen.script.includes('dvBuild'), 'the old page still gets the old page.js');
    assert.equal((await cacheNames(old)).length, 2);
    await old.close();

    // Seen from outside the game's folder, which no worker serves.
    const outside = await context.newPage();
    await outside.goto(address + '/replays/regression.txt');
    await outside.waitForFunction((name) => caches.keys().then((k) => k.length === 1 && k[0].endsWith(' ' + name)),
      hash, { what: 'the old cache dropped' });

    const fresh = await context.newPage();
    await fresh.goto(address + '/game/');
    assert.equal(await fresh.evaluate(() => window.dvBuild), 'new', 'the new page.js runs');
    assert.ok(await fresh.evaluate(() => navigator.serviceWorker.controller.scriptURL.endsWith('/game/sw.js')));
    const lit = await introDrawn(fresh);
    assert.ok(lit > 800 * 600 / 4, `the new build plays (${lit} pixels lit)`);
    const log = await fresh.readLog();
    assert.deepEqual(log.errors, []);
    assert.deepEqual(log.failed, []);
  } finally {
    await context.close();
    await h.stop(server);
    fs.rmSync(copy, { recursive: true, force: true });
  }
});

describe('never a frozen page without a word', () => {
  let server;
  before(async () => {
    server = await h.serve();
  });
  after(() => h.stop(server));

  // The page with one of its files answered by the server's `answer`
  // (harness.js), for this page only.
  async function openWith(file, answer) {
    if (file) {
      server.answer(file, answer);
    }
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    return { page, context };
  }

  async function failure(page) {
    await page.waitForSelector('#failed:not([hidden])');
    assert.equal(await page.isVisible('#loading'), false);
    assert.equal(await page.isVisible('#start'), false);
    return page.textContent('#failure');
  }

  test('the program\'s data missing or cut off, and the program itself missing', async () => {
    const cases = [
      ['dravo-vantle.data', () => 404, /caricamento non è riuscito.*dravo-vantle\.data/i],
      ['dravo-vantle.data', () => 'reset', /caricamento non è riuscito.*dravo-vantle\.data/i],
      ['dravo-vantle.js', () => 404, /scaricare .*\/dravo-vantle\.js\./],
    ];
    for (const [file, answer, said] of cases) {
      const { page, context } = await openWith(file, answer);
      try {
        assert.match(await failure(page), said, file);
      } finally {
        server.answer(file);
        await context.close();
      }
    }
  });

  test('a trap escaping the game\'s frame stops the game with a message, and its sound with it', async () => {
    const { page, context } = await openWith(null);
    await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    await page.click('#start');
    await page.waitForFunction(() => window.dvFrames.length >= 10 && Module.SDL2 && Module.SDL2.audioContext);
    // As a WebAssembly trap does: the error unwinds through the program out
    // of the browser's frame callback.
    await page.evaluate(() => {
      const put = CanvasRenderingContext2D.prototype.putImageData;
      CanvasRenderingContext2D.prototype.putImageData = function (...args) {
        CanvasRenderingContext2D.prototype.putImageData = put;
        throw new WebAssembly.RuntimeError('unreachable');
      };
    });
    assert.match(await failure(page), /^Errore interno del gioco: unreachable$/);
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'suspended');
    await context.close();
  });

  test('a replay only from the page\'s own site, named from its folder', async () => {
    const other = await h.serve();
    const { port } = server.address();
    try {
      for (const name of [`http://127.0.0.1:${other.address().port}/replays/regression.txt`,
        `//127.0.0.1:${port}/replays/regression.txt`, '/replays/regression.txt', 'data:text/plain,x']) {
        const context = await browser.newContext();
        const page = await context.newPage();
        server.requests.length = 0;
        other.requests.length = 0;
        await page.goto(`http://127.0.0.1:${port}/?replay=${encodeURIComponent(name)}`);
        assert.match(await failure(page), /^replay .*: only a file of this site/, name);
        const asked = [...server.requests, ...other.requests];
        assert.deepEqual(asked.filter((u) => u.includes('regression')), [], name);
        await context.close();
      }
    } finally {
      await h.stop(other);
    }
  });
});

describe('a page out of sight', () => {
  let server;
  before(async () => {
    server = await h.serve();
  });
  after(() => h.stop(server));

  // A wake lock that records what the page asks of it (headless Chromium
  // offers none), and a page the test can hide: headless Chromium never does.
  async function openHideable(refuse) {
    const context = await browser.newContext();
    const page = await context.newPage();
    await page.addInitScript((refuseLock) => {
      window.dvLocks = [];
      Object.defineProperty(navigator, 'wakeLock', {
        value: {
          request(type) {
            if (refuseLock) {
              return Promise.reject(new DOMException('not allowed', 'NotAllowedError'));
            }
            const sentinel = new EventTarget();
            sentinel.type = type;
            sentinel.released = false;
            sentinel.release = async () => {
              if (!sentinel.released) {
                sentinel.released = true;
                sentinel.dispatchEvent(new Event('release'));
              }
            };
            window.dvLocks.push(sentinel);
            return Promise.resolve(sentinel);
          },
        },
      });
      let state = 'visible';
      Object.defineProperty(document, 'visibilityState', { get: () => state });
      Object.defineProperty(document, 'hidden', { get: () => state === 'hidden' });
      window.dvShow = (shown) => {
        state = shown ? 'visible' : 'hidden';
        document.dispatchEvent(new Event('visibilitychange'));
      };
    }, refuse);
    await page.goto(`http://127.0.0.1:${server.address().port}/`);
    return { page, context };
  }

  const locks = (page) => page.evaluate(() => window.dvLocks.map((l) => (l.released ? 'released' : l.type)));
  const sound = (page) => page.evaluate(() => Module.SDL2.audioContext.state);

  test('sound suspended and the screen free to dim while hidden, both back on return, the lock let go at the end', async () => {
    const { page, context } = await openHideable(false);
    await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    assert.deepEqual(await locks(page), [], 'no lock before a game');
    await page.click('#start');
    await page.waitForFunction(() => Module.SDL2 && Module.SDL2.audioContext &&
      Module.SDL2.audioContext.state === 'running');
    assert.deepEqual(await locks(page), ['screen']);

    await page.evaluate(() => window.dvShow(false));
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'suspended');
    assert.deepEqual(await locks(page), ['released']);
    await page.waitForTimeout(300);
    assert.equal(await sound(page), 'suspended', 'still quiet while hidden');

    await page.evaluate(() => window.dvShow(true));
    await page.waitForFunction(() => Module.SDL2.audioContext.state === 'running');
    assert.deepEqual(await locks(page), ['released', 'screen']);

    // Escape, then yes to the quit question: the game is over.
    await page.click('#canvas');
    for (const key of ['Escape', 'KeyS']) {
      await page.keyboard.down(key);
      await page.waitForTimeout(60);
      await page.keyboard.up(key);
      await page.waitForTimeout(300);
    }
    await page.waitForSelector('#ended:not([hidden])');
    assert.deepEqual(await locks(page), ['released', 'released']);
    assert.deepEqual((await page.readLog()).errors, []);
    await context.close();
  });

  test('a refused wake lock leaves the game playing, without an error', async () => {
    const { page, context } = await openHideable(true);
    const lit = await introDrawn(page);
    assert.ok(lit > 800 * 600 / 4, `the intro lights the canvas (${lit} pixels)`);
    await page.evaluate(() => window.dvShow(false));
    await page.evaluate(() => window.dvShow(true));
    await page.waitForTimeout(300);
    assert.equal(await page.isVisible('#failed'), false);
    const log = await page.readLog();
    assert.deepEqual(log.errors, []);
    assert.deepEqual(log.console.filter((m) => m.type === 'error'), []);
    await context.close();
  });
});

test('the licences of everything the page carries are linked from it', async () => {
  const server = await h.serve();
  const { page, context } = await h.openPage(browser, server);
  try {
    await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    const list = await context.pageOpenedBy(() => page.click('#licences'));
    assert.match(await list.url(), /\/licences\/index\.html$/);
    const texts = await list.evaluate(async () => {
      const out = {};
      for (const a of document.querySelectorAll('a')) {
        const response = await fetch(a.href);
        out[a.textContent] = response.ok ? (await response.text()).length : response.status;
      }
      return out;
    });
    for (const name of ['SDL2-LICENSE.txt', 'SDL2_mixer-LICENSE.txt', 'SDL2_ttf-LICENSE.txt', 'SDL2_image-LICENSE.txt',
      'FreeType-LICENSE.txt', 'emscripten-runtime.txt', 'DejaVu-LICENSE.txt', 'ComicNeue-LICENSE.txt',
      'Dravo-Vantle-LICENSE.txt']) {
      assert.ok(texts[name] > 500, `${name}: ${texts[name]}`);
    }
    assert.deepEqual((await page.readLog()).failed, []);
  } finally {
    await context.close();
    await h.stop(server);
  }
});
