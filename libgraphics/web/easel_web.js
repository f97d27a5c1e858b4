// The page's side of the browser build: the canvas, the input that goes into the program's event
// queue, the clock, sleeping until there is something to do, and downloads.
//
// With ?clock=manual in the page's address the clock stands still until window.easel.advance(ms)
// moves it, so that a test sees exactly the ticks due in that time, each with its own time.

mergeInto(LibraryManager.library, {
  $EaselWeb__deps: ['easel_web_motion', 'easel_web_button', 'easel_web_wheel', 'easel_web_key',
                    'easel_web_quit', 'easel_web_pending', 'easel_web_next_due', 'malloc', 'free'],
  $EaselWeb__postset: 'EaselWeb.init();',
  $EaselWeb: {
    manualClock: false,
    clock: 0,
    canvas: null,
    image: null,
    wakeUp: null,
    wakeTimer: null,
    waking: false,
    ended: false,
    watchingMain: false,
    idleWaiters: [],
    pressed: null,
    listeners: [],

    init: function() {
      EaselWeb.manualClock = new URLSearchParams(location.search).get('clock') === 'manual';
      EaselWeb.canvas = document.getElementById('canvas');
      EaselWeb.pressed = new Set();
      Module['onAbort'] = function() { EaselWeb.finish('aborted'); };
      var previousExit = Module['onExit'];
      Module['onExit'] = function(status) {
        EaselWeb.finish(status);
        if (previousExit) previousExit(status);
      };
      window['easel'] = {
        'idle': EaselWeb.idle,
        'advance': EaselWeb.advance,
        'close': EaselWeb.close,
        'exitStatus': null,
      };
      window.addEventListener('pagehide', EaselWeb.close);
      var close = document.getElementById('close');
      if (close) close.addEventListener('click', EaselWeb.close);
    },

    now: function() {
      return EaselWeb.manualClock ? EaselWeb.clock : performance.now();
    },

    // Program pixels per device pixel: a whole number, so that the picture stays sharp.
    scale: function() {
      var canvas = EaselWeb.canvas;
      var dpr = window.devicePixelRatio || 1;
      var factor = Math.max(1, Math.round(dpr));
      canvas.style.width = (canvas.width * factor / dpr) + 'px';
      canvas.style.height = (canvas.height * factor / dpr) + 'px';
    },

    position: function(e) {
      var canvas = EaselWeb.canvas;
      var r = canvas.getBoundingClientRect();
      return [Math.floor((e.clientX - r.left) * canvas.width / r.width),
              Math.floor((e.clientY - r.top) * canvas.height / r.height)];
    },

    listen: function(target, type, handler, options) {
      target.addEventListener(type, handler, options);
      EaselWeb.listeners.push([target, type, handler, options]);
    },

    start: function() {
      var canvas = EaselWeb.canvas;
      // Input goes to the program as the browser names it; sdl_web.cpp turns it into SDL's events.
      var mouse = function(send, e) {
        var at = EaselWeb.position(e);
        send(at[0], at[1]);
        EaselWeb.wake();
      };
      EaselWeb.listen(canvas, 'mousedown', function(e) {
        e.preventDefault();
        EaselWeb.pressed.add(e.button);
        mouse(function(x, y) { _easel_web_button(1, e.button, x, y); }, e);
      });
      EaselWeb.listen(window, 'mouseup', function(e) {
        if (!EaselWeb.pressed.delete(e.button)) return;
        mouse(function(x, y) { _easel_web_button(0, e.button, x, y); }, e);
      });
      // Motion over the canvas, and anywhere while a button pressed on it is held.
      EaselWeb.listen(window, 'mousemove', function(e) {
        if (e.target === canvas || EaselWeb.pressed.size > 0) mouse(_easel_web_motion, e);
      });
      EaselWeb.listen(canvas, 'wheel', function(e) {
        e.preventDefault();
        if (e.deltaY === 0) return;
        mouse(function(x, y) { _easel_web_wheel(Math.sign(e.deltaY), x, y); }, e);
      }, {passive: false});
      EaselWeb.listen(canvas, 'contextmenu', function(e) { e.preventDefault(); });
      var key = function(pressed, e) {
        if (e.repeat || e.isComposing) return;
        var name = allocateUTF8(e.key);
        var code = allocateUTF8(e.code);
        var use = _easel_web_key(pressed, name, code);
        _free(name);
        _free(code);
        if (use === 0) return;
        var leaveToBrowser = use === 2;
        if (!e.ctrlKey && !e.metaKey && !leaveToBrowser) e.preventDefault();
        EaselWeb.wake();
      };
      EaselWeb.listen(window, 'keydown', function(e) { key(1, e); });
      EaselWeb.listen(window, 'keyup', function(e) { key(0, e); });
      EaselWeb.listen(window, 'resize', function() { if (EaselWeb.image) EaselWeb.scale(); });
    },

    stop: function() {
      EaselWeb.listeners.forEach(function(l) { l[0].removeEventListener(l[1], l[2], l[3]); });
      EaselWeb.listeners = [];
    },

    // The program resumes once the page's current turn is over, so that input arriving together
    // reaches it together, as the desktop takes everything that waits at once.
    wake: function() {
      if (!EaselWeb.wakeUp || EaselWeb.waking) return;
      EaselWeb.waking = true;
      Promise.resolve().then(function() {
        EaselWeb.waking = false;
        var wakeUp = EaselWeb.wakeUp;
        if (!wakeUp) return;
        EaselWeb.wakeUp = null;
        clearTimeout(EaselWeb.wakeTimer);
        wakeUp();
      });
    },

    isIdle: function() {
      return EaselWeb.ended || (EaselWeb.wakeUp !== null && !EaselWeb.waking && _easel_web_pending() === 0);
    },

    settle: function() {
      if (!EaselWeb.isIdle()) return;
      var waiters = EaselWeb.idleWaiters;
      EaselWeb.idleWaiters = [];
      waiters.forEach(function(resolve) { resolve(); });
    },

    // Resolves once the program has taken every event it was given and waits for the next one.
    idle: function() {
      return new Promise(function(resolve) {
        EaselWeb.idleWaiters.push(resolve);
        EaselWeb.settle();
      });
    },

    // Manual clock: ms milliseconds pass, and every tick due in them reaches the program in turn.
    advance: async function(ms) {
      var target = EaselWeb.clock + ms;
      for (;;) {
        await EaselWeb.idle();
        var due = EaselWeb.ended ? -1 : _easel_web_next_due();
        if (due < 0 || due > target) break;
        EaselWeb.clock = due;
        EaselWeb.wake();
      }
      EaselWeb.clock = target;
    },

    // Like closing the program's window: its event stream ends.
    close: function() {
      if (EaselWeb.ended || !Module['calledRun']) return;
      _easel_web_quit();
      EaselWeb.wake();
    },

    finish: function(status) {
      EaselWeb.ended = true;
      window['easel']['exitStatus'] = status;
      var note = document.getElementById('status');
      if (note) note.textContent = 'The program has ended (exit status ' + status + ').';
      EaselWeb.settle();
    },
  },

  easel_web_start__deps: ['$EaselWeb'],
  easel_web_start: function() { EaselWeb.start(); },

  easel_web_stop__deps: ['$EaselWeb'],
  easel_web_stop: function() { EaselWeb.stop(); },

  easel_web_now__deps: ['$EaselWeb'],
  easel_web_now: function() { return EaselWeb.now(); },

  easel_web_show_canvas__deps: ['$EaselWeb'],
  easel_web_show_canvas: function(width, height) {
    var canvas = EaselWeb.canvas;
    canvas.width = width;
    canvas.height = height;
    EaselWeb.image = canvas.getContext('2d').createImageData(width, height);
    EaselWeb.scale();
  },

  // 0x00RRGGBB words become opaque RGBA bytes.
  easel_web_present__deps: ['$EaselWeb'],
  easel_web_present: function(pixels, width, height) {
    var image = EaselWeb.image;
    if (!image || image.width !== width || image.height !== height) return;
    var out = new Uint32Array(image.data.buffer);
    var from = pixels >> 2;
    for (var i = 0; i < out.length; ++i) {
      var p = HEAPU32[from + i];
      out[i] = 0xFF000000 | ((p & 0xFF) << 16) | (p & 0xFF00) | ((p >> 16) & 0xFF);
    }
    EaselWeb.canvas.getContext('2d').putImageData(image, 0, 0);
  },

  easel_web_sleep__deps: ['$EaselWeb', '$handleException'],
  easel_web_sleep: function(wakeAt) {
    return Asyncify.handleSleep(function(wakeUp) {
      EaselWeb.wakeUp = wakeUp;
      if (!EaselWeb.manualClock && wakeAt >= 0) {
        EaselWeb.wakeTimer = setTimeout(EaselWeb.wake, Math.max(0, wakeAt - EaselWeb.now()));
      }
      // main returns through a rewind, which the runtime does not turn into an exit by itself.
      if (!EaselWeb.watchingMain) {
        EaselWeb.watchingMain = true;
        Asyncify.whenDone().then(function(status) {
          try {
            exit(status);
          } catch (e) {
            handleException(e);
          }
        });
      }
      EaselWeb.settle();
    });
  },

  // The window's title becomes the page's heading and the tab's title.
  easel_web_caption: function(title) {
    var heading = document.getElementById('name');
    document.title = UTF8ToString(title);
    if (heading) heading.textContent = document.title;
  },

  easel_web_download: function(name, bytes, length) {
    var blob = new Blob([HEAPU8.slice(bytes, bytes + length)], {type: 'image/bmp'});
    var link = document.createElement('a');
    link.href = URL.createObjectURL(blob);
    link.download = UTF8ToString(name);
    link.click();
    setTimeout(function() { URL.revokeObjectURL(link.href); }, 1000);
  },
});
