/*
 * The web page in a real browser: Debian's Chromium, driven by
 * playwright-core. The page is served from the build folder (DOORLOCK_WEB_DIR,
 * default ../../build-web) on 127.0.0.1. A person's session is played
 * through both input paths, the physical keyboard and the on-screen
 * buttons, and both halves of the page are checked: the console must hold
 * the program's trace lines and panels in order, byte for byte, and the
 * drawing must follow the lock's levels.
 */
'use strict';

const assert = require('node:assert/strict');
const fs = require('node:fs');
const path = require('node:path');
const { after, before, test } = require('node:test');
const { chromium } = require('playwright-core');
const { startStaticServer } = require('./static-server');

const WEB_DIR = path.resolve(process.env.DOORLOCK_WEB_DIR || path.join(__dirname, '..', '..', 'build-web'));
const CHROMIUM = process.env.DOORLOCK_CHROMIUM || '/usr/bin/chromium';
const SCREENSHOT = process.env.DOORLOCK_SCREENSHOT || path.join(WEB_DIR, 'screenshot.png');
const AUTO_LOCK_MS = 3000;

/* One status panel, as the program writes it (UTF-8, tabs and trailing spaces included). */
function panel(levels) {
  const l = Object.assign({
    cover: '열림', door: '열림', passwordState: 'STATE_PW_SET', lockState: 'STATE_LOCK_OPEN',
    password: '-1-1-1-1', backlight: true, device: '열림', alarm1: false,
  }, levels);
  const onOff = (on) => (on ? '켜짐' : '꺼짐');
  return '-----------------------------------------------------\n' +
    '키센서 = 평소\t\t커버 = ' + l.cover + '\n' +
    '잠금버튼 = 평소 \t문 = ' + l.door + '\n' +
    l.passwordState + '\t' + l.lockState + '\t 비밀번호' + l.password + '\n' +
    ' output\n' +
    (l.backlight ? '백라이트 = 켜짐\t' : '백라이트 = 꺼짐 \t') + '잠금장치 = ' + l.device + ' \n' +
    'alarm1 = ' + onOff(l.alarm1) + ' \talarm2 = 꺼짐 \talarm3 = 꺼짐 \n';
}

const SET = 'KVRNPassword setPassword()\n';
const COMPARE = 'KVRNPassword comparePassword()\nKVRNAlarm alarm1(ENABLE)\nKVRNBacklight backlightManager()\n';
const OPEN_BY_PASSWORD = 'KVRNLock handLock()\nKVRNLock lockManager()\n';
const AUTO_LOCK = 'KVRNLock autoLock()\nKVRNLock lockManager()\n';

let server;
let browser;
let page;
const pageErrors = [];

async function consoleText() {
  return page.evaluate(() => document.getElementById('console').textContent);
}

/* Waits until the console holds `fragment` at or after `from`; gives the index just after it. */
async function waitForConsole(fragment, from, timeout = 10000) {
  try {
    const handle = await page.waitForFunction(
      ([wanted, start]) => {
        const at = document.getElementById('console').textContent.indexOf(wanted, start);
        return at >= 0 ? at + wanted.length : false;
      },
      [fragment, from],
      { timeout, polling: 50 });
    return await handle.jsonValue();
  } catch (error) {
    const text = await consoleText();
    assert.fail('the console never showed, after byte ' + from + ':\n' + fragment +
      '\n--- the console ends with:\n' + text.slice(-1500));
  }
}

/* The bolt as drawn: thrown when it stands out of the door leaf's edge into the strike. */
async function drawnBolt() {
  return page.evaluate(() => {
    const bolt = document.getElementById('bolt').getBoundingClientRect();
    const leaf = document.getElementById('door-leaf').getBoundingClientRect();
    const stateOf = document.getElementById('device').dataset.bolt;
    const out = bolt.right - leaf.right;
    return { state: stateOf, out: out };
  });
}

async function waitForBolt(wanted, timeout = 10000) {
  await page.waitForFunction((state) => {
    const bolt = document.getElementById('bolt').getBoundingClientRect();
    const leaf = document.getElementById('door-leaf').getBoundingClientRect();
    const out = bolt.right - leaf.right;
    const drawnAs = out > 10 ? 'thrown' : out <= 1 ? 'drawn' : 'moving';
    return document.getElementById('device').dataset.bolt === state && drawnAs === state;
  }, wanted, { timeout, polling: 50 }).catch(async () => {
    assert.fail('the drawing never showed the bolt ' + wanted + ': ' + JSON.stringify(await drawnBolt()));
  });
}

async function deviceState(name) {
  return page.evaluate((key) => document.getElementById('device').dataset[key], name);
}

async function waitForPasses(count) {
  const start = Number(await deviceState('passes'));
  await page.waitForFunction((wanted) => Number(document.getElementById('device').dataset.passes) >= wanted,
    start + count, { timeout: 10000, polling: 50 });
}

before(async () => {
  assert.ok(fs.existsSync(path.join(WEB_DIR, 'doorlock.wasm')),
    'no built page in ' + WEB_DIR + ': run web/build.sh first');
  server = await startStaticServer(WEB_DIR);
  /* Playwright starts the browser with a fresh, empty profile of its own. */
  browser = await chromium.launch({
    executablePath: CHROMIUM,
    headless: true,
    timeout: 60000,
    args: [
      '--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
      '--disable-background-networking', '--disable-component-update', '--disable-sync',
    ],
  });
  page = await browser.newPage({ viewport: { width: 1280, height: 760 } });
  page.on('pageerror', (error) => pageErrors.push('page error: ' + error.message));
  page.on('response', (response) => {
    if (response.status() >= 400) {
      pageErrors.push('HTTP ' + response.status() + ' for ' + response.url());
    }
  });
  page.on('console', (message) => {
    if (message.type() === 'error') {
      pageErrors.push('console error: ' + message.text());
    }
  });
  await page.goto(server.url, { waitUntil: 'load' });
});

after(async () => {
  if (browser) {
    await browser.close();
  }
  if (server) {
    await server.close();
  }
});

test('a session at the door: password set, auto-lock, correct entry, auto-lock again', async (t) => {
  let at = 0;

  await t.test('the page starts the program: its trace line, then the start-up panel, byte for byte', async () => {
    at = await waitForConsole('KVRNMain init()\n' + panel({ passwordState: 'STATE_PW_UNSET' }), 0);
    assert.equal((await consoleText()).indexOf('KVRNMain init()'), 0);
    assert.equal(await deviceState('bolt'), 'drawn');
    assert.equal(await deviceState('door'), 'open');
    assert.equal(await deviceState('cover'), 'open');
    assert.equal(await deviceState('backlight'), 'lit');
  });

  await t.test('digits of the numeric keypad are not the lock\'s keypad', async () => {
    const before = (await consoleText()).length;
    await page.keyboard.press('Numpad4');
    await waitForPasses(3);
    assert.equal((await consoleText()).length, before);
  });

  await t.test('four digits typed on the keyboard set the password', async () => {
    const stored = ['4-1-1-1', '40-1-1', '409-1'];
    const keys = ['Digit4', 'Digit0', 'Digit9'];
    for (let i = 0; i < keys.length; i++) {
      await page.keyboard.press(keys[i]);
      at = await waitForConsole(SET + panel({ passwordState: 'STATE_PW_SET_' + (i + 1), password: stored[i] }), at);
    }
    await page.keyboard.press('Digit6');
    at = await waitForConsole(SET + panel({ password: '4096', backlight: false }), at);
    assert.equal(await deviceState('backlight'), 'dark');
  });

  await t.test('shutting the door (right arrow) lets the auto-lock throw the bolt', async () => {
    await page.keyboard.press('ArrowRight');
    at = await waitForConsole(panel({ door: '닫힘', password: '4096', backlight: false }), at);
    assert.equal(await deviceState('door'), 'closed');
    at = await waitForConsole(AUTO_LOCK + panel({
      door: '닫힘', lockState: 'STATE_LOCK_CLOSE', password: '4096', backlight: false, device: '닫힘',
    }), at, AUTO_LOCK_MS + 5000);
    await waitForBolt('thrown');
  });

  let openedAt = 0;
  await t.test('the password entered on the on-screen buttons draws the bolt', async () => {
    const digits = ['4', '0', '9', '6'];
    for (let i = 0; i < 3; i++) {
      await page.click('#keys button:text-is("' + digits[i] + '")');
      at = await waitForConsole(COMPARE + panel({
        door: '닫힘', passwordState: 'STATE_PW_INPUT_' + (i + 1), lockState: 'STATE_LOCK_CLOSE',
        password: '4096', device: '닫힘', alarm1: true,
      }), at);
      if (i === 0) {
        assert.equal(await deviceState('alarm1'), 'on');
        assert.equal(await deviceState('backlight'), 'lit');
      }
    }
    await page.click('#keys button:text-is("6")');
    at = await waitForConsole(COMPARE + OPEN_BY_PASSWORD + panel({
      door: '닫힘', password: '4096', alarm1: true,
    }), at);
    await waitForBolt('drawn');
    openedAt = Date.now();
    /* The picture for the documentation: lock open, key tone lit, keypad lit. */
    await page.waitForTimeout(300);
    await page.screenshot({ path: SCREENSHOT });
  });

  await t.test('3 s later the auto-lock throws the bolt again', async () => {
    at = await waitForConsole(AUTO_LOCK + panel({
      door: '닫힘', lockState: 'STATE_LOCK_CLOSE', password: '4096', backlight: false, device: '닫힘',
    }), at, AUTO_LOCK_MS + 5000);
    await waitForBolt('thrown');
    const waited = Date.now() - openedAt;
    assert.ok(waited >= AUTO_LOCK_MS - 250 && waited < AUTO_LOCK_MS + 3000,
      'the bolt was thrown again ' + waited + ' ms after it was drawn');
    assert.equal(await deviceState('backlight'), 'dark');
    assert.equal(await deviceState('alarm1'), 'off');
  });

  await t.test('the page reported no errors', () => {
    assert.deepEqual(pageErrors, []);
  });
});
