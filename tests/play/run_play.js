#!/usr/bin/env node
// The playground as a class uses it, in headless Chromium against an easel-play of the test's own on
// 127.0.0.1:
//
//   run_play.js --play EASEL_PLAY --npm DIR --example DOCS_GRADING_DIR
//
// A student signs in, types a program and runs it (the canvas shows its square), sees a compile error
// marked on its line, hands in; the teacher grades and sees the student's row. Exit status 0 when it
// passes, 1 when it fails, 77 (skipped) when something is missing.
'use strict';

const {spawn, spawnSync} = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');

const {SKIPPED, Failure, missingBrowser, launch} = require('../support/loopback_chromium.js');


function options(argv) {
  const parsed = {};
  for (let i = 2; i < argv.length; i += 2) parsed[argv[i].slice(2)] = argv[i + 1];
  return parsed;
}

function missing(opts) {
  const browserMissing = missingBrowser(opts.npm);
  if (browserMissing) return browserMissing;
  for (const tool of ['em++', 'bwrap', 'parallel']) {
    if (spawnSync('sh', ['-c', `command -v ${tool}`]).status !== 0) return `${tool} is not installed`;
  }
  if (spawnSync('/usr/bin/python3', ['-c', 'import aiohttp']).status !== 0) return 'python3-aiohttp is not installed';
  return null;
}

function freePort() {
  return new Promise((resolve) => {
    const probe = net.createServer().listen(0, '127.0.0.1', () => {
      const {port} = probe.address();
      probe.close(() => resolve(port));
    });
  });
}

// A class of one student, alice, whose tests are the worked example's square script with its picture.
function makeClass(opts, dir) {
  fs.writeFileSync(path.join(dir, 'roster.txt'), 'alice\n');
  fs.mkdirSync(path.join(dir, 'tests'));
  fs.copyFileSync(path.join(opts.example, 'tests', 'square.replay'), path.join(dir, 'tests', 'square.replay'));
  const grade = path.join(path.dirname(opts.play), 'easel-grade');
  const made = spawnSync(grade, ['reference', path.join(opts.example, 'solution'), path.join(dir, 'tests')],
                         {encoding: 'utf8'});
  if (made.status !== 0) throw new Failure(`easel-grade reference failed: ${made.stderr}`);
}

async function startServer(opts, dir) {
  const port = await freePort();
  const server = spawn('/usr/bin/python3', [opts.play, 'serve', dir, '--port', String(port)],
                       {stdio: ['ignore', 'inherit', 'inherit']});
  const base = `http://127.0.0.1:${port}`;
  for (let tries = 0; tries < 100; ++tries) {
    const answer = await fetch(`${base}/play.js`).catch(() => null);
    if (answer && answer.status === 503) return {server, base, unbuilt: true};
    if (answer) return {server, base};
    await new Promise((resolve) => setTimeout(resolve, 100));
  }
  throw new Failure('easel-play did not start');
}

function secretOf(dir, name) {
  const line = fs.readFileSync(path.join(dir, 'secrets.txt'), 'utf8').split('\n').find((l) => l.startsWith(name + '\t'));
  return line.split('\t')[1];
}

async function signIn(browser, base, dir, name) {
  const page = await browser.newPage();
  page.on('pageerror', (error) => console.log(`page error: ${error.message}`));
  await page.goto(base + '/');
  await page.fill('#name', name);
  await page.fill('#secret', secretOf(dir, name));
  await page.click('#signin button');
  return page;
}

async function typeProgram(page, text) {
  await page.click('.cm-content');
  await page.keyboard.press('Control+A');
  await page.keyboard.press('Delete');
  await page.keyboard.insertText(text);
}

async function runProgram(page, expected) {
  await page.click('#run');
  await page.waitForFunction((expected) => document.getElementById('status').textContent.startsWith(expected),
                             expected, {timeout: 120000});
}

async function student(browser, base, dir, opts) {
  const page = await signIn(browser, base, dir, 'alice');
  await page.waitForSelector('.cm-editor .cm-lineNumbers');
  const solution = fs.readFileSync(path.join(opts.example, 'solution', 'main.cpp'), 'utf8');
  await typeProgram(page, solution);
  await runProgram(page, 'Running');
  const frame = await (await page.$('#program')).contentFrame();
  await frame.waitForURL(/\/runs\/[0-9a-f]+\/program\.html$/);
  // The program runs in the page's worker: idle() answers once it waits for input, its picture shown.
  await frame.waitForFunction(() => window.easel && window.easel.idle, null, {timeout: 30000});
  await frame.evaluate(() => window.easel.idle());
  const pixel = await frame.evaluate(() => [...document.getElementById('canvas').getContext('2d')
      .getImageData(95, 95, 1, 1).data.slice(0, 3)]);
  if (pixel.join() !== '255,0,0') throw new Failure(`the canvas shows ${pixel} inside the square, not red`);

  await typeProgram(page, '#include "graphics.hpp"\nint main() {\n    int x = ;\n}\n');
  await runProgram(page, 'It does not compile');
  const marked = await page.evaluate(() => [...document.querySelectorAll('.cm-line')]
      .map((line, i) => (line.querySelector('.cm-lintRange-error') ? i + 1 : 0)).filter((n) => n));
  if (marked.join() !== '3') throw new Failure(`errors marked on lines [${marked}], expected [3]`);

  await typeProgram(page, solution);
  await page.click('#hand-in');
  await page.waitForFunction(() => document.getElementById('status').textContent.startsWith('Handed in'));
  if (!fs.existsSync(path.join(dir, 'submissions', 'alice', 'main.cpp'))) throw new Failure('nothing was handed in');
}

async function teacher(browser, base, dir) {
  const page = await signIn(browser, base, dir, 'teacher');
  await page.waitForSelector('#students tbody tr');
  await page.click('#grade');
  await page.waitForSelector('#grades:not([hidden]) tbody tr', {timeout: 180000});
  const rows = await page.evaluate(() => [...document.querySelectorAll('#grades tbody tr')]
      .map((row) => [...row.cells].map((cell) => cell.textContent)));
  if (JSON.stringify(rows) !== JSON.stringify([['alice', 'passed']])) {
    throw new Failure(`the teacher's grades show ${JSON.stringify(rows)}`);
  }
}

async function main() {
  const opts = options(process.argv);
  const absent = missing(opts);
  if (absent) {
    console.log(`SKIPPED: playground: ${absent}; make test-web installs what it needs`);
    return SKIPPED;
  }
  const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'easel-play-test-'));
  let server = null;
  let browser = null;
  try {
    makeClass(opts, dir);
    const started = await startServer(opts, dir);
    server = started.server;
    if (started.unbuilt) {
      console.log('SKIPPED: playground: its page was not built; make test-web builds it');
      return SKIPPED;
    }
    browser = await launch(opts.npm);
    await student(browser, started.base, dir, opts);
    await teacher(browser, started.base, dir);
    console.log('ok    playground');
    return 0;
  } catch (error) {
    if (!(error instanceof Failure)) throw error;
    console.log(`FAIL  playground: ${error.message}`);
    return 1;
  } finally {
    if (browser) await browser.close();
    if (server) server.kill();
    spawnSync('rm', ['-rf', dir]);
  }
}

main().then((status) => process.exit(status), (error) => {
  console.log(`FAIL: ${error.stack || error}`);
  process.exit(1);
});
