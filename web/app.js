// The page as an app for phones and tablets: the service worker that keeps
// the game playable offline, the screen kept awake while a game runs, the
// sound suspended while the page is hidden and brought back after any other
// stop, the stored files kept, and on an iPhone or iPad how to put the game
// on the Home screen. page.js marks the game's moments
// with events on the document: dv:ready (the start overlay is up),
// dv:playing and dv:over.
'use strict';

(function () {
  let playing = false;

  // Registered only once the start overlay is up: the worker's download of
  // every file would otherwise race the page's own on a first visit. Where
  // there is none (http from another machine, file://) the page is as before.
  document.addEventListener('dv:ready', () => {
    if (!('serviceWorker' in navigator) || !window.isSecureContext) {
      return;
    }
    navigator.serviceWorker.register('sw.js').catch((e) => {
      console.info('dravo-vantle: no offline copy (' + e.message + ')');
    });
  }, { once: true });

  // The screen stays lit while a game is played in sight, where the browser
  // offers a wake lock; a refusal only means the phone may dim as usual.
  let lock = null; // { sentinel } while held or asked for
  function keepAwake() {
    if (!playing || document.visibilityState !== 'visible' || lock ||
      !(navigator.wakeLock && navigator.wakeLock.request)) {
      return;
    }
    const mine = { sentinel: null };
    lock = mine;
    navigator.wakeLock.request('screen').then((sentinel) => {
      if (lock !== mine) {
        // Let go of while it was being granted.
        sentinel.release().catch(() => {});
        return;
      }
      mine.sentinel = sentinel;
      // The browser lets go of it too (a hidden page, a low battery).
      sentinel.addEventListener('release', () => {
        if (lock === mine) {
          lock = null;
        }
      });
    }, () => {
      if (lock === mine) {
        lock = null;
      }
    });
  }
  function letGo() {
    const held = lock;
    lock = null;
    if (held && held.sentinel) {
      held.sentinel.release().catch(() => {});
    }
  }

  document.addEventListener('dv:playing', () => {
    playing = true;
    keepAwake();
  });
  document.addEventListener('dv:over', () => {
    playing = false;
    letGo();
  });

  // A hidden page gets no frames, so the game stands still; its sound is
  // pulled by the audio context, which would play on, so the page suspends
  // it. Any other stop is the system's: on an iPhone a call, Siri, the lock
  // screen or another app's sound leave the context 'suspended' or
  // 'interrupted', and resume() fails until the interruption is over. So
  // whenever it is not running while a game is on and in sight, the page
  // tries again at each chance: a key, a tap or a click (the moments a
  // browser lets sound start), the page coming back, and the context's own
  // word that the interruption has ended.
  const audioContext = () => window.Module && Module.SDL2 && Module.SDL2.audioContext;
  let hiddenByPage = false;
  let watched = null;
  function revive() {
    const audio = audioContext();
    if (!audio) {
      return;
    }
    if (watched !== audio) {
      watched = audio;
      audio.addEventListener('statechange', revive);
    }
    if (playing && !hiddenByPage && audio.state !== 'running' && audio.state !== 'closed') {
      audio.resume().catch(() => {});
    }
  }
  document.addEventListener('visibilitychange', () => {
    const audio = audioContext();
    if (document.visibilityState === 'hidden') {
      hiddenByPage = true;
      if (audio && audio.state === 'running') {
        audio.suspend().catch(() => {});
      }
      letGo();
    } else {
      hiddenByPage = false;
      revive();
      keepAwake();
    }
  });
  window.addEventListener('pageshow', () => {
    hiddenByPage = document.visibilityState === 'hidden';
    revive();
  });
  for (const type of ['keydown', 'pointerdown', 'pointerup', 'touchend', 'click']) {
    window.addEventListener(type, revive, { capture: true, passive: true });
  }
  // The context is made as the game starts, just after this event.
  document.addEventListener('dv:playing', () => setTimeout(revive, 0));

  // A browser may delete a site's stored files (the offline copy among them)
  // when space runs short, and Safari does after seven days without a visit;
  // a page that asks is kept where the browser agrees. Asked once a game is
  // started, when the player has shown they mean to play.
  document.addEventListener('dv:playing', () => {
    if (navigator.storage && navigator.storage.persist) {
      navigator.storage.persist().catch(() => {});
    }
  }, { once: true });

  // Safari on an iPhone or an iPad never offers to install a page, so the
  // start overlay says once how, in the words of the browser's own menus,
  // until the player closes it. Nothing is said in the Home screen app
  // itself, nor where the browser cannot add to the Home screen.
  const HINT_KEY = 'dravo-vantle:home-screen-hint';
  const SAFARI_WORDS = 'Per giocare a tutto schermo e anche senza rete, aggiungi il gioco alla schermata Home: ' +
    'tocca "Condividi" (dietro "···" se la barra è compatta), poi "Aggiungi alla schermata Home".';
  const BROWSER_WORDS = 'Per giocare a tutto schermo e anche senza rete, aggiungi il gioco alla schermata Home: ' +
    'tocca "Condividi" nel menu del browser, poi "Aggiungi alla schermata Home".';
  function homeScreenWords() {
    // Defined only on iPhones and iPads, true in the Home screen app.
    if (navigator.standalone !== false || matchMedia('(display-mode: standalone)').matches) {
      return null;
    }
    const ua = navigator.userAgent;
    // iPadOS's Safari says it is a Mac; a Mac has no touch screen.
    if (!/\b(iPhone|iPad|iPod)\b/.test(ua) && !(/\bMacintosh\b/.test(ua) && navigator.maxTouchPoints > 1)) {
      return null;
    }
    // Apps' built-in views (no Safari token, or an app's own) add nothing to
    // the Home screen.
    if (!/\bSafari\//.test(ua) || /\b(FBAN|FBAV|Instagram|Line|GSA|MicroMessenger|Twitter)\b/.test(ua)) {
      return null;
    }
    if (!/\b(CriOS|FxiOS|EdgiOS|OPiOS|OPT|YaBrowser|DuckDuckGo|Brave)\b/.test(ua)) {
      return SAFARI_WORDS;
    }
    // Other browsers on iOS have offered it from their share menu since 16.4.
    const os = /\bOS (\d+)_(\d+)/.exec(ua);
    return os && (Number(os[1]) > 16 || (Number(os[1]) === 16 && Number(os[2]) >= 4)) ? BROWSER_WORDS : null;
  }
  function dismissed() {
    try {
      return localStorage.getItem(HINT_KEY) === 'dismissed';
    } catch (e) {
      return false;
    }
  }
  const homeHint = document.getElementById('home-hint');
  let installOffered = false;
  window.addEventListener('beforeinstallprompt', () => {
    installOffered = true;
    homeHint.hidden = true;
  });
  document.addEventListener('dv:ready', () => {
    const words = homeScreenWords();
    if (!words || installOffered || dismissed()) {
      return;
    }
    document.getElementById('home-hint-text').textContent = words;
    homeHint.hidden = false;
  }, { once: true });
  document.getElementById('home-hint-close').addEventListener('click', (e) => {
    // The tap belongs to the hint, not to the overlay that starts the game.
    e.stopPropagation();
    homeHint.hidden = true;
    try {
      localStorage.setItem(HINT_KEY, 'dismissed');
    } catch (e2) {
      // Storage refused (a private window): it is closed for this visit.
    }
  });
})();
