// The web build's numbers for the README, in headless Chromium on this
// machine (--busy: in any engine, DV_ENGINE as for the tests).
//
//   cd tests/web && node measure.js
//     tick accuracy over 10 s of the intro, frames drawn per second, time
//     from the start click to the first intro frame.
//
//   cd tests/web && node measure.js --rate 4 [--runs 4] [--profile FILE]
//     a phone's processor: the page's thread slowed RATE times (CDP
//     Emulation.setCPUThrottlingRate), real-time busy play (the five-minute
//     replay, 3000 ticks). Prints the game's tick-stats line (its cpu is the
//     frame callbacks and the sound callbacks together), the longest frame
//     callback after the first second, the first second's slow callbacks and
//     the long waits between callbacks (the start's one-off costs), and
//     apart from them the callback in which the run ends. --profile writes the sampled
//     JavaScript/WebAssembly profile of the run (CDP Profiler) and prints the
//     functions with the most self time.
//
//   cd tests/web && DV_ENGINE=webkit node measure.js --busy [--runs 3] [--no-compositing]
//     real-time busy play (the five-minute replay, 3000 ticks) at the
//     machine's own speed in the engine: the game's tick-stats line, the CPU
//     share of the page's thread (the web content process's main thread,
//     from /proc) and of that process's busiest threads, of all the
//     browser's processes together (and of Xvfb where the engine draws on
//     one), the frame callbacks a second and the frames drawn a second (the
//     game draws every second tick: 50 at most).
//     --no-compositing runs WebKitGTK with WEBKIT_DISABLE_COMPOSITING_MODE=1.
'use strict';

const fs = require('node:fs');
const h = require('./harness');

function option(name, fallback) {
  const i = process.argv.indexOf('--' + name);
  if (i < 0) {
    return fallback;
  }
  const next = process.argv[i + 1];
  return next === undefined || next.startsWith('--') ? true : next;
}

// Each frame callback timed: the game's own start at the first one (the
// canvas shows a black frame while the game loads, before it), and the
// longest can be told after the first second of play.
async function timeFrameCallbacks(page) {
  await page.evaluate(() => {
    window.dvCallbacks = [];
    const raf = window.requestAnimationFrame.bind(window);
    window.requestAnimationFrame = (cb) => raf((t) => {
      const start = performance.now();
      try {
        cb(t);
      } finally {
        window.dvCallbacks.push([start, performance.now() - start]);
      }
    });
  });
}

async function intro(browser, server) {
  const { page, log, context } = await h.openPage(browser, server, '?tick-stats&ticks=1000');
  await timeFrameCallbacks(page);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  await page.evaluate(() => {
    document.addEventListener('click', () => { window.dvClickedAt = performance.now(); }, true);
  });
  await h.startGame(page);
  const stats = await h.consoleLine(page, 'tick-stats: ', 60000);
  const startup = await h.consoleLine(page, 'startup: ', 5000);
  const frames = await page.evaluate(() => {
    const f = window.dvFrames.filter((t) => t >= window.dvCallbacks[0][0]);
    return { count: f.length, first: f[0] - window.dvClickedAt, seconds: (f[f.length - 1] - f[0]) / 1000 };
  });
  console.log(stats);
  console.log(startup + ' (the program\'s own count, from main)');
  console.log(`frames: ${frames.count} drawn in ${frames.seconds.toFixed(2)} s, ` +
    `${((frames.count - 1) / frames.seconds).toFixed(1)} per second`);
  console.log(`start click to the first intro frame: ${frames.first.toFixed(1)} ms`);
  await context.close();
}

// Self time per function in a CDP Profiler profile, largest first.
function selfTimes(profile) {
  const byId = new Map(profile.nodes.map((n) => [n.id, n]));
  const total = new Map();
  for (let i = 0; i < profile.samples.length; ++i) {
    const node = byId.get(profile.samples[i]);
    const f = node.callFrame;
    const name = f.functionName || '(anonymous)';
    const key = name + (f.url ? ' ' + f.url.replace(/^.*\//, '') : '');
    total.set(key, (total.get(key) || 0) + (profile.timeDeltas[i] || 0));
  }
  const all = [...total.values()].reduce((a, b) => a + b, 0);
  return [...total.entries()].sort((a, b) => b[1] - a[1]).map(([k, v]) => ({ name: k, ms: v / 1000, share: 100 * v / all }));
}

async function phone(browser, server, rate, run, opts) {
  const query = '?replay=replays/long.txt&ticks=3000&tick-stats';
  const { page, log, context } = await h.openPage(browser, server, query);
  await timeFrameCallbacks(page);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  const cdp = await page.cdp();
  await cdp.send('Emulation.setCPUThrottlingRate', { rate });
  if (opts.profile) {
    await cdp.send('Profiler.enable');
    await cdp.send('Profiler.setSamplingInterval', { interval: 500 });
    await cdp.send('Profiler.start');
  }
  await h.startGame(page);
  const started = Date.now();
  const stats = await h.consoleLine(page, 'tick-stats: ', 600000);
  const wall = (Date.now() - started) / 1000;
  let profile = null;
  if (opts.profile) {
    ({ profile } = await cdp.send('Profiler.stop'));
  }
  const callbacks = await page.evaluate(() => {
    // The last callback ends the run (the tick-stats line, the program's
    // exit, the page keeping the last frame): no tick waits on it, so it is
    // told apart.
    const all = window.dvCallbacks.slice(0, -1);
    const closing = window.dvCallbacks.length ? window.dvCallbacks[window.dvCallbacks.length - 1][1] : 0;
    const first = all.length ? all[0][0] : 0;
    const later = all.filter(([t]) => t > first + 1000).map(([, d]) => d);
    const sorted = later.slice().sort((a, b) => a - b);
    return {
      count: later.length,
      max: sorted.length ? sorted[sorted.length - 1] : 0,
      over50: later.filter((d) => d > 50).length,
      // When the long ones came, in seconds from the first frame callback.
      long: all.filter(([t, d]) => t > first + 1000 && d > 50).map(([t, d]) => `${((t - first) / 1000).toFixed(1)} s ${d.toFixed(0)} ms`),
      p99: sorted.length ? sorted[Math.floor(0.99 * (sorted.length - 1))] : 0,
      // The first second's callbacks over a display frame, in order: the
      // start's cold code shows here.
      early: all.filter(([t, d]) => t <= first + 1000 && d > 17).map(([t, d]) => `${(t - first).toFixed(0)}:${d.toFixed(0)}`),
      // Waits of more than two display frames between callbacks: the
      // browser's own work (painting, compiling, collecting) holding the page.
      gaps: all.slice(1).map(([t], i) => [all[i][0] + all[i][1], t - all[i][0] - all[i][1]])
        .filter(([, g]) => g > 34).map(([t, g]) => `${((t - first) / 1000).toFixed(2)} s ${g.toFixed(0)} ms`),
      closing,
    };
  });
  await cdp.send('Emulation.setCPUThrottlingRate', { rate: 1 });
  await context.close();
  let line = `rate ${rate} run ${run}: ${stats.replace(/^tick-stats: /, '')}; frame callbacks after 1 s: ` +
    `max ${callbacks.max.toFixed(1)} ms, p99 ${callbacks.p99.toFixed(1)} ms, ${callbacks.over50} over 50 ms of ${callbacks.count}` +
    `${callbacks.long.length ? ' (' + callbacks.long.join(', ') + ')' : ''}; in the first second over 17 ms ` +
    `(at ms:took ms) ${callbacks.early.join(' ') || 'none'}; ` +
    `waits over 34 ms between callbacks ${callbacks.gaps.join(', ') || 'none'}; the closing one ${callbacks.closing.toFixed(0)} ms` +
    `; wall ${wall.toFixed(1)} s`;
  console.log(line);
  if (profile) {
    const file = typeof opts.profile === 'string' ? opts.profile.replace(/(\.cpuprofile)?$/, `-${rate}-${run}.cpuprofile`)
      : `profile-${rate}-${run}.cpuprofile`;
    fs.writeFileSync(file, JSON.stringify(profile));
    for (const f of selfTimes(profile).slice(0, Number(option('top', 25)))) {
      console.log(`  ${f.share.toFixed(1).padStart(5)}%  ${f.ms.toFixed(0).padStart(7)} ms  ${f.name}`);
    }
  }
}

// The processes this one started, and theirs: the browser, its helpers, the
// driver and the X server.
function descendants() {
  const parent = new Map();
  for (const pid of fs.readdirSync('/proc').filter((d) => /^\d+$/.test(d))) {
    try {
      const stat = fs.readFileSync(`/proc/${pid}/stat`, 'utf8');
      parent.set(Number(pid), Number(stat.slice(stat.lastIndexOf(')') + 2).split(' ')[1]));
    } catch {
      // gone meanwhile
    }
  }
  const out = [];
  const walk = (pid) => {
    for (const [child, p] of parent) {
      if (p === pid) {
        out.push(child);
        walk(child);
      }
    }
  };
  walk(process.pid);
  return out;
}

// utime + stime in clock ticks of a process (all its threads) or of one thread.
function cpuTicks(path) {
  try {
    const stat = fs.readFileSync(path, 'utf8');
    const f = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
    return Number(f[11]) + Number(f[12]);
  } catch {
    return null;
  }
}

function processName(pid) {
  try {
    return fs.readFileSync(`/proc/${pid}/cmdline`, 'utf8').split('\0').filter(Boolean).join(' ');
  } catch {
    return '';
  }
}

// CPU of each process, of its main thread and of its threads by name, now.
function cpuNow() {
  const out = new Map();
  for (const pid of descendants()) {
    const threads = new Map();
    try {
      for (const tid of fs.readdirSync(`/proc/${pid}/task`)) {
        const comm = fs.readFileSync(`/proc/${pid}/task/${tid}/comm`, 'utf8').trim().replace(/\d+$/, 'N');
        threads.set(comm, (threads.get(comm) || 0) + (cpuTicks(`/proc/${pid}/task/${tid}/stat`) || 0));
      }
    } catch {
      // gone meanwhile
    }
    out.set(pid, { total: cpuTicks(`/proc/${pid}/stat`), main: cpuTicks(`/proc/${pid}/task/${pid}/stat`),
      name: processName(pid), threads });
  }
  return out;
}

// The web content process: the one whose main thread ran the page.
const isContent = (name) => /--type=renderer|-contentproc.*\btab\b|WebKitWebProcess/.test(name);

async function busy(browser, server, run) {
  const query = '?replay=replays/long.txt&ticks=3000&tick-stats';
  const { page, context } = await h.openPage(browser, server, query);
  await timeFrameCallbacks(page);
  await page.waitForSelector('#start:not([hidden])', { timeout: 60000 });
  await h.startGame(page);
  const before = cpuNow();
  const started = Date.now();
  const stats = await h.consoleLine(page, 'tick-stats: ', 600000);
  const wall = (Date.now() - started) / 1000;
  const after = cpuNow();
  const rate = (list) => (list.length > 1 ? (list.length - 1) / ((list[list.length - 1] - list[0]) / 1000) : 0);
  const [frames, callbacks] = await page.evaluate(() => {
    const first = window.dvCallbacks.length ? window.dvCallbacks[0][0] : 0;
    return [window.dvFrames.filter((t) => t > first + 1000), window.dvCallbacks.map(([t]) => t).filter((t) => t > first + 1000)];
  }).then((lists) => lists.map(rate));
  await context.close();
  const hz = 100;  // USER_HZ on Linux
  let all = 0;
  let x = 0;
  let thread = 0;
  let content = '';
  let contentThreads = [];
  const each = new Map();
  for (const [pid, a] of after) {
    const b = before.get(pid) || { total: 0, main: 0 };
    const used = (a.total - b.total) / hz;
    const name = (a.name.split(' ')[0].split('/').pop() || '?') +
      (/--type=(\w+)/.exec(a.name) || /-contentproc.*\b(tab|gpu|socket|rdd|utility)\b/.exec(a.name) || ['', ''])[1]
        .replace(/^(.)/, ' $1');
    each.set(name, (each.get(name) || 0) + used);
    if (/^Xvfb\b/.test(a.name)) {
      x += used;
    } else {
      all += used;
    }
    const main = (a.main - b.main) / hz;
    if (isContent(a.name) && main > thread) {
      thread = main;
      content = name;
      // The content process's busiest threads over the run.
      contentThreads = [...a.threads].map(([n, t]) => [n, (t - ((b.threads && b.threads.get(n)) || 0)) / hz])
        .sort((p, q) => q[1] - p[1]).slice(0, 4);
    }
  }
  const pct = (s) => (100 * s / wall).toFixed(1) + '%';
  const heaviest = [...each].filter(([n]) => n !== 'Xvfb').sort((p, q) => q[1] - p[1]).slice(0, 4)
    .map(([n, v]) => `${n} ${pct(v)}`).join(', ');
  console.log(`${h.engine}${option('no-compositing', false) ? ' (compositing off)' : ''} run ${run}: ` +
    `${stats.replace(/^tick-stats: /, '')}; page thread ${pct(thread)} (${content}: threads ` +
    `${contentThreads.map(([n, v]) => `${n} ${pct(v)}`).join(', ')}); ${callbacks.toFixed(1)} frame callbacks a second; ` +
    'browser processes ' +
    `${pct(all)} (${heaviest})${x ? `, Xvfb ${pct(x)}` : ''}; ${frames.toFixed(1)} frames a second; ` +
    `wall ${wall.toFixed(1)} s; ` +
    `load ${fs.readFileSync('/proc/loadavg', 'utf8').split(' ').slice(0, 3).join(' ')}`);
}

(async () => {
  const server = await h.serve();
  // WebKitGTK in its default mode unless asked otherwise (the suites run it
  // with compositing off).
  const env = option('no-compositing', false) ? { WEBKIT_DISABLE_COMPOSITING_MODE: '1' } : {};
  const browser = await h.launch({ env });
  try {
    const rate = option('rate', null);
    if (option('busy', false)) {
      for (let run = 1; run <= Number(option('runs', 1)); ++run) {
        await busy(browser, server, run);
      }
    } else if (rate === null) {
      await intro(browser, server);
    } else {
      const runs = Number(option('runs', 1));
      const opts = { profile: option('profile', false) };
      for (let run = 1; run <= runs; ++run) {
        await phone(browser, server, Number(rate), run, opts);
      }
    }
  } finally {
    await browser.close();
    await h.stop(server);
  }
})();
