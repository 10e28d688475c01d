// Linked into the Node.js build only (--pre-js).
//
// The program sees the caller's SDL_* variables, as the native program would:
// the tests choose SDL's drivers through them.
//
// SDL's dummy and disk sound drivers run on a thread of their own, which this
// build (no threads, like the page) cannot start. Where the caller asks for
// the dummy driver, or for none, SDL's browser driver plays its part against
// the stand-in audio context below, which takes the sound and never pulls it:
// silence, as with the dummy driver.
Module['preRun'] = Module['preRun'] || [];
Module['preRun'].push(function() {
  for (var name in process.env) {
    if (name.indexOf('SDL_') === 0) {
      ENV[name] = process.env[name];
    }
  }
  if (!ENV['SDL_AUDIODRIVER'] || ENV['SDL_AUDIODRIVER'] === 'dummy') {
    ENV['SDL_AUDIODRIVER'] = 'emscripten';
  }
});

var AudioContext = function() {
  this.sampleRate = 44100;
  this.state = 'running';
  this.currentTime = 0;
  this.destination = {};
};
AudioContext.prototype.createScriptProcessor = function() {
  return { onaudioprocess: null, connect: function() {}, disconnect: function() {} };
};
AudioContext.prototype.resume = function() { return Promise.resolve(); };
AudioContext.prototype.close = function() { return Promise.resolve(); };
// Emscripten resumes a suspended context on the page's first key or click;
// here there is no page to listen to.
var document = {
  getElementById: function() { return null; },
  addEventListener: function() {},
  removeEventListener: function() {}
};
// Node.js 20 has no navigator: SDL looks there for a microphone.
var navigator = typeof navigator === 'object' ? navigator : {};
