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
  const browser = await h.launch();
  try {
    for (const [name, width, height] of [['portrait', 390, 844], ['landscape', 844, 390]]) {
      const { page, log, context } = await h.openPage(browser, server, '?replay=replays/regression.txt&fast&ticks=1500',
        { viewport: { width, height }, isMobile: true, hasTouch: true, deviceScaleFactor: 2 });
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
    server.close();
  }
}

main().catch((e) => {
  console.error(e);
  process.exit(1);
});
