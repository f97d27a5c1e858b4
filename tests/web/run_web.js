#!/usr/bin/env node
// Browser checks of the pages that the browser build made, in headless Chromium on a server of our
// own on 127.0.0.1, with real input events:
//
//   run_web.js --site DIR --test-pages DIR --npm DIR --programs DIR --expected DIR
//              --replay-bin DIR CHECK
//
// CHECK is a program's name: its page gets the input of DIR/<name>/demo.replay on a manual clock,
// and every snap or expect of the script compares the canvas with the picture of that name in the
// expected folder. Where the folder lacks one (a program without a gallery picture), easel-replay
// from the replay-bin folder makes them all from the same script with the desktop program.
// CHECK `input` drives the probe page and compares the event records it prints.
// CHECK `held_input` holds keys and a button down in the probe page and reads what it reports held.
// CHECK `rules` drives the rules page (web_rules.cpp): the event backlog, a close ahead of waiting
// input, ticks after a busy second, reopened windows, a copy of gout, refused saves.
// CHECK `endless_loop` puts the rules page's program in a loop that never reads events: the page
// must answer, say so within a few seconds, and end the program when Close is pressed.
// CHECK `grade_report` grades the worked example of --example DIR with --grade EASEL_GRADE and opens
// the report as a teacher would: every picture of index.html loads and is labelled, the table sorts by
// score, and the page asks for nothing but its own files.
// Exit status 0 when the check passes, 1 when it fails, 77 (skipped) when something is missing.
'use strict';

const {spawnSync} = require('child_process');
const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');

const {SKIPPED, Failure, missingBrowser, launch} = require('../support/loopback_chromium.js');
const HOW_TO_GET = 'run `make test-web` to install emscripten, chromium and playwright-core and run them';


function options(argv) {
  const parsed = {};
  for (let i = 2; i < argv.length; ++i) {
    if (argv[i].startsWith('--')) parsed[argv[i].slice(2)] = argv[++i];
    else parsed.check = argv[i];
  }
  return parsed;
}

function onPath(program) {
  return spawnSync('sh', ['-c', `command -v ${program}`]).status === 0;
}

function missingPrerequisite(opts, page) {
  const browserMissing = missingBrowser(opts.npm);
  if (browserMissing) return browserMissing;
  if (opts.check === 'grade_report') {
    const absent = ['bwrap', 'parallel'].find((program) => !onPath(program));
    if (absent) return `${absent} is not installed (make test installs it)`;
  }
  if (!fs.existsSync(page)) return `${page} was not built`;
  return null;
}

// Serves each folder under its own prefix, on 127.0.0.1 only.
function serve(mounts) {
  const types = {'.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png'};
  const server = http.createServer((request, response) => {
    const url = decodeURIComponent(new URL(request.url, 'http://127.0.0.1').pathname);
    const mount = Object.keys(mounts).find((prefix) => url.startsWith(prefix));
    const file = mount && path.join(mounts[mount], path.normalize(url.slice(mount.length)));
    if (!file || !file.startsWith(mounts[mount]) || !fs.existsSync(file) || fs.statSync(file).isDirectory()) {
      response.writeHead(404).end();
      return;
    }
    response.writeHead(200, {'Content-Type': types[path.extname(file)] || 'application/octet-stream'});
    fs.createReadStream(file).pipe(response);
  });
  return new Promise((resolve) => server.listen(0, '127.0.0.1', () => resolve(server)));
}

// A replay script's commands as easel-replay reads them, which also checks the script.
function scriptCommands(opts, file) {
  const listed = spawnSync(path.resolve(opts['replay-bin'], 'easel-replay'), ['--words', file], {encoding: 'utf8'});
  if (listed.status !== 0) throw new Failure(`${file}: ${listed.stderr || listed.error}`);
  return listed.stdout.split('\n').filter((line) => line).map((line) => {
    const {line: number, words} = JSON.parse(line);
    return {line: number, name: words[0], args: words.slice(1)};
  });
}

const BUTTONS = {left: 'left', middle: 'middle', right: 'right', 1: 'left', 2: 'middle', 3: 'right'};
const WHEEL = {wheelup: -100, wheeldown: 100, 4: -100, 5: 100};
// Each script key name (lower case) to the name by which the keyboard presses it, from the library's
// key table: the key's KeyboardEvent code where the table gives one, else its key.
const KEYS = (() => {
  const table = fs.readFileSync(path.join(__dirname, '..', '..', 'libgraphics', 'keys.def'), 'utf8');
  const keys = {};
  const bySymbol = {};
  for (const [, name, symbol, rest] of table.matchAll(/^EASEL_(?:CHAR|SPECIAL)_KEY\("([^"]+)", (\w+), (.*)\)$/gm)) {
    const [, domKey, domCode] = /"([^"]*)", "([^"]*)"$/.exec(rest);
    keys[name.toLowerCase()] = bySymbol[symbol] = domCode || domKey;
  }
  for (const [, name, symbol] of table.matchAll(/^EASEL_KEY_ALIAS\("([^"]+)", (\w+)\)$/gm)) {
    keys[name.toLowerCase()] = bySymbol[symbol];
  }
  return keys;
})();

// A named key through the keyboard; a character as a keyboard whose layout has it would send it.
async function pressKey(page, name) {
  if ([...name].length === 1) {
    const cdp = await page.context().newCDPSession(page);
    await cdp.send('Input.dispatchKeyEvent', {type: 'keyDown', key: name, text: name, unmodifiedText: name});
    await cdp.send('Input.dispatchKeyEvent', {type: 'keyUp', key: name});
    await cdp.detach();
    return;
  }
  await page.keyboard.press(KEYS[name.toLowerCase()]);
}

// Where the program's pixels lie on the page; the layout stays put while a check runs.
const placements = new WeakMap();

async function placement(page) {
  if (!placements.has(page)) {
    placements.set(page, await page.evaluate(() => {
      const canvas = document.getElementById('canvas');
      const r = canvas.getBoundingClientRect();
      return {left: r.left, top: r.top, xscale: r.width / canvas.width, yscale: r.height / canvas.height};
    }));
  }
  return placements.get(page);
}

// To the middle of the program's pixel (x, y); outside the canvas for positions outside.
async function mouseAt(page, x, y) {
  const at = await placement(page);
  await page.mouse.move(at.left + (Number(x) + 0.5) * at.xscale, at.top + (Number(y) + 0.5) * at.yscale);
}

// Differences between the canvas and the picture at url, as a message; null when they are equal.
function compareCanvas(page, url) {
  return page.evaluate(async (url) => {
    const canvas = document.getElementById('canvas');
    const shown = canvas.getContext('2d').getImageData(0, 0, canvas.width, canvas.height);
    const response = await fetch(url);
    if (!response.ok) return `${url} is missing`;
    const bitmap = await createImageBitmap(await response.blob(),
        {colorSpaceConversion: 'none', premultiplyAlpha: 'none'});
    if (bitmap.width !== shown.width || bitmap.height !== shown.height) {
      return `the canvas is ${shown.width}x${shown.height}, the picture ${bitmap.width}x${bitmap.height}`;
    }
    const scratch = new OffscreenCanvas(bitmap.width, bitmap.height).getContext('2d');
    scratch.drawImage(bitmap, 0, 0);
    const expected = scratch.getImageData(0, 0, bitmap.width, bitmap.height).data;
    const hex = (d, i) => '0x' + ((d[i] << 16) | (d[i + 1] << 8) | d[i + 2]).toString(16).padStart(6, '0');
    const differing = [];
    for (let i = 0; i < expected.length; i += 4) {
      if (shown.data[i] !== expected[i] || shown.data[i + 1] !== expected[i + 1] ||
          shown.data[i + 2] !== expected[i + 2]) {
        const at = i / 4;
        differing.push(`(${at % shown.width}, ${Math.floor(at / shown.width)}) is ${hex(shown.data, i)}, ` +
                       `expected ${hex(expected, i)}`);
      }
    }
    return differing.length ? `${differing.length} pixel(s) differ: ${differing.slice(0, 5).join('; ')}` : null;
  }, url);
}

async function openPage(browser, url) {
  const page = await browser.newPage({deviceScaleFactor: 2, viewport: {width: 1000, height: 800}});
  const problems = [];
  page.on('pageerror', (error) => problems.push(error.message));
  await page.goto(url);
  await page.waitForFunction(() => window.easel && document.getElementById('canvas').width > 0);
  await page.evaluate(() => window.easel.idle());
  // Whole program pixels on whole device pixels.
  const sharp = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    return canvas.getBoundingClientRect().width * devicePixelRatio === canvas.width * 2 &&
        getComputedStyle(canvas).imageRendering === 'pixelated';
  });
  if (!sharp) throw new Failure('the canvas is not scaled by 2 with pixelated rendering on a screen of density 2');
  return {page, problems};
}

async function closeProgram(page) {
  await page.click('#close');
  await page.waitForFunction(() => window.easel.exitStatus !== null);
  const status = await page.evaluate(() => window.easel.exitStatus);
  if (status !== 0) throw new Failure(`the program ended with status ${status} after the page was closed`);
}

// A folder of this run's own, removed when the run ends.
function scratchFolder(name) {
  const made = fs.mkdtempSync(path.join(os.tmpdir(), `easel-web-${name}-`));
  process.on('exit', () => fs.rmSync(made, {recursive: true, force: true}));
  return made;
}

// The folder of the script's pictures: the given one if it has them all, else one that easel-replay
// filled by running the desktop program on the script.
function expectedPictures(opts, name, commands) {
  const pictures = commands.filter((c) => c.name === 'snap' || c.name === 'expect').map((c) => c.args[0]);
  if (pictures.every((picture) => fs.existsSync(path.join(opts.expected, picture)))) return opts.expected;
  const made = scratchFolder(name);
  const script = path.resolve(opts.programs, name, 'demo.replay');
  const run = spawnSync(path.resolve(opts['replay-bin'], 'easel-replay'),
                        [script, '--', path.resolve(opts['replay-bin'], name)], {cwd: made, encoding: 'utf8'});
  if (run.status !== 0) throw new Failure(`easel-replay could not make the pictures: ${run.stderr || run.error}`);
  return made;
}

async function replay(browser, base, script) {
  const {page, problems} = await openPage(browser, `${base}/site/${script.name}.html?clock=manual`);
  const failures = [];
  for (const {line, name, args} of script.commands) {
    const where = `${script.file}:${line}`;
    if (name === 'move') {
      await mouseAt(page, args[0], args[1]);
    } else if (['press', 'release', 'click'].includes(name)) {
      await mouseAt(page, args[1], args[2]);
      const button = args[0].toLowerCase();
      if (button in WHEEL) {
        if (name !== 'release') await page.mouse.wheel(0, WHEEL[button]);
      } else {
        if (name !== 'release') await page.mouse.down({button: BUTTONS[button]});
        if (name !== 'press') await page.mouse.up({button: BUTTONS[button]});
      }
    } else if (name === 'key') {
      await pressKey(page, args[0]);
    } else if (name === 'type') {
      for (const character of args[0]) await pressKey(page, character);
    } else if (name === 'wait') {
      await page.evaluate((ms) => window.easel.advance(ms), Number(args[0]));
    } else if (name === 'snap' || name === 'expect') {
      const difference = await compareCanvas(page, `${base}/expected/${args[0]}`);
      if (difference) failures.push(`${where}: ${name} ${args[0]}: ${difference}`);
    } else if (name === 'close') {
      break;
    }
    await page.evaluate(() => window.easel.idle());
  }
  await closeProgram(page);
  if (problems.length) failures.push(`errors on the page: ${problems.join('; ')}`);
  if (failures.length) throw new Failure(failures.join('\n'));
}

async function printed(page) {
  await page.evaluate(() => window.easel.idle());
  return page.evaluate(() => document.getElementById('output').textContent.split('\n').filter((l) => l));
}

// Every kind of input the library turns into an event record, and a save.
async function inputCheck(browser, base) {
  const {page} = await openPage(browser, `${base}/test-pages/web_probe.html?clock=manual`);
  await mouseAt(page, 10, 20);
  await mouseAt(page, 30, 40);
  await page.mouse.down({button: 'right'});
  await page.mouse.up({button: 'right'});
  await page.mouse.wheel(0, -100);
  await page.mouse.wheel(0, 100);
  await mouseAt(page, 190, 50);
  await page.mouse.down();
  await mouseAt(page, 230, -20);
  await page.mouse.up();
  for (const key of ['Up', 'a', 'ő', 'Escape', 'LShift', 't']) await pressKey(page, key);
  await page.evaluate(() => window.easel.advance(100));
  const expected = [
    '0 10 20 0 0 2', '0 30 40 0 0 2', '0 30 40 3 0 2', '0 30 40 -3 0 2', '0 30 40 4 0 2', '0 30 40 -4 0 2',
    '0 30 40 5 0 2', '0 30 40 -5 0 2', '0 190 50 0 0 2', '0 190 50 1 0 2', '0 199 0 0 0 2', '0 199 0 -1 0 2',
    '65536 0 0 0 0 1', '-65536 0 0 0 0 1', '97 0 0 0 0 1', '245 0 0 0 0 1', '27 0 0 0 0 1',
    '65546 0 0 0 0 1', '-65546 0 0 0 0 1', '116 0 0 0 0 1',
    // timer(25) ticks every 30 ms, as on the desktop.
    '0 0 0 0 30 3', '0 0 0 0 60 3', '0 0 0 0 90 3',
  ];
  const lines = await printed(page);
  const wrong = expected.findIndex((line, i) => lines[i] !== line);
  if (wrong >= 0 || lines.length !== expected.length) {
    throw new Failure(`event records differ at record ${wrong + 1}:\n  got      ${lines.join(' | ')}\n` +
                      `  expected ${expected.join(' | ')}`);
  }
  const [download] = await Promise.all([page.waitForEvent('download'), pressKey(page, 's')]);
  if (download.suggestedFilename() !== 'probe.bmp') {
    throw new Failure(`save offered ${download.suggestedFilename()}, not probe.bmp`);
  }
  const bmp = fs.readFileSync(await download.path()).toString('base64');
  const difference = await compareCanvas(page, `data:image/bmp;base64,${bmp}`);
  if (difference) throw new Failure(`the saved BMP is not the screen: ${difference}`);
  await closeProgram(page);
}

// Each step and what the probe must report held on the tick after it ('held' for nothing); a's
// release, which the event stream swallows, must end its hold all the same.
const HOLD_SCRIPT = [
  [(page) => page.keyboard.down(KEYS.right), 'held right'], [(page) => page.keyboard.down('a'), 'held right a'],
  [(page) => page.keyboard.up(KEYS.right), 'held a'], [(page) => page.keyboard.up('a'), 'held'],
  [(page) => page.mouse.down(), 'held left-button'], [(page) => page.mouse.up(), 'held'],
];

async function heldCheck(browser, base) {
  const {page} = await openPage(browser, `${base}/test-pages/web_probe.html?clock=manual`);
  await mouseAt(page, 100, 50);
  await pressKey(page, 't');
  for (const [step, expected] of HOLD_SCRIPT) {
    await step(page);
    await page.evaluate(() => window.easel.idle());
    await page.evaluate(() => window.easel.advance(30));
    const lines = await printed(page);
    const last = lines[lines.length - 1];
    const report = last.startsWith('held') ? last : 'held';
    const tick = lines[lines.length - (last.startsWith('held') ? 2 : 1)];
    if (!tick.endsWith(' 3') || report !== expected) {
      throw new Failure(`after a step the probe printed, last, ${lines.slice(-3).join(' | ')}; expected a tick ` +
                        `and ${expected === 'held' ? 'nothing held' : `"${expected}"`}`);
    }
  }
  await closeProgram(page);
}

// Presses key and waits (up to seconds) for the page to print a line starting with prefix.
async function answer(page, key, prefix, seconds = 10) {
  await pressKey(page, key);
  const line = await page.waitForFunction((prefix) => document.getElementById('output').textContent.split('\n')
    .find((l) => l.startsWith(prefix)), prefix, {timeout: seconds * 1000}).catch(() => null);
  if (!line) throw new Failure(`the key ${key} printed no "${prefix}" line within ${seconds} s`);
  await page.evaluate(() => { document.getElementById('output').textContent = ''; });
  return line.jsonValue();
}

// Input that reaches the page within one turn of its event loop.
function motionsAtOnce(page, count, thenClose) {
  return page.evaluate(([count, thenClose]) => {
    const canvas = document.getElementById('canvas');
    const r = canvas.getBoundingClientRect();
    for (let i = 0; i < count; ++i) {
      canvas.dispatchEvent(new MouseEvent('mousemove', {bubbles: true, clientX: r.left + 1 + i % 50, clientY: r.top + 1}));
    }
    if (thenClose) document.getElementById('close').click();
  }, [count, thenClose]);
}

async function rulesCheck(browser, base) {
  const {page} = await openPage(browser, `${base}/test-pages/web_rules.html`);
  const failures = [];
  const expect = (got, wanted, what) => { if (got !== wanted) failures.push(`${what}: got "${got}", expected "${wanted}"`); };
  await motionsAtOnce(page, 20000, false);
  expect(await answer(page, 'm', 'motions'), 'motions 16384', 'input waiting at once is kept up to 16,384 events');
  await pressKey(page, 't');
  const ticks = await answer(page, 'b', 'ticks');
  if (!(Number(ticks.split(' ')[1]) <= 120)) failures.push(`timer(10) after a busy second: ${ticks} in the next second`);
  expect(await answer(page, 'r', 'reopened', 60), 'reopened 1200', 'reopening the window at 800 x 600');
  await pressKey(page, 'k');
  await page.evaluate(() => window.easel.idle());
  const dot = await page.evaluate(() => {
    const canvas = document.getElementById('canvas');
    const p = canvas.getContext('2d').getImageData(10, 10, 1, 1).data;
    return `${canvas.width}x${canvas.height} ${p[0]},${p[1]},${p[2]}`;
  });
  expect(dot, '100x50 255,0,0', 'a dot through a copy of gout after the window was reopened smaller');
  expect(await answer(page, 'v', 'saves'), 'saves 0 0', 'save("") and save("dir/")');
  await motionsAtOnce(page, 200, true);
  const ended = await page.waitForFunction(() => window.easel.exitStatus !== null, null, {timeout: 5000})
    .then(() => true, () => false);
  const last = await page.evaluate(() => document.getElementById('output').textContent.trim());
  if (!ended || !last.endsWith('closed after 0 motions')) {
    failures.push(`a close behind 200 motions: the program ${ended ? 'ended' : 'did not end'}, printing "${last}"`);
  }
  if (failures.length) throw new Failure(failures.join('\n'));
}

async function endlessLoopCheck(browser, base) {
  const {page} = await openPage(browser, `${base}/test-pages/web_rules.html`);
  await pressKey(page, 'l');
  const asked = Date.now();
  await page.evaluate(() => document.title);
  const answered = Date.now() - asked;
  if (answered > 2000) throw new Failure(`the page took ${answered} ms to answer a script`);
  const noted = await page.waitForFunction(() => /not asked for input/.test(document.getElementById('status').textContent),
                                           null, {timeout: 8000}).then(() => true, () => false);
  if (!noted) throw new Failure('the page did not say that the program has stopped asking for input');
  const closed = Date.now();
  await page.click('#close');
  await page.waitForFunction(() => window.easel.exitStatus !== null, null, {timeout: 3000})
    .catch(() => { throw new Failure('Close did not end the program within 3 s'); });
  const status = await page.evaluate(() => document.getElementById('status').textContent);
  if (!/stopped/.test(status)) throw new Failure(`after Close the page says "${status}"`);
  console.log(`the page answered in ${answered} ms; Close ended the program in ${Date.now() - closed} ms`);
}

// Grades a copy of the worked example into DIR/report; returns that folder.
function gradedReport(opts, dir) {
  const example = path.join(dir, 'example');
  fs.cpSync(opts.example, example, {recursive: true});
  const steps = [['reference', `${example}/solution`, `${example}/tests`],
                 ['run', `${example}/tests`, `${example}/submissions`, `${dir}/report`]];
  for (const step of steps) {
    const graded = spawnSync(opts.grade, ['--timeout', '5', ...step], {encoding: 'utf8'});
    // `run` exits 1 when a submission fails, as some of the example's do.
    if (graded.status !== 0 && !(step[0] === 'run' && graded.status === 1)) {
      throw new Failure(`easel-grade ${step[0]} exited ${graded.status}: ${graded.stdout}${graded.stderr}`);
    }
  }
  return `${dir}/report`;
}

async function reportCheck(browser, base) {
  const page = await browser.newPage();
  const elsewhere = [];
  page.on('request', (request) => { if (!request.url().startsWith(`${base}/`)) elsewhere.push(request.url()); });
  await page.goto(`${base}/report/index.html`, {waitUntil: 'load'});
  // The table sorts by score without a server: ascending on a click, descending on the next.
  const scores = () => page.evaluate(() => [...document.querySelectorAll('#grades tbody tr')]
    .map((row) => Number(row.cells[1].dataset.key)));
  for (const order of [1, -1]) {
    await page.click('#grades thead th:nth-child(2)');
    const sorted = await scores();
    if (sorted.length < 2 || sorted.some((score, i) => i > 0 && order * (score - sorted[i - 1]) < 0)) {
      throw new Failure(`sorting by score gave ${sorted.join(' ')}`);
    }
  }
  const labels = await page.evaluate(() => [...document.querySelectorAll('figcaption')]
    .filter((label) => label.offsetParent !== null).map((label) => label.textContent));
  if (!['expected', 'actual', 'difference'].every((label) => labels.includes(label))) {
    throw new Failure(`the pictures' labels shown: ${[...new Set(labels)].join(' ')}`);
  }
  if (elsewhere.length) throw new Failure(`the report asked for ${elsewhere.join(' ')}`);
  const pictures = await page.evaluate(() => [...document.images].map((image) => ({
    src: image.getAttribute('src'), shown: image.complete && image.naturalWidth > 0})));
  const broken = pictures.filter((picture) => !picture.shown).map((picture) => picture.src);
  if (pictures.length === 0 || broken.length) {
    throw new Failure(`the report shows ${pictures.length} pictures; these do not load: ${broken.join(' ')}`);
  }
}

async function main() {
  const opts = options(process.argv);
  const probe = path.join(opts['test-pages'] || '', 'web_probe.html');
  const rules = path.join(opts['test-pages'] || '', 'web_rules.html');
  const pages = {input: probe, held_input: probe, rules, endless_loop: rules, grade_report: opts.grade};
  const page = pages[opts.check] || path.join(opts.site, `${opts.check}.html`);
  const missing = missingPrerequisite(opts, page);
  if (missing) {
    console.log(`SKIPPED: browser checks: ${missing}; ${HOW_TO_GET}`);
    return SKIPPED;
  }
  const script = {name: opts.check, file: path.join(opts.programs || '', opts.check, 'demo.replay')};
  let expected = opts.expected;
  const mounts = {};
  if (opts.check === 'grade_report') {
    mounts['/report/'] = gradedReport(opts, scratchFolder('report'));
  } else if (!['input', 'held_input', 'rules', 'endless_loop'].includes(opts.check)) {
    script.commands = scriptCommands(opts, script.file);
    expected = expectedPictures(opts, opts.check, script.commands);
  }
  if (opts.check !== 'grade_report') {
    Object.assign(mounts, {'/site/': path.resolve(opts.site), '/test-pages/': path.resolve(opts['test-pages']),
                           '/expected/': path.resolve(expected)});
  }
  const server = await serve(mounts);
  const base = `http://127.0.0.1:${server.address().port}`;
  const browser = await launch(opts.npm);
  try {
    if (opts.check === 'input') {
      await inputCheck(browser, base);
    } else if (opts.check === 'held_input') {
      await heldCheck(browser, base);
    } else if (opts.check === 'rules') {
      await rulesCheck(browser, base);
    } else if (opts.check === 'endless_loop') {
      await endlessLoopCheck(browser, base);
    } else if (opts.check === 'grade_report') {
      await reportCheck(browser, base);
    } else {
      await replay(browser, base, script);
    }
    console.log(`ok    ${opts.check}`);
    return 0;
  } catch (error) {
    if (!(error instanceof Failure)) throw error;
    console.log(`FAIL  ${opts.check}: ${error.message}`);
    return 1;
  } finally {
    await browser.close();
    server.close();
  }
}

main().then((status) => process.exit(status), (error) => {
  console.log(`FAIL: ${error.stack || error}`);
  process.exit(1);
});
