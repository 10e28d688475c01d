// What a phone on a modest connection waits for: the time from opening the
// page's address to its start overlay, first visit and second, with Chromium's
// network held to 9 Mbit/s down and 40 ms of latency and the files served
// gzip-compressed, as real web servers send them. Also the page's whole size
// compressed, which must stay under 6 MB.
//
//   cd tests/web && node download.js [RUNS]      (default 3 runs of each)
'use strict';

const fs = require('node:fs');
const os = require('node:os');
const path = require('node:path');
const zlib = require('node:zlib');

const h = require('./harness');

const runs = Number(process.argv[2] || 3);
const conditions = {
  offline: false, latency: 40, downloadThroughput: 9e6 / 8, uploadThroughput: 9e6 / 8,
};

function files(dir, prefix = '') {
  return fs.readdirSync(dir, { withFileTypes: true }).flatMap((e) => (e.isDirectory()
    ? files(path.join(dir, e.name), prefix + e.name + '/') : [prefix + e.name]));
}

// Opens the page in a throttled tab; the time the start overlay came up,
// from the navigation's start, the bytes the page took from the network, and
// those the server sent in all (the service worker's included) until the
// worker is ready.
async function visit(context, server, address) {
  const sentBefore = server.sent;
  const page = await context.newPage();
  const cdp = await context.newCDPSession(page);
  await cdp.send('Network.enable');
  await cdp.send('Network.emulateNetworkConditions', conditions);
  let bytes = 0;
  cdp.on('Network.loadingFinished', (e) => { bytes += e.encodedDataLength; });
  await page.addInitScript(() => {
    new MutationObserver(() => {
      const start = document.getElementById('start');
      if (start && !start.hidden && !window.dvStartShown) {
        window.dvStartShown = performance.now();
      }
    }).observe(document, { attributes: true, subtree: true, childList: true });
  });
  await page.goto(address);
  await page.waitForSelector('#start:not([hidden])', { timeout: 300000 });
  const shown = await page.evaluate(() => window.dvStartShown);
  const served = await page.evaluate(() => navigator.serviceWorker.controller !== null);
  // The worker keeps every file once the first visit has shown the overlay.
  await page.evaluate(() => navigator.serviceWorker.ready);
  await page.waitForTimeout(2000);
  await page.close();
  return { shown, bytes, served, sent: server.sent - sentBefore };
}

(async () => {
  const dir = h.pageDir;
  let raw = 0;
  let packed = 0;
  for (const name of files(dir)) {
    const data = fs.readFileSync(path.join(dir, name));
    raw += data.length;
    packed += zlib.gzipSync(data).length;
  }
  console.log(`the page: ${(raw / 1e6).toFixed(2)} MB, ${(packed / 1e6).toFixed(2)} MB gzip-compressed ` +
    `(default level, file by file)${packed < 6e6 ? '' : ' -- OVER 6 MB'}`);

  const server = await h.serve({ gzip: true });
  const address = `http://localhost:${server.address().port}/`;
  const first = [];
  const second = [];
  try {
    for (let i = 0; i < runs; ++i) {
      const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'dv-download-'));
      const { chromium, options } = h.playwrightChromium();
      const context = await chromium.launchPersistentContext(profile, options);
      try {
        first.push(await visit(context, server, address));
        second.push(await visit(context, server, address));
      } finally {
        await context.close();
        fs.rmSync(profile, { recursive: true, force: true });
      }
    }
  } finally {
    await h.stop(server);
  }
  const report = (name, list) => {
    const times = list.map((v) => v.shown).sort((a, b) => a - b);
    console.log(`${name}: start overlay after ${times.map((t) => (t / 1000).toFixed(2)).join(', ')} s ` +
      `(median ${(times[Math.floor(times.length / 2)] / 1000).toFixed(2)} s); ` +
      `${(list[0].bytes / 1e6).toFixed(2)} MB to the page over the network, ` +
      `${(list[0].sent / 1e6).toFixed(2)} MB sent by the server in all; ` +
      `${list.every((v) => v.served) ? 'served by the service worker' : 'from the network'}`);
  };
  console.log('9 Mbit/s down, 40 ms latency, gzip-compressed files:');
  report('first visit', first);
  report('second visit', second);
  process.exitCode = packed < 6e6 ? 0 : 1;
})();
