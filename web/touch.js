// The touch controls around the picture, and the page's focus rule that
// keys, touch and controllers all follow. The game asks through
// Module.dvInput (src/platform/os/os_web.cpp) once a tick; nothing above the
// platform layer knows about touch.
'use strict';

window.DvTouch = (function () {
  const canvas = document.getElementById('canvas');
  const stage = document.getElementById('stage');
  const buttons = Array.from(document.querySelectorAll('#stage .key[data-key]'));
  const codes = Array.from(new Set(buttons.map((b) => Number(b.dataset.key))));

  // Each finger (pointer) and the button it holds; null once it slid off,
  // and it then presses nothing until lifted.
  const fingers = new Map();
  // Fingers on each key, and keys pressed since the game last read them: a
  // tap shorter than a tick still reaches the game once.
  const held = new Uint8Array(256);
  const unread = new Uint8Array(256);
  let focusLost = false;
  let shown = false;
  const changed = [];

  // The game has the keys exactly when the page has the focus, is seen,
  // and the canvas is its focused element.
  function gameFocused() {
    return document.hasFocus() && document.visibilityState === 'visible' && document.activeElement === canvas;
  }

  function holding(button) {
    for (const b of fingers.values()) {
      if (b === button) {
        return true;
      }
    }
    return false;
  }

  function press(pointerId, button) {
    const code = Number(button.dataset.key);
    fingers.set(pointerId, button);
    held[code] += 1;
    unread[code] = 1;
    button.classList.add('down');
  }

  function lift(pointerId) {
    const button = fingers.get(pointerId);
    fingers.delete(pointerId);
    if (!button) {
      return;
    }
    const code = Number(button.dataset.key);
    held[code] = Math.max(0, held[code] - 1);
    if (!holding(button)) {
      button.classList.remove('down');
    }
  }

  function releaseAll() {
    fingers.clear();
    held.fill(0);
    unread.fill(0);
    for (const b of buttons) {
      b.classList.remove('down');
    }
  }

  function buttonAt(x, y) {
    const el = document.elementFromPoint(x, y);
    const button = el && el.closest('.key[data-key]');
    return button && buttons.includes(button) ? button : null;
  }

  function show(on) {
    if (on === shown) {
      return;
    }
    shown = on;
    stage.classList.toggle('touch', on);
    if (!on) {
      releaseAll();
    }
    for (const f of changed) {
      f();
    }
  }

  // Shown from the start where touch is the only way to point; anywhere
  // after a touch; hidden again by a real keyboard or a controller.
  show(navigator.maxTouchPoints > 0 && !matchMedia('(any-pointer: fine)').matches &&
    !matchMedia('(any-hover: hover)').matches);
  window.addEventListener('pointerdown', (e) => {
    if (e.pointerType === 'touch') {
      show(true);
    }
  }, true);
  window.addEventListener('keydown', () => show(false), true);
  window.addEventListener('gamepadconnected', () => show(false));

  // A touch on the controls or on the picture belongs to the game: no
  // scrolling, zoom, menu or focus change. The buttons never take the focus.
  stage.addEventListener('pointerdown', (e) => {
    const button = e.target.closest('.key[data-key]');
    if (!button && e.target !== canvas) {
      return;
    }
    e.preventDefault();
    canvas.focus({ preventScroll: true });
    if (button && !fingers.has(e.pointerId)) {
      press(e.pointerId, button);
    }
  });
  for (const b of buttons) {
    b.tabIndex = -1;
    b.addEventListener('mousedown', (e) => e.preventDefault());
    b.addEventListener('contextmenu', (e) => e.preventDefault());
  }
  // A touch pointer is captured by the element it went down on, so leaving
  // a button is seen by hit-testing each move.
  window.addEventListener('pointermove', (e) => {
    const button = fingers.get(e.pointerId);
    if (button && buttonAt(e.clientX, e.clientY) !== button) {
      lift(e.pointerId);
      fingers.set(e.pointerId, null);
    }
  });
  window.addEventListener('pointerup', (e) => lift(e.pointerId));
  window.addEventListener('pointercancel', (e) => lift(e.pointerId));
  // Browsers start no gesture from a touch the page has claimed.
  stage.addEventListener('touchstart', (e) => {
    if (e.target === canvas || e.target.closest('.key')) {
      e.preventDefault();
    }
  }, { passive: false });

  // Whatever takes the focus away lets go of every key; the game notices at
  // its next read even if the focus is back by then.
  function lose() {
    focusLost = true;
    releaseAll();
  }
  window.addEventListener('blur', lose);
  canvas.addEventListener('blur', lose);
  window.addEventListener('pagehide', lose);
  document.addEventListener('visibilitychange', () => {
    if (document.visibilityState !== 'visible') {
      lose();
    }
  });

  return {
    // What the game reads, once a tick.
    input: {
      takeFocus() {
        const kept = !focusLost;
        focusLost = false;
        return kept && gameFocused();
      },
      takeTouchKeys() {
        const down = codes.filter((c) => held[c] > 0 || unread[c] > 0);
        unread.fill(0);
        return down;
      },
      // Fingers put down since the focus came back are the player's next
      // move, not what the focus took away.
      releaseTouchKeys() {
        if (!gameFocused()) {
          releaseAll();
        }
      },
    },
    shown: () => shown,
    onChange: (f) => changed.push(f),
  };
})();
