// The page's service worker (BUILD and FILES above are the build's). It keeps
// every file of one build in a cache of its own, so that the page starts with
// no network, and so that one page never mixes two builds: every file a page
// asks for comes from the cache of the worker that loaded the page. A new
// build's worker installs in the background and waits, as browsers make it,
// until every page of the old build has closed; then it drops the old caches.
'use strict';

// Two copies of the game in two folders of one site keep apart.
const PREFIX = 'dravo-vantle ' + self.registration.scope + ' ';
const CACHE = PREFIX + BUILD;
const here = (name) => new URL(name, self.location).href;
const files = new Set(FILES.map(here));
const index = here('index.html');
const entries = new Set([new URL(self.registration.scope).href, index]);

self.addEventListener('install', (event) => {
  // Past the browser's HTTP cache, whose older copies would mix two builds;
  // a cache left half filled by a failed download is dropped.
  event.waitUntil(caches.open(CACHE)
    .then((cache) => cache.addAll([...files].map((url) => new Request(url, { cache: 'no-cache' }))))
    .catch((e) => caches.delete(CACHE).then(() => { throw e; })));
});

self.addEventListener('activate', (event) => {
  event.waitUntil(caches.keys().then((names) => Promise.all(
    names.filter((name) => name.startsWith(PREFIX) && name !== CACHE).map((name) => caches.delete(name)))));
});

self.addEventListener('fetch', (event) => {
  const request = event.request;
  if (request.method !== 'GET') {
    return;
  }
  const url = new URL(request.url);
  url.hash = '';
  if (request.mode === 'navigate') {
    // The page's address carries its flags (?replay=..., ?fast): one page.
    url.search = '';
  }
  const key = entries.has(url.href) ? index : files.has(url.href) ? url.href : null;
  if (!key) {
    // A replay, a file of another build: the network's.
    return;
  }
  event.respondWith(caches.open(CACHE)
    .then((cache) => cache.match(key))
    .then((response) => response || fetch(request)));
});
