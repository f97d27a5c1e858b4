// The program's side of the browser build. The program runs in a Web Worker that the page
// (shell.html) starts, so that a program computing for a long time leaves the page alive. Here:
// the clock, sleeping until there is something to do, and the messages to and from the page. The
// page sends input (as the browser names it), a close, and a test's requests; this side sends the
// canvas's size, every refreshed picture, the title, downloads, output and the exit status.
//
// With ?clock=manual in the page's address the clock stands still until the page's
// easel.advance(ms) moves it, so that a test sees exactly the ticks due in that time, each with
// its own time.

mergeInto(LibraryManager.library, {
  $EaselWeb__deps: ['easel_web_motion', 'easel_web_button', 'easel_web_wheel', 'easel_web_key',
                    'easel_web_quit', 'easel_web_pending', 'easel_web_next_due', 'easel_web_named_keys',
                    'malloc', 'free'],
  $EaselWeb__postset: 'EaselWeb.init();',
  $EaselWeb: {
    manualClock: false,
    clock: 0,
    started: false,
    wakeUp: null,
    wakeTimer: null,
    waking: false,
    ended: false,
    watchingMain: false,
    idleWaiters: [],

    init: function() {
      EaselWeb.manualClock = !!(Module['easel'] && Module['easel']['manualClock']);
      Module['onAbort'] = function() { EaselWeb.finish('aborted'); };
      var previousExit = Module['onExit'];
      Module['onExit'] = function(status) {
        EaselWeb.finish(status);
        if (previousExit) previousExit(status);
      };
      self.onmessage = function(e) { EaselWeb.receive(e.data); };
    },

    post: function(message, transfer) {
      postMessage(message, transfer || []);
    },

    now: function() {
      return EaselWeb.manualClock ? EaselWeb.clock : performance.now();
    },

    receive: function(message) {
      var type = message['type'];
      if (type === 'input') EaselWeb.input(message['events']);
      else if (type === 'ping') EaselWeb.post({'type': 'pong'});
      else if (type === 'idle') EaselWeb.idle().then(function() { EaselWeb.post({'type': 'done', 'id': message['id']}); });
      else if (type === 'advance') {
        EaselWeb.advance(message['ms']).then(function() { EaselWeb.post({'type': 'done', 'id': message['id']}); });
      }
    },

    // A batch of the page's input reaches the program together, and it then runs until it waits
    // again: as on the desktop, a close in the batch ends the stream ahead of the input before it.
    input: function(events) {
      if (!EaselWeb.started || EaselWeb.ended) return;
      var closed = false;
      events.forEach(function(e) {
        var kind = e[0];
        if (kind === 'motion') _easel_web_motion(e[1], e[2]);
        else if (kind === 'button') _easel_web_button(e[1], e[2], e[3], e[4]);
        else if (kind === 'wheel') _easel_web_wheel(e[1], e[2], e[3]);
        else if (kind === 'key') {
          var name = allocateUTF8(e[2]);
          var code = allocateUTF8(e[3]);
          _easel_web_key(e[1], name, code);
          _free(name);
          _free(code);
        } else if (kind === 'quit') {
          _easel_web_quit();
          closed = true;
        }
      });
      if (closed) EaselWeb.post({'type': 'closeTaken'});
      EaselWeb.wake();
    },

    // The program resumes once this turn is over, so that everything that arrived in it is there.
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

    finish: function(status) {
      if (EaselWeb.ended) return;
      EaselWeb.ended = true;
      EaselWeb.post({'type': 'exit', 'status': status});
      EaselWeb.settle();
    },
  },

  easel_web_start__deps: ['$EaselWeb'],
  easel_web_start: function() {
    EaselWeb.started = true;
    EaselWeb.post({'type': 'keys', 'table': UTF8ToString(_easel_web_named_keys())});
  },

  easel_web_stop__deps: ['$EaselWeb'],
  easel_web_stop: function() { EaselWeb.started = false; },

  easel_web_now__deps: ['$EaselWeb'],
  easel_web_now: function() { return EaselWeb.now(); },

  easel_web_show_canvas__deps: ['$EaselWeb'],
  easel_web_show_canvas: function(width, height) {
    EaselWeb.post({'type': 'canvas', 'width': width, 'height': height});
  },

  // The page shows the latest picture it has; it turns the 0x00RRGGBB words into its colours.
  easel_web_present__deps: ['$EaselWeb'],
  easel_web_present: function(pixels, width, height) {
    var words = HEAPU32.slice(pixels >> 2, (pixels >> 2) + width * height);
    EaselWeb.post({'type': 'frame', 'width': width, 'height': height, 'pixels': words.buffer}, [words.buffer]);
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

  easel_web_caption__deps: ['$EaselWeb'],
  easel_web_caption: function(title) {
    EaselWeb.post({'type': 'caption', 'title': UTF8ToString(title)});
  },

  easel_web_download__deps: ['$EaselWeb'],
  easel_web_download: function(name, bytes, length) {
    var copy = HEAPU8.slice(bytes, bytes + length);
    EaselWeb.post({'type': 'download', 'name': UTF8ToString(name), 'bytes': copy.buffer}, [copy.buffer]);
  },
});
