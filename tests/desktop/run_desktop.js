#!/usr/bin/env node
// The desktop in the browser, checked without a container: tools/desktop.sh starts its services on
// ports of this run, a program opens its window there, and headless Chromium loads noVNC's page and
// must show the program's picture. x11vnc sends noVNC's page JPEG-compressed rectangles, so each
// channel may be off by up to TOLERANCE (32 at most was seen); the checkerboard's squares differ by 250, so a picture
// that is missing, shifted by a pixel or scaled still fails.
//
//   run_desktop.js --desktop tools/desktop.sh --program BIN --picture PNG --npm DIR
//
// Exit status 0 when the check passes, 1 when it fails, 77 (skipped) when something is missing.
'use strict';

const {spawn, spawnSync} = require('child_process');
const fs = require('fs');
const net = require('net');
const path = require('path');

const {SKIPPED, Failure, missingBrowser, launch} = require('../support/loopback_chromium.js');
// The programs the check runs, with the Debian packages that bring them.
const TOOLS = {Xvfb: 'xvfb', openbox: 'openbox', x11vnc: 'x11vnc', websockify: 'websockify', xdotool: 'xdotool',
               xwininfo: 'x11-utils', xdpyinfo: 'x11-utils', python3: 'python3'};
const NOVNC_PAGE = '/usr/share/novnc/vnc.html';
const TIMEOUT_MS = 20000;
const LOOPBACK = '0100007F';
const TOLERANCE = 64;


function options(argv) {
  const parsed = {};
  for (let i = 2; i + 1 < argv.length; i += 2) parsed[argv[i].slice(2)] = argv[i + 1];
  return parsed;
}

function missingPrerequisite(opts) {
  const absent = Object.keys(TOOLS).filter((tool) => spawnSync('sh', ['-c', `command -v ${tool}`]).status !== 0);
  if (absent.length) return `${absent.join(', ')} missing (Debian: ${[...new Set(absent.map((t) => TOOLS[t]))].join(' ')})`;
  if (!fs.existsSync(NOVNC_PAGE)) return 'noVNC is missing (Debian: novnc)';
  const browserMissing = missingBrowser(opts.npm);
  if (browserMissing) return browserMissing;
  if (!fs.existsSync(opts.program)) return `${opts.program} was not built`;
  return null;
}

async function until(what, probe, timeout = TIMEOUT_MS) {
  const deadline = Date.now() + timeout;
  let last = '';
  for (;;) {
    try {
      const result = await probe();
      if (result !== undefined) return result;
    } catch (error) {
      if (!(error instanceof Failure)) throw error;
      last = error.message;
    }
    if (Date.now() > deadline) throw new Failure(`gave up waiting for ${what}${last ? `: ${last}` : ''}`);
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
}

function freePort() {
  return new Promise((resolve) => {
    const server = net.createServer().listen(0, '127.0.0.1', () => {
      const {port} = server.address();
      server.close(() => resolve(port));
    });
  });
}

// The desktop script's output so far, and its display once it says it is ready.
function startDesktop(opts, webPort, vncPort) {
  const desktop = spawn('sh', [opts.desktop, '--web-port', webPort, '--vnc-port', vncPort, '--size', '800x600'],
                        {stdio: ['ignore', 'pipe', 'pipe']});
  desktop.output = '';
  desktop.stdout.on('data', (data) => { desktop.output += data; });
  desktop.stderr.on('data', (data) => { desktop.output += data; });
  desktop.ready = until('the desktop to start', () => {
    if (desktop.exitCode !== null) throw new Error(`desktop.sh exited: ${desktop.output}`);
    const display = /^DISPLAY=(:\d+)$/m.exec(desktop.output);
    return display && desktop.output.includes('The desktop is at') ? display[1] : undefined;
  });
  return desktop;
}

// Every listening TCP socket on the given ports must be bound to 127.0.0.1, and each port must have one.
function expectLoopbackOnly(ports) {
  const listening = [];
  for (const table of ['/proc/net/tcp', '/proc/net/tcp6']) {
    for (const line of fs.readFileSync(table, 'utf8').split('\n').slice(1)) {
      const fields = line.trim().split(/\s+/);
      if (fields[3] !== '0A') continue;
      const [address, port] = fields[1].split(':');
      if (ports.includes(parseInt(port, 16))) listening.push({address, port: parseInt(port, 16)});
    }
  }
  const open = listening.filter((socket) => socket.address !== LOOPBACK);
  if (open.length) throw new Failure(`ports listen beyond 127.0.0.1: ${open.map((s) => `${s.address}:${s.port}`)}`);
  for (const port of ports.slice(0, 2)) {
    if (!listening.some((socket) => socket.port === port)) throw new Failure(`nothing listens on port ${port}`);
  }
}

function x(display, ...command) {
  const result = spawnSync(command[0], command.slice(1), {env: {...process.env, DISPLAY: display}, encoding: 'utf8'});
  if (result.status !== 0) throw new Failure(`${command.join(' ')}: ${result.stderr}`);
  return result.stdout;
}

// Where the program's window stands on the screen, once it is mapped at 200 x 200.
function windowPlace(display, pid) {
  const windows = x(display, 'xdotool', 'search', '--onlyvisible', '--pid', String(pid)).split(/\s+/).filter(Boolean);
  for (const id of windows) {
    const info = x(display, 'xwininfo', '-id', id);
    const field = (name) => Number(new RegExp(`${name}:\\s+(-?\\d+)`).exec(info)[1]);
    if (field('Width') === 200 && field('Height') === 200) {
      return {left: field('Absolute upper-left X'), top: field('Absolute upper-left Y'), width: 200, height: 200};
    }
  }
  throw new Failure(`no 200 x 200 window among ${windows.length} visible`);
}

// How the part of noVNC's canvas at place differs from the picture: the largest channel difference,
// and a message when some pixel is off by more than the tolerance.
function compareShown(page, pictureUrl, place) {
  return page.evaluate(async ({pictureUrl, place, tolerance}) => {
    const canvas = document.querySelector('#noVNC_container canvas');
    if (!canvas || canvas.width < place.left + place.width) return {problem: 'the page shows no desktop yet'};
    const shown = canvas.getContext('2d').getImageData(place.left, place.top, place.width, place.height).data;
    const bitmap = await createImageBitmap(await (await fetch(pictureUrl)).blob(),
        {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    const scratch = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    scratch.drawImage(bitmap, 0, 0);
    const expected = scratch.getImageData(0, 0, bitmap.width, bitmap.height).data;
    let differing = 0;
    let first = '';
    let largest = 0;
    for (let i = 0; i < expected.length; i += 4) {
      const off = Math.max(...[0, 1, 2].map((c) => Math.abs(shown[i + c] - expected[i + c])));
      largest = Math.max(largest, off);
      if (off > tolerance && !differing++) first = `(${(i / 4) % place.width}, ${Math.floor(i / 4 / place.width)})`;
    }
    return {largest, problem: differing ? `${differing} pixel(s) differ by more than ${tolerance}, the first at ${first}`
                                        : null};
  }, {pictureUrl, place, tolerance: TOLERANCE});
}

async function check(opts) {
  const [webPort, vncPort] = [await freePort(), await freePort()];
  const desktop = startDesktop(opts, webPort, vncPort);
  let program = null;
  let browser = null;
  try {
    const display = await desktop.ready;
    expectLoopbackOnly([webPort, vncPort, 6000 + Number(display.slice(1))]);
    program = spawn(opts.program, [], {env: {...process.env, DISPLAY: display, SDL_VIDEODRIVER: 'x11'},
                                       stdio: 'ignore'});
    const place = await until('the program\'s window', () => windowPlace(display, program.pid));
    x(display, 'xdotool', 'mousemove', '0', '0');
    browser = await launch(opts.npm);
    const page = await browser.newPage({viewport: {width: 1000, height: 800}});
    // The front page, as an editor opens the forwarded port.
    await page.goto(`http://127.0.0.1:${webPort}/`);
    await page.waitForURL(/vnc\.html/);
    const picture = `data:image/png;base64,${fs.readFileSync(opts.picture).toString('base64')}`;
    return await until('the page to show the program\'s picture', async () => {
      const {largest, problem} = await compareShown(page, picture, place);
      if (problem) throw new Failure(problem);
      return largest;
    });
  } finally {
    if (browser) await browser.close();
    if (program) program.kill();
    desktop.kill('SIGTERM');
    await new Promise((resolve) => (desktop.exitCode !== null ? resolve() : desktop.on('exit', resolve)));
  }
}

async function main() {
  const opts = options(process.argv);
  const missing = missingPrerequisite(opts);
  if (missing) {
    console.log(`SKIPPED: desktop in the browser: ${missing}`);
    return SKIPPED;
  }
  try {
    const largest = await check(opts);
    console.log(`ok    desktop in the browser shows the program's window (channels off by ${largest} at most)`);
    return 0;
  } catch (error) {
    if (!(error instanceof Failure)) throw error;
    console.log(`FAIL  desktop in the browser: ${error.message}`);
    return 1;
  }
}

main().then((status) => process.exit(status), (error) => {
  console.log(`FAIL: ${error.stack || error}`);
  process.exit(1);
});
