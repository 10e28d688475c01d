// The one driver layer under the browser tests: the same small page API over
// Debian's Chromium (playwright-core), Firefox ESR (puppeteer-core over
// WebDriver BiDi) and WebKitGTK (our W3C WebDriver client, webdriver.js).
//
// A run is in one engine, named by DV_ENGINE (chromium, firefox, webkit;
// chromium when unset); scripts/web-tests runs the suites once per engine.
// A new test file:
//
//   const h = require('./harness');            // serve, openPage, ... (uses this layer)
//   let browser;
//   h.before(async () => { browser = await h.launch(); });   // one browser per file
//   h.after(() => browser.close());
//   h.test('what the player sees', async () => { ... });    // runs in every engine
//   h.test('what needs fingers', { skip: { webkit: h.NO_TOUCH } }, async () => { ... });
//   h.describe('a group', { skip: { firefox: 'why not there' } }, () => { ... });
//
//   const { page, context } = await h.openPage(browser, server, '?fast', { touch: true });
//   ...
//   await context.close();
//
// A test runs in every engine unless `skip` names the engine: it maps an
// engine's name to the reason the test cannot run there, and the run prints
// "# SKIP webkit: <reason>" for it, never leaves it out silently. A test for
// one engine only names the other two. Scripts the page must meet before its
// own go through page.addInitScript before page.goto (in WebKitGTK the test
// server puts them into the HTML, so only pages from h.serve get them).
// `h.engine` is the engine's name, `h.can` what its driver offers (touch,
// cdp, serviceWorkers, consoleBeforeLoad). Pages have Playwright's names for
// what they do (evaluate, waitForFunction, waitForSelector, click, keyboard,
// mouse, textContent, isVisible, setViewportSize, addInitScript, reload) and
// page.touch for fingers; every wait polls to a deadline of at least 30 s and
// says, when it passes, what it waited for and what it last saw.
'use strict';

const nodeTest = require('node:test');
const wd = require('./webdriver');

const engine = process.env.DV_ENGINE || 'chromium';
if (!['chromium', 'firefox', 'webkit'].includes(engine)) {
  throw new Error(`DV_ENGINE=${engine}: chromium, firefox or webkit`);
}

const can = {
  touch: engine !== 'webkit',
  cdp: engine === 'chromium',
  serviceWorkers: true,
  consoleBeforeLoad: engine !== 'webkit',
};

const NO_TOUCH = 'WebKitWebDriver has no touch actions';
const NO_CDP = 'needs the Chrome DevTools Protocol';

function withSkip(run) {
  return (name, options, fn) => {
    if (typeof options === 'function') {
      fn = options;
      options = {};
    }
    const reason = options.skip && options.skip[engine];
    const { skip, ...rest } = options;
    return run(name, { ...rest, skip: reason ? `${engine}: ${reason}` : false }, fn);
  };
}
const test = withSkip(nodeTest.test);
const describe = withSkip(nodeTest.describe);

// Every wait works to at least this, however short the test asks for: a
// loaded machine runs the browser slowly, and a red test should mean a fault.
const LEAST_WAIT = 30000;
const waitFor = (ms) => Math.max(LEAST_WAIT, ms || 0);

// What the page's scripts see before the page's own: console and errors kept
// for the engines whose driver cannot hand them over (WebKitGTK), and the
// canvas's frames counted (SDL's software frames arrive through putImageData
// on the canvas's 2-D context).
function pageHooks(keepConsole) {
  window.dvFrames = [];
  const put = CanvasRenderingContext2D.prototype.putImageData;
  CanvasRenderingContext2D.prototype.putImageData = function (...args) {
    if (this.canvas.id === 'canvas') {
      window.dvFrames.push(performance.now());
    }
    return put.apply(this, args);
  };
  if (keepConsole) {
    window.dvLog = { console: [], errors: [] };
    for (const type of ['log', 'info', 'warn', 'error', 'debug']) {
      const write = console[type].bind(console);
      console[type] = (...args) => {
        window.dvLog.console.push({ type: type === 'warn' ? 'warning' : type, text: args.map(String).join(' ') });
        write(...args);
      };
    }
    window.addEventListener('error', (e) => window.dvLog.errors.push(String(e.error || e.message)));
    window.addEventListener('unhandledrejection', (e) => window.dvLog.errors.push(String(e.reason)));
  }
}

// Another browser's user agent, as the page's scripts read it (the drivers
// of Firefox and WebKitGTK have no per-page user agent of their own).
function userAgentIs(ua) {
  Object.defineProperty(Navigator.prototype, 'userAgent', { get: () => ua, configurable: true });
}

// As Playwright blocks the page's service worker in Chromium: its
// registration does nothing.
function blockServiceWorkers() {
  if (navigator.serviceWorker) {
    navigator.serviceWorker.register = async () => undefined;
  }
}

class Page {
  constructor(context) {
    this.context = context;
    this.log = { console: [], errors: [], failed: [] };
  }

  // Console lines, page errors and failed requests of a driver's page that
  // reports them as events (playwright-core and puppeteer-core alike).
  collect(page) {
    page.on('console', (m) => this.log.console.push({ type: m.type(), text: m.text() }));
    page.on('pageerror', (e) => this.log.errors.push(String(e)));
    page.on('requestfailed', (r) => this.log.failed.push(r.url()));
    page.on('response', (r) => {
      if (r.status() >= 400) {
        this.log.failed.push(r.url() + ' ' + r.status());
      }
    });
  }

  waitForTimeout(ms) {
    return wd.sleep(ms);
  }

  // Polls `fn(arg)` in the page until it is truthy, and gives its value.
  async waitForFunction(fn, arg, { timeout, what } = {}) {
    const limit = waitFor(timeout);
    // An object that is not plain data (an audio node) comes back as itself
    // from no driver: true stands for it.
    const probe = new Function(`return (arg) => Promise.resolve((${fn})(arg))
      .then((r) => (r && typeof r === 'object' && !Array.isArray(r) && Object.getPrototypeOf(r) !== Object.prototype
        ? true : r));`)();
    return wd.until(`${what || String(fn).replace(/\s+/g, ' ').slice(0, 200)} in ${engine}`, async () => {
      const seen = await this.evaluate(probe, arg);
      if (seen) {
        return seen;
      }
      // What the page shows meanwhile, for the message at the deadline.
      throw new Error(JSON.stringify({ value: seen, ...await this.evaluate(() => ({
        url: location.href, frames: window.dvFrames && window.dvFrames.length,
        shown: [...document.querySelectorAll('#loading, #start, #failed, #ended')].filter((e) => !e.hidden)
          .map((e) => e.id + ': ' + e.textContent.trim().slice(0, 120)),
      })) }));
    }, limit);
  }

  // Until an element is there and laid out, as a player could see it.
  waitForSelector(selector, { timeout } = {}) {
    return this.waitForFunction((s) => {
      const e = document.querySelector(s);
      return !!e && e.getClientRects().length > 0;
    }, selector, { timeout, what: `"${selector}" shown` });
  }

  textContent(selector) {
    return this.evaluate((s) => document.querySelector(s).textContent, selector);
  }

  innerText(selector) {
    return this.evaluate((s) => document.querySelector(s).innerText, selector);
  }

  isVisible(selector) {
    return this.evaluate((s) => {
      const e = document.querySelector(s);
      return !!e && e.getClientRects().length > 0 && getComputedStyle(e).visibility !== 'hidden';
    }, selector);
  }

  focus(selector) {
    return this.evaluate((s) => document.querySelector(s).focus(), selector);
  }

  // The element's box in the page's viewport, or null when it is not shown.
  boundingBox(selector) {
    return this.evaluate((s) => {
      const e = document.querySelector(s);
      const r = e && e.getBoundingClientRect();
      return r && r.width > 0 ? { x: r.x, y: r.y, width: r.width, height: r.height } : null;
    }, selector);
  }

  async centre(selector) {
    const box = await wd.until(`"${selector}" laid out in ${engine}`, () => this.boundingBox(selector));
    return { x: box.x + box.width / 2, y: box.y + box.height / 2 };
  }

  // A click of the mouse at the element's centre.
  async click(selector) {
    await this.waitForSelector(selector);
    const { x, y } = await this.centre(selector);
    await this.mouse.click(x, y);
  }

  // Page errors and failed requests, and the console where the driver does
  // not report it itself.
  async readLog() {
    return this.log;
  }
}

// ---- Chromium: playwright-core ------------------------------------------

const chromiumOptions = {
  executablePath: process.env.DV_CHROMIUM || '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run', '--disable-background-networking',
    '--disable-component-update', '--disable-sync'],
};

class ChromiumPage extends Page {
  constructor(context, page) {
    super(context);
    this.page = page;
    page.setDefaultTimeout(LEAST_WAIT * 2);
    this.collect(page);
    this.keyboard = {
      down: (k) => page.keyboard.down(k),
      up: (k) => page.keyboard.up(k),
      press: (k) => page.keyboard.press(k),
    };
    this.mouse = { click: (x, y) => page.mouse.click(x, y) };
    this.touch = new CdpFingers(this);
  }

  async start() {
    await this.page.addInitScript(pageHooks, false);
  }

  goto(url) { return this.page.goto(url); }
  reload() { return this.page.reload(); }
  url() { return this.page.url(); }
  close() { return this.page.close(); }
  evaluate(fn, arg) { return this.page.evaluate(fn, arg); }
  addInitScript(fn, arg) { return this.page.addInitScript(fn, arg); }
  setViewportSize(size) { return this.page.setViewportSize(size); }
  async cdp() {
    this.session = this.session || await this.page.context().newCDPSession(this.page);
    return this.session;
  }
}

// Fingers on the screen through CDP: touchStart with every point adds one,
// touchMove moves them, touchEnd listing one lifts it.
class CdpFingers {
  constructor(page) {
    this.page = page;
    this.points = new Map();
  }

  async send(type, points) {
    const cdp = await this.page.cdp();
    await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([id, p]) => ({ x: p.x, y: p.y, id })) });
  }

  async down(id, at) {
    this.points.set(id, at);
    await this.send('touchStart', [...this.points]);
  }

  async move(id, at) {
    this.points.set(id, at);
    await this.send('touchMove', [...this.points]);
  }

  async up(id) {
    const point = this.points.get(id);
    this.points.delete(id);
    await this.send('touchEnd', [[id, point]]);
  }
}

class ChromiumContext {
  constructor(context) {
    this.context = context;
  }

  async newPage() {
    const page = new ChromiumPage(this, await this.context.newPage());
    await page.start();
    return page;
  }

  // The page an action opens (a link to a new window).
  async pageOpenedBy(action) {
    const [opened] = await Promise.all([this.context.waitForEvent('page', { timeout: LEAST_WAIT * 2 }), action()]);
    await opened.waitForLoadState();
    const page = new ChromiumPage(this, opened);
    return page;
  }

  close() { return this.context.close(); }
}

async function launchChromium() {
  const { chromium } = require('playwright-core');
  const browser = await chromium.launch(chromiumOptions);
  return {
    version: browser.version(),
    // The page's service worker would answer requests the tests expect to
    // see: blocked unless a context asks for it.
    async newContext({ viewport, touch, serviceWorkers = false, userAgent } = {}) {
      const phone = touch ? { isMobile: true, hasTouch: true, deviceScaleFactor: 1 } : {};
      return new ChromiumContext(await browser.newContext({
        serviceWorkers: serviceWorkers ? 'allow' : 'block', viewport, userAgent, ...phone,
      }));
    },
    // A browser with a profile in `dir` that outlives its pages, as a
    // phone's does; Playwright's throw-away contexts count as incognito.
    async persistent(dir) {
      const context = await chromium.launchPersistentContext(dir, chromiumOptions);
      const wrapped = new ChromiumContext(context);
      wrapped.firstPage = async () => {
        const page = new ChromiumPage(wrapped, context.pages()[0] || await context.newPage());
        await page.start();
        return page;
      };
      return wrapped;
    },
    close: () => browser.close(),
  };
}

// ---- Firefox: puppeteer-core over WebDriver BiDi -------------------------

// Prefs of a Firefox that stands for a phone: touch events, and a coarse
// pointer without hover for the page's media queries (1 = coarse).
const FIREFOX_TOUCH = {
  'dom.w3c_touch_events.enabled': 1,
  'dom.maxtouchpoints.testing.value': 5,
  'ui.primaryPointerCapabilities': 1,
  'ui.allPointerCapabilities': 1,
};

class FirefoxPage extends Page {
  constructor(context, page) {
    super(context);
    this.page = page;
    page.setDefaultTimeout(LEAST_WAIT * 2);
    this.collect(page);
    // puppeteer's BiDi keys have no "Space": the character stands for it.
    const name = (k) => (k === 'Space' ? ' ' : k);
    this.keyboard = {
      down: (k) => page.keyboard.down(name(k)),
      up: (k) => page.keyboard.up(name(k)),
      press: async (k) => {
        const keys = k.split('+').map(name);
        for (const key of keys) {
          await page.keyboard.down(key);
        }
        for (const key of keys.reverse()) {
          await page.keyboard.up(key);
        }
      },
    };
    this.mouse = { click: (x, y) => page.mouse.click(x, y) };
    // Fingers as WebDriver BiDi pointers of the touch type, one each.
    // (puppeteer's own touchscreen gives an altitude without an azimuth,
    // which Firefox refuses.)
    const act = (id, actions) => page.mainFrame().browsingContext.performActions([
      { type: 'pointer', id: `finger-${id}`, parameters: { pointerType: 'touch' }, actions }]);
    // WebDriver keeps a finger on the page: one put off its edge is at the edge.
    const to = (at) => ({ type: 'pointerMove', x: Math.max(0, Math.round(at.x)), y: Math.max(0, Math.round(at.y)) });
    this.touch = {
      down: (id, at) => act(id, [to(at), { type: 'pointerDown', button: 0, width: 1, height: 1, pressure: 0.5 }]),
      move: (id, at) => act(id, [to(at)]),
      up: (id) => act(id, [{ type: 'pointerUp', button: 0 }]),
    };
  }

  async start({ viewport, serviceWorkers, userAgent }) {
    if (viewport) {
      await this.page.setViewport(viewport);
    }
    await this.page.evaluateOnNewDocument(pageHooks, false);
    if (!serviceWorkers) {
      await this.page.evaluateOnNewDocument(blockServiceWorkers);
    }
    if (userAgent) {
      await this.page.evaluateOnNewDocument(userAgentIs, userAgent);
    }
  }

  goto(url) { return this.page.goto(url); }
  reload() { return this.page.reload(); }
  url() { return this.page.url(); }
  close() { return this.page.close(); }
  evaluate(fn, arg) { return this.page.evaluate(fn, arg); }
  addInitScript(fn, arg) { return this.page.evaluateOnNewDocument(fn, arg); }
  setViewportSize(size) { return this.page.setViewport(size); }
}

class FirefoxContext {
  constructor(context, options) {
    this.context = context;
    this.options = options;
  }

  async newPage() {
    const page = new FirefoxPage(this, await this.context.newPage());
    await page.start(this.options);
    return page;
  }

  async pageOpenedBy(action) {
    const before = new Set(this.context.targets());
    const [target] = await Promise.all([
      this.context.waitForTarget((t) => t.type() === 'page' && !before.has(t), { timeout: LEAST_WAIT * 2 }),
      action(),
    ]);
    const page = new FirefoxPage(this, await target.page());
    await page.waitForFunction(() => document.readyState === 'complete' && location.href !== 'about:blank', null,
      { what: 'the new window\'s page loaded' });
    return page;
  }

  close() { return this.context.close(); }
}

async function launchFirefox() {
  const puppeteer = require('puppeteer-core');
  const start = (prefs) => puppeteer.launch({
    browser: 'firefox',
    executablePath: process.env.DV_FIREFOX || '/usr/bin/firefox-esr',
    headless: true,
    timeout: 120000,
    protocolTimeout: 600000,
    // Touch events on, as on a laptop with a touch screen: the driver's
    // touch actions need them. A machine without a sound device leaves a
    // headless Firefox's AudioContext suspended for good: its mock audio
    // backend plays to nowhere in real time instead, as SDL's dummy driver
    // does for the native tests.
    extraPrefsFirefox: {
      'media.autoplay.default': 0, 'media.autoplay.blocking_policy': 0, 'dom.w3c_touch_events.enabled': 1,
      'media.cubeb.force_mock_context': true, ...prefs,
    },
  });
  const browser = await start({});
  // A phone's Firefox is another browser: its pointer is a pref.
  let phone = null;
  return {
    version: await browser.version(),
    async newContext(options = {}) {
      if (options.touch && !phone) {
        phone = await start(FIREFOX_TOUCH);
      }
      return new FirefoxContext(await (options.touch ? phone : browser).createBrowserContext(), options);
    },
    async close() {
      await browser.close();
      if (phone) {
        await phone.close();
      }
    },
  };
}

// ---- WebKitGTK: W3C WebDriver --------------------------------------------

// The WebDriver has no script before the page: the test server puts the
// page's hooks into the HTML it sends (see harness.js). One page is loaded
// at a time; this is what its next load gets.
let webkitScripts = [];
function scriptsForPage() {
  return webkitScripts;
}

class WebKitPage extends Page {
  constructor(context, handle) {
    super(context);
    this.session = context.session;
    this.handle = handle;
    this.scripts = [`(${pageHooks})(true);`];
    if (!context.serviceWorkers) {
      this.scripts.push(`(${blockServiceWorkers})();`);
    }
    if (context.userAgent) {
      this.scripts.push(`(${userAgentIs})(${JSON.stringify(context.userAgent)});`);
    }
    const key = (type) => async (k) => {
      await this.activate();
      await this.session.actions([{ type: 'key', id: 'keys', actions: k.split('+').map((n) => ({ type, value: wd.keyValue(n) })) }]);
    };
    this.keyboard = {
      down: key('keyDown'),
      up: key('keyUp'),
      press: async (k) => {
        await this.activate();
        const values = k.split('+').map(wd.keyValue);
        await this.session.actions([{
          type: 'key', id: 'keys', actions: [...values.map((value) => ({ type: 'keyDown', value })),
            ...values.reverse().map((value) => ({ type: 'keyUp', value }))],
        }]);
      },
    };
    this.mouse = {
      click: async (x, y) => {
        await this.activate();
        await this.session.actions([{
          type: 'pointer', id: 'mouse', parameters: { pointerType: 'mouse' }, actions: [
            { type: 'pointerMove', x: Math.round(x), y: Math.round(y), origin: 'viewport', duration: 0 },
            { type: 'pointerDown', button: 0 }, { type: 'pointerUp', button: 0 }],
        }]);
      },
    };
    this.touch = null;
  }

  async activate() {
    if (this.context.browser.current !== this.handle) {
      await this.session.send('POST', '/window', { handle: this.handle });
      this.context.browser.current = this.handle;
    }
  }

  async goto(url) {
    await this.activate();
    if (this.refusedAt === undefined) {
      this.refusedAt = require('./harness').refused.length;
    }
    webkitScripts = this.scripts;
    await this.session.send('POST', '/url', { url });
  }

  async reload() {
    await this.activate();
    webkitScripts = this.scripts;
    await this.session.send('POST', '/refresh', {});
  }

  async url() {
    await this.activate();
    return this.session.send('GET', '/url');
  }

  async close() {
    await this.activate();
    await this.session.send('DELETE', '/window');
    this.context.pages.delete(this);
    // Back to the blank first window: commands need a window to go to.
    await this.session.send('POST', '/window', { handle: this.context.browser.home });
    this.context.browser.current = this.context.browser.home;
  }

  async evaluate(fn, arg) {
    await this.activate();
    return this.session.evaluate(fn, arg);
  }

  addInitScript(fn, arg) {
    this.scripts.push(`(${fn})(${JSON.stringify(arg === undefined ? null : arg)});`);
  }

  // The window's size set so that the page's viewport is `size`: the
  // browser's own bars take the rest.
  async setViewportSize({ width, height }) {
    await this.activate();
    for (let i = 0; i < 3; ++i) {
      const inner = await this.session.evaluate(() => [innerWidth, innerHeight]);
      if (inner[0] === width && inner[1] === height) {
        return;
      }
      const rect = await this.session.send('GET', '/window/rect');
      await this.session.send('POST', '/window/rect',
        { width: rect.width + width - inner[0], height: rect.height + height - inner[1] });
      await wd.sleep(100);
    }
  }

  async readLog() {
    const taken = await this.evaluate(() => {
      if (!window.dvLog) {
        return { console: [], errors: [] };
      }
      const out = { console: window.dvLog.console.splice(0), errors: window.dvLog.errors.splice(0) };
      return out;
    }).catch(() => ({ console: [], errors: [] }));
    this.log.console.push(...taken.console);
    this.log.errors.push(...taken.errors);
    const { refused } = require('./harness');
    this.log.failed.push(...refused.slice(this.refusedAt));
    this.refusedAt = refused.length;
    return this.log;
  }
}

class WebKitContext {
  constructor(browser, { viewport, serviceWorkers = false, userAgent } = {}) {
    this.browser = browser;
    this.session = browser.session;
    this.viewport = viewport;
    this.serviceWorkers = serviceWorkers;
    this.userAgent = userAgent;
    this.pages = new Set();
  }

  async newPage() {
    const { handle } = await this.session.send('POST', '/window/new', { type: 'window' });
    const page = new WebKitPage(this, handle);
    this.pages.add(page);
    if (this.viewport) {
      await page.setViewportSize(this.viewport);
    }
    return page;
  }

  async pageOpenedBy(action) {
    const before = new Set(await this.session.send('GET', '/window/handles'));
    await action();
    const handle = await wd.until('a new window in webkit', async () =>
      (await this.session.send('GET', '/window/handles')).find((h) => !before.has(h)));
    const page = new WebKitPage(this, handle);
    this.pages.add(page);
    await page.activate();
    await wd.until('the new window\'s page loaded in webkit', () =>
      page.evaluate(() => document.readyState === 'complete' && location.href !== 'about:blank'));
    return page;
  }

  // One profile serves every context here, storage and service workers
  // included. Each test's server has a port, so an origin, of its own, and
  // no test meets another's worker (unregistering them at the end left
  // WebKitGTK without a registration for the next origin's page); what the
  // page keeps in local storage is cleared.
  async close() {
    const open = [...this.pages];
    if (open.length) {
      // What the page stored for itself goes with the context, as a new
      // context starts with nothing stored elsewhere.
      await open[0].evaluate(() => {
        localStorage.clear();
        sessionStorage.clear();
      }).catch(() => undefined);
    }
    for (const page of open) {
      await page.close();
    }
  }
}

// WebKitGTK composites its accelerated canvas through the GL it finds: on a
// machine without a GPU that is Mesa's software llvmpipe, ten times dearer
// than the page's own work (docs/browser.md). The suites run with
// compositing off unless DV_WEBKIT_COMPOSITING=1 asks for the default mode.
const WEBKIT_ENV = process.env.DV_WEBKIT_COMPOSITING === '1' ? {} : { WEBKIT_DISABLE_COMPOSITING_MODE: '1' };

async function launchWebKit(env = WEBKIT_ENV) {
  const session = await wd.startWebKit(env);
  // The first window stays open, blank: a session ends with its last window.
  const home = await session.send('GET', '/window');
  const browser = {
    session,
    home,
    current: home,
    version: session.version,
    async newContext(options) {
      return new WebKitContext(browser, options);
    },
    close: () => session.close(),
  };
  return browser;
}

// The engine's browser: one per test file, its contexts and pages opened
// and closed by each test.
function launch(options = {}) {
  if (engine === 'firefox') {
    return launchFirefox();
  }
  if (engine === 'webkit') {
    return launchWebKit(options.env);
  }
  return launchChromium();
}

// Playwright's Chromium as it is, for the tools that only Chromium serves
// (screenshots in mobile emulation, network throttling).
function playwrightChromium() {
  return { chromium: require('playwright-core').chromium, options: chromiumOptions };
}

module.exports = {
  playwrightChromium, engine, can, test, describe, before: nodeTest.before, after: nodeTest.after, launch, scriptsForPage,
  NO_TOUCH, NO_CDP, LEAST_WAIT,
};
