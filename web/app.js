// The page as an app for phones and tablets: the service worker that keeps
// the game playable offline, the screen kept awake while a game runs, and the
// sound suspended while the page is hidden. page.js marks the game's moments
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
  // pulled by the audio context, which would play on. It resumes on return
  // only if it was running when the page went.
  let silenced = null;
  document.addEventListener('visibilitychange', () => {
    const audio = window.Module && Module.SDL2 && Module.SDL2.audioContext;
    if (document.visibilityState === 'hidden') {
      if (audio && audio.state === 'running') {
        silenced = audio;
        audio.suspend().catch(() => {});
      }
      letGo();
    } else {
      if (silenced) {
        silenced.resume().catch(() => {});
        silenced = null;
      }
      keepAwake();
    }
  });
})();
