// Pictures of the page on a phone held upright and sideways, for the README:
// a game from the regression replay, stopped at a play frame, in Chromium's
// mobile emulation. Writes docs/phone-portrait.png and docs/phone-landscape.png.
//
//   node tests/web/phone-screens.js      (after make web)
'use strict';

const path = require('node:path');

const h = require('./harness');

async function main() {
  const server = await h.serve();
  const { chromium, options } = h.playwrightChromium();
  const browser = await chromium.launch(options);
  try {
    for (const [name, width, height] of [['portrait', 390, 844], ['landscape', 844, 390]]) {
      const context = await browser.newContext({ viewport: { width, height }, isMobile: true, hasTouch: true,
        deviceScaleFactor: 2, serviceWorkers: 'block' });
      const page = await context.newPage();
      const log = { console: [], errors: [] };
      page.on('console', (m) => log.console.push({ type: m.type(), text: m.text() }));
      page.on('pageerror', (e) => log.errors.push(String(e)));
      await page.goto(`http://127.0.0.1:${server.address().port}/?replay=replays/regression.txt&fast&ticks=1500`);
      await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
      const cdp = await context.newCDPSession(page);
      const box = await page.locator('#start').boundingBox();
      const at = { x: box.x + box.width / 2, y: box.y + box.height / 2, id: 1 };
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchStart', touchPoints: [at] });
      await cdp.send('Input.dispatchTouchEvent', { type: 'touchEnd', touchPoints: [at] });
      await page.waitForFunction(() => window.dvExitStatus !== undefined, null, { timeout: 120000 });
      const file = path.join(h.root, 'docs', `phone-${name}.png`);
      await page.screenshot({ path: file });
      const errors = log.console.filter((m) => m.type === 'error').concat(log.errors);
      if (errors.length) {
        throw new Error(JSON.stringify(errors));
      }
      console.log('phone-screens: ' + path.relative(h.root, file));
      await context.close();
    }
  } finally {
    await browser.close();
    await h.stop(server);
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
