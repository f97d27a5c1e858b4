// Headless Chromium for the browser checks, reaching nothing but the loopback: no background
// services, no name lookups beyond 127.0.0.1. Shared by the page, desktop and playground checks.
'use strict';

const fs = require('fs');
const path = require('path');

const SKIPPED = 77;
const CHROMIUM = '/usr/bin/chromium';
const CHROMIUM_FLAGS = [
  '--disable-background-networking', '--disable-component-update', '--disable-sync', '--no-first-run',
  '--disable-default-apps', '--disable-domain-reliability', '--no-pings', '--disable-breakpad',
  '--disable-client-side-phishing-detection', '--host-resolver-rules=MAP * ~NOTFOUND , EXCLUDE 127.0.0.1',
];

class Failure extends Error {}

function playwrightDir(npmDir) {
  return path.resolve(npmDir, 'node_modules', 'playwright-core');
}

// Why the browser cannot be started, or null when it can.
function missingBrowser(npmDir) {
  if (!fs.existsSync(CHROMIUM)) return 'chromium is not installed';
  if (!fs.existsSync(playwrightDir(npmDir))) return 'playwright-core is not installed (make test-web installs it)';
  return null;
}

function launch(npmDir) {
  const {chromium} = require(playwrightDir(npmDir));
  return chromium.launch({executablePath: CHROMIUM, args: CHROMIUM_FLAGS, timeout: 30000});
}

module.exports = {SKIPPED, Failure, missingBrowser, launch};
