// The web build's numbers for the README, in headless Chromium on this
// machine: tick accuracy over 10 s, frames drawn per second, time from the
// start click to the first intro frame.
//
//   cd tests/web && node measure.js
'use strict';

const h = require('./harness');

(async () => {
  const server = await h.serve();
  const browser = await h.launch();
  try {
    const { page, log, context } = await h.openPage(browser, server, '?tick-stats&ticks=1000');
    await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
    await page.evaluate(() => {
      document.addEventListener('click', () => { window.dvClickedAt = performance.now(); }, true);
    });
    await h.startGame(page);
    const stats = await h.consoleLine(page, log, 'tick-stats: ', 60000);
    const startup = await h.consoleLine(page, log, 'startup: ', 5000);
    const frames = await page.evaluate(() => {
      const f = window.dvFrames;
      return { count: f.length, first: f[0] - window.dvClickedAt, seconds: (f[f.length - 1] - f[0]) / 1000 };
    });
    console.log(stats);
    console.log(startup + ' (the program\'s own count, from main)');
    console.log(`frames: ${frames.count} drawn in ${frames.seconds.toFixed(2)} s, ` +
      `${((frames.count - 1) / frames.seconds).toFixed(1)} per second`);
    console.log(`start click to the first intro frame: ${frames.first.toFixed(1)} ms`);
    await context.close();
  } finally {
    await browser.close();
    server.close();
  }
})();
