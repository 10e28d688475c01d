// What the browser tests share: a static server for the built page (with the
// replays and golden frames beside it), the engine's browser through the
// driver layer (engines.js: how a test file says where it runs is there), and
// ways to read the page's canvas and console.
'use strict';

const fs = require('node:fs');
const http = require('node:http');
const path = require('node:path');
const zlib = require('node:zlib');
const engines = require('./engines');

const root = path.resolve(__dirname, '../..');
const pageDir = process.env.DV_WEB_DIR || path.join(root, 'build/web');
const fixtures = path.join(root, 'tests/e2e');

const types = {
  '.html': 'text/html; charset=utf-8', '.js': 'text/javascript', '.css': 'text/css',
  '.wasm': 'application/wasm', '.png': 'image/png', '.json': 'application/json', '.txt': 'text/plain',
  '.webmanifest': 'application/manifest+json',
};

// Every answer of 400 or more from any of the servers, for the engines whose
// driver does not report failed requests.
const refused = [];

// The page's hooks, in the HTML itself for an engine whose driver has no
// script before the page.
function withHooks(data) {
  const scripts = engine === 'webkit' ? engines.scriptsForPage() : [];
  if (!scripts.length) {
    return data;
  }
  const html = String(data);
  const at = html.indexOf('<head>') + '<head>'.length;
  return Buffer.from(html.slice(0, at) + `<script>${scripts.join('\n')}</script>` + html.slice(at));
}

// Compressed once per file, as a web server's cache of compressed files does.
const packed = new Map();
function gzipped(file, data) {
  if (!packed.has(file)) {
    packed.set(file, zlib.gzipSync(data));
  }
  return packed.get(file);
}

const engine = engines.engine;

// Serves build/web at /, and the end-to-end replays at /replays/, as any
// static web server would. Options: dir, another page folder; at, the folder
// of the address it is served from ('/game/': nothing else is there but
// /replays/); gzip, files compressed for a browser that takes them; host,
// the address to listen on.
//
// server.answer(name, fn) answers the file of that name with fn(its bytes):
// a Buffer is sent instead, a number is a status with no body, 'reset' drops
// the connection; server.answer(name) undoes it. server.requests lists the
// paths asked for.
function serve({ dir: page = pageDir, at = '/', gzip = false, host = '127.0.0.1' } = {}) {
  const mounts = [['/replays/', path.join(fixtures, 'replays')], [at, page]];
  const answers = new Map();
  const server = http.createServer((req, res) => {
    const url = decodeURIComponent(new URL(req.url, 'http://x').pathname);
    server.requests.push(url);
    const writeHead = res.writeHead.bind(res);
    res.writeHead = (status, ...rest) => {
      // A browser asks for /favicon.ico on its own for a page that names no
      // icon (the licences' list): not the page's request.
      if (status >= 400 && url !== '/favicon.ico') {
        refused.push(`http://${req.headers.host}${req.url} ${status}`);
      }
      return writeHead(status, ...rest);
    };
    const mount = mounts.find(([p]) => url.startsWith(p));
    if (!mount) {
      res.writeHead(404).end();
      return;
    }
    const [prefix, dir] = mount;
    let file = path.join(dir, url.slice(prefix.length));
    if (!file.startsWith(dir)) {
      res.writeHead(403).end();
      return;
    }
    if (url.endsWith('/')) {
      file = path.join(file, 'index.html');
    }
    fs.stat(file, (err, stat) => {
      if (err || !stat.isFile()) {
        res.writeHead(404).end();
        return;
      }
      const answer = answers.get(path.basename(file));
      let data = fs.readFileSync(file);
      const type = types[path.extname(file)] || 'application/octet-stream';
      if (answer) {
        const given = answer(data);
        if (given === 'reset') {
          req.socket.destroy();
        } else if (typeof given === 'number') {
          res.writeHead(given, { 'Content-Length': 0 }).end();
        } else {
          res.writeHead(200, { 'Content-Type': type, 'Cache-Control': 'no-store' }).end(given);
        }
        return;
      }
      // A validator, so that a browser asking again gets "not modified".
      const tag = `"${stat.size}-${stat.mtimeMs}"`;
      const headers = { 'Content-Type': type, ETag: tag };
      const hooked = file.endsWith('.html') ? withHooks(data) : data;
      if (hooked !== data) {
        // Another test's hooks next time: never "not modified".
        data = hooked;
        delete headers.ETag;
        headers['Cache-Control'] = 'no-store';
      } else if (req.headers['if-none-match'] === tag) {
        res.writeHead(304, headers).end();
        return;
      }
      if (gzip && /\bgzip\b/.test(req.headers['accept-encoding'] || '')) {
        headers['Content-Encoding'] = 'gzip';
        data = gzipped(file + tag + data.length, data);
      }
      res.writeHead(200, headers);
      res.end(data);
      server.sent += data.length;
    });
  });
  // What the server has sent: the bodies' bytes.
  server.sent = 0;
  server.requests = [];
  server.answer = (name, fn) => (fn ? answers.set(name, fn) : answers.delete(name));
  return new Promise((resolve) => server.listen(0, host, () => resolve(server)));
}

// Stops a server at once, its kept-alive connections too, as a server gone.
function stop(server) {
  return new Promise((resolve) => {
    server.close(resolve);
    server.closeAllConnections();
  });
}

// The engine's browser, one per test file (engines.js).
const launch = (options) => engines.launch(options);

// A page of a new context (its own storage, as a new visitor has), its
// console, errors and failed requests collected in page.log. Options:
// viewport, touch (a phone's touch screen), serviceWorkers (blocked unless
// asked for: the page's worker would answer requests the tests expect to
// see), userAgent (as the page's scripts read it).
async function openPage(browser, server, query = '', options = {}) {
  const context = await browser.newContext({ viewport: { width: 1000, height: 760 }, ...options });
  const page = await context.newPage();
  const { port } = server.address();
  await page.goto(`http://127.0.0.1:${port}/${query}`);
  return { page, log: page.log, context };
}

async function startGame(page) {
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  await page.click('#start');
}

// The first console line starting with `prefix`, waited for.
async function consoleLine(page, prefix, timeout = 120000) {
  const deadline = Date.now() + Math.max(engines.LEAST_WAIT, timeout);
  for (;;) {
    const log = await page.readLog();
    const line = log.console.find((m) => m.text.startsWith(prefix));
    if (line) {
      return line.text;
    }
    if (Date.now() > deadline) {
      throw new Error(`no console line "${prefix}" within ${timeout} ms in ${engine}; the console's last lines: ` +
        JSON.stringify(log.console.slice(-10)) + '; page errors: ' + JSON.stringify(log.errors));
    }
    await page.waitForTimeout(100);
  }
}

// The canvas beside a PNG picture (its bytes), as the native golden-frame
// test measures: mean difference per channel, and the share of pixels off by
// more than 24 in some channel.
function compareWithPicture(page, png) {
  const golden = 'data:image/png;base64,' + png.toString('base64');
  return page.evaluate(async (src) => {
    const img = new Image();
    img.src = src;
    await img.decode();
    const ref = document.createElement('canvas');
    ref.width = 800;
    ref.height = 600;
    const refCtx = ref.getContext('2d');
    refCtx.drawImage(img, 0, 0);
    const a = document.getElementById('canvas').getContext('2d').getImageData(0, 0, 800, 600).data;
    const b = refCtx.getImageData(0, 0, 800, 600).data;
    let sum = 0;
    let changed = 0;
    for (let i = 0; i < a.length; i += 4) {
      let worst = 0;
      for (let c = 0; c < 3; ++c) {
        const d = Math.abs(a[i + c] - b[i + c]);
        sum += d;
        worst = Math.max(worst, d);
      }
      changed += worst > 24 ? 1 : 0;
    }
    const pixels = 800 * 600;
    return { width: img.width, height: img.height, mean: sum / (pixels * 3), changedShare: changed / pixels };
  }, golden);
}

// The native build's end-of-run dump for these flags (a replay, --ticks...),
// run headless and fast in a folder of its own, and its --screenshot of tick
// `shot` when asked for.
function nativeRun(nativeDir, args, shot) {
  const { execFileSync } = require('node:child_process');
  const os = require('node:os');
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'dv-web-'));
  try {
    fs.symlinkSync(path.join(nativeDir, 'texture'), path.join(dir, 'texture'));
    const extra = shot ? ['--screenshot', `${shot}:shot.png`] : [];
    execFileSync(path.join(nativeDir, 'dravo-vantle'),
      ['--headless', '--fast', ...args, '--dump-state', 'dump.json', ...extra],
      { cwd: dir, env: { ...process.env, SDL_AUDIODRIVER: 'dummy', SDL_VIDEODRIVER: 'dummy' } });
    return {
      dump: JSON.parse(fs.readFileSync(path.join(dir, 'dump.json'), 'utf8')),
      picture: shot ? fs.readFileSync(path.join(dir, 'shot.png')) : null,
    };
  } finally {
    fs.rmSync(dir, { recursive: true, force: true });
  }
}

// No console error, page error or failed request in a page's log.
async function cleanLog(page) {
  const assert = require('node:assert/strict');
  const log = await page.readLog();
  const errors = log.console.filter((m) => m.type === 'error').map((m) => m.text);
  assert.deepEqual(errors, [], 'console errors');
  assert.deepEqual(log.errors, [], 'page errors');
  assert.deepEqual(log.failed, [], 'failed requests');
}

module.exports = {
  root, fixtures, pageDir, serve, stop, launch, openPage, startGame, consoleLine, compareWithPicture, nativeRun,
  cleanLog, refused,
  engine, can: engines.can, test: engines.test, describe: engines.describe, before: engines.before,
  after: engines.after, playwrightChromium: engines.playwrightChromium, NO_TOUCH: engines.NO_TOUCH, NO_CDP: engines.NO_CDP,
};
