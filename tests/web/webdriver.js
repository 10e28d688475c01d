// A small W3C WebDriver client for WebKitGTK: Debian's WebKitWebDriver, which
// starts MiniBrowser in automation mode on an X server of our own (Xvfb).
// Only the commands the browser tests use; every wait is a polled deadline.
'use strict';

const { spawn } = require('node:child_process');
const fs = require('node:fs');
const net = require('node:net');

const ELEMENT = 'element-6066-11e4-a52e-4f735466cecf';
const MINIBROWSER = process.env.DV_MINIBROWSER || '/usr/lib/x86_64-linux-gnu/webkit2gtk-4.1/MiniBrowser';

const sleep = (ms) => new Promise((resolve) => setTimeout(resolve, ms));

// Polls `probe` until it gives a truthy value; past the deadline, says what
// it waited for and the last thing it saw.
async function until(what, probe, timeout = 30000) {
  const deadline = Date.now() + timeout;
  let seen;
  for (;;) {
    try {
      seen = await probe();
      if (seen) {
        return seen;
      }
    } catch (e) {
      seen = String(e.message || e);
    }
    if (Date.now() > deadline) {
      throw new Error(`waited ${timeout} ms for ${what}; saw: ${typeof seen === 'string' ? seen : JSON.stringify(seen)}`);
    }
    await sleep(100);
  }
}

function freePort() {
  return new Promise((resolve, reject) => {
    const s = net.createServer();
    s.listen(0, '127.0.0.1', () => {
      const { port } = s.address();
      s.close(() => resolve(port));
    });
    s.on('error', reject);
  });
}

// What a child process has said so far, for the message of a wait gone wrong.
function collect(child) {
  const said = [];
  for (const stream of [child.stdout, child.stderr]) {
    stream.on('data', (d) => {
      said.push(String(d));
      if (said.length > 50) {
        said.shift();
      }
    });
  }
  return () => said.join('').trim().slice(-2000) || '(nothing)';
}

// An X server on a display nobody else uses.
async function startXvfb() {
  for (let display = 90 + (process.pid % 300); ; ++display) {
    if (fs.existsSync(`/tmp/.X11-unix/X${display}`) || fs.existsSync(`/tmp/.X${display}-lock`)) {
      continue;
    }
    const child = spawn('Xvfb', [`:${display}`, '-screen', '0', '1280x1024x24', '-nolisten', 'tcp'],
      { stdio: ['ignore', 'pipe', 'pipe'] });
    const said = collect(child);
    let exited = null;
    child.on('exit', (code) => { exited = code; });
    await until(`Xvfb on :${display} (its socket /tmp/.X11-unix/X${display})`, () => {
      if (exited !== null) {
        throw new Error(`Xvfb exited with ${exited}: ${said()}`);
      }
      return fs.existsSync(`/tmp/.X11-unix/X${display}`);
    });
    return { display: `:${display}`, child };
  }
}

class WebDriverError extends Error {
  constructor(command, value) {
    super(`${command}: ${value.error}: ${value.message}`);
    this.error = value.error;
  }
}

class Session {
  constructor(base, id) {
    this.base = `${base}/session/${id}`;
  }

  async send(method, path, body) {
    const response = await fetch(this.base + path, {
      method,
      headers: body === undefined ? {} : { 'Content-Type': 'application/json' },
      body: body === undefined ? undefined : JSON.stringify(body),
    });
    const { value } = await response.json();
    if (!response.ok) {
      throw new WebDriverError(`${method} ${path}`, value);
    }
    return value;
  }

  // `fn` is run in the page with `arg`; its result, awaited, comes back as
  // JSON text so that objects keep their keys' order.
  async evaluate(fn, arg) {
    const script = `const f = (${fn}); return Promise.resolve(f(arguments[0])).then((r) => ` +
      `r === undefined ? 'undefined' : JSON.stringify(r));`;
    const text = await this.send('POST', '/execute/sync', { script, args: [arg === undefined ? null : arg] });
    return text === 'undefined' ? undefined : JSON.parse(text);
  }

  async element(selector) {
    const found = await this.send('POST', '/element', { using: 'css selector', value: selector });
    return found[ELEMENT];
  }

  actions(actions) {
    return this.send('POST', '/actions', { actions });
  }
}

// WebKitWebDriver and its MiniBrowser on an Xvfb of their own. `env` adds to
// the browser's environment (WEBKIT_DISABLE_COMPOSITING_MODE...).
async function startWebKit(env = {}) {
  const x = await startXvfb();
  const port = await freePort();
  const driver = spawn('WebKitWebDriver', [`--port=${port}`],
    { stdio: ['ignore', 'pipe', 'pipe'], env: { ...process.env, ...env, DISPLAY: x.display } });
  const said = collect(driver);
  const base = `http://127.0.0.1:${port}`;
  const stopAll = () => {
    driver.kill();
    x.child.kill();
  };
  // A test file that fails hard leaves no X server or driver behind.
  process.on('exit', stopAll);
  try {
    await until(`WebKitWebDriver on port ${port} to be ready (its output: see below)`, async () => {
      if (driver.exitCode !== null) {
        throw new Error(`WebKitWebDriver exited with ${driver.exitCode}: ${said()}`);
      }
      const r = await fetch(base + '/status');
      return (await r.json()).value.ready;
    });
    const response = await fetch(base + '/session', {
      method: 'POST',
      headers: { 'Content-Type': 'application/json' },
      body: JSON.stringify({
        capabilities: {
          alwaysMatch: {
            'webkitgtk:browserOptions': { binary: MINIBROWSER, args: ['--automation'] },
            unhandledPromptBehavior: 'dismiss and notify',
            timeouts: { script: 600000, pageLoad: 120000 },
          },
        },
      }),
    });
    const { value } = await response.json();
    if (!response.ok) {
      throw new Error(`no WebDriver session from MiniBrowser: ${JSON.stringify(value)}; WebKitWebDriver said: ${said()}`);
    }
    const session = new Session(base, value.sessionId);
    session.close = async () => {
      try {
        await session.send('DELETE', '');
      } finally {
        stopAll();
      }
    };
    session.version = value.capabilities.browserVersion;
    return session;
  } catch (e) {
    stopAll();
    throw e;
  }
}

// WebDriver's names for the keys the tests press, by their Playwright names
// (the code of a US keyboard's key).
const KEYS = {
  Space: ' ', Enter: '\uE007', Escape: '\uE00C', Tab: '\uE004', Backspace: '\uE003',
  ArrowLeft: '\uE012', ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015',
  Shift: '\uE008', Control: '\uE009', Alt: '\uE00A', Meta: '\uE03D',
};
for (let i = 1; i <= 12; ++i) {
  KEYS[`F${i}`] = String.fromCharCode(0xE030 + i);
}
function keyValue(name) {
  if (KEYS[name]) {
    return KEYS[name];
  }
  const m = /^(?:Key([A-Z])|Digit([0-9]))$/.exec(name);
  if (m) {
    return (m[1] || m[2]).toLowerCase();
  }
  if (name.length === 1) {
    return name;
  }
  throw new Error(`no WebDriver key for "${name}"`);
}

module.exports = { startWebKit, startXvfb, until, keyValue, ELEMENT, sleep };
