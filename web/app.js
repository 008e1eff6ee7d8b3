/*
 * app.js - the page around the door lock program.
 *
 * It routes keys to the program (physical keyboard, on-screen buttons, the
 * clickable parts of the drawing), shows what the program writes, and
 * redraws the device from the levels the program hands over after every
 * pass. None of the lock's logic lives here: the drawing only mirrors the
 * program's shared variables.
 */
'use strict';

(function () {
  /* Virtual-key codes the program polls. */
  const VK_LEFT = 0x25;
  const VK_UP = 0x26;
  const VK_RIGHT = 0x27;
  const VK_DOWN = 0x28;
  const VK_0 = 0x30;

  /* Physical keys: the digits of the main row (not the numeric keypad) and the arrows. */
  const KEY_BY_CODE = { ArrowLeft: VK_LEFT, ArrowUp: VK_UP, ArrowRight: VK_RIGHT, ArrowDown: VK_DOWN };
  for (let digit = 0; digit < 10; digit++) {
    KEY_BY_CODE['Digit' + digit] = VK_0 + digit;
  }

  /* Levels: in every pair the active or closed level is 0. */
  const ON = 0;
  const OPENED = 1;
  const SENSED = 0;
  const CLICKED = 0;

  const PASSWORD_STATE_FIRST = 16;
  const PASSWORD_STATE_NAMES = [
    'STATE_PW_UNSET', 'STATE_PW_SET', 'STATE_PW_INPUT_1', 'STATE_PW_INPUT_2', 'STATE_PW_INPUT_3',
    'STATE_PW_RIGHT', 'STATE_PW_W_1', 'STATE_PW_W_2', 'STATE_PW_W_3', 'STATE_PW_WRONG',
    'STATE_PW_CANCEL', 'STATE_PW_SET_1', 'STATE_PW_SET_2', 'STATE_PW_SET_3',
  ];
  const LOCK_STATE_NAMES = { 30: 'STATE_LOCK_OPEN', 31: 'STATE_LOCK_CLOSE' };

  const byId = (id) => document.getElementById(id);
  const device = byId('device');
  const consoleView = byId('console');
  const followButton = byId('follow-button');
  const runStatus = byId('run-status');
  const soundSwitch = byId('sound-switch');

  /* ---------------------------------------------------------------- keys */

  let running = false;
  const earlyKeys = []; /* key events before the program is ready */

  function sendKey(down, code) {
    if (!running) {
      earlyKeys.push([down, code]);
      return;
    }
    if (down) {
      Module._webKeyDown(code);
    } else {
      Module._webKeyUp(code);
    }
  }

  /* All elements that stand for a key, on the keypad, the drawing and the button rows. */
  function pressablesFor(code) {
    return document.querySelectorAll('[data-key="' + code + '"]');
  }

  function showPressed(code, pressed) {
    pressablesFor(code).forEach((element) => element.classList.toggle('pressed', pressed));
  }

  /* A press that ends at once still reaches the program: the press is marked until asked about. */
  function tap(code) {
    sendKey(true, code);
    sendKey(false, code);
    showPressed(code, true);
    setTimeout(() => showPressed(code, false), 150);
  }

  /* Pointer presses hold the key for as long as the button is held, like the keyboard. */
  function bindPressable(element) {
    const code = Number(element.dataset.key);
    let activePointer = null;
    element.addEventListener('pointerdown', (event) => {
      if (event.button !== 0 || activePointer !== null) {
        return;
      }
      event.preventDefault();
      activePointer = event.pointerId;
      if (element.setPointerCapture) {
        element.setPointerCapture(event.pointerId);
      }
      showPressed(code, true);
      sendKey(true, code);
    });
    const release = (event) => {
      if (activePointer === null || event.pointerId !== activePointer) {
        return;
      }
      activePointer = null;
      showPressed(code, false);
      sendKey(false, code);
    };
    element.addEventListener('pointerup', release);
    element.addEventListener('pointercancel', release);
    element.addEventListener('lostpointercapture', release);
    /* Enter or space on a focused part presses it once. */
    element.addEventListener('keydown', (event) => {
      if (event.key === 'Enter' || event.key === ' ') {
        event.preventDefault();
        event.stopPropagation();
        if (!event.repeat) {
          tap(code);
        }
      }
    });
  }

  const heldByKeyboard = new Set();

  window.addEventListener('keydown', (event) => {
    const code = KEY_BY_CODE[event.code];
    if (code === undefined || event.ctrlKey || event.altKey || event.metaKey) {
      return;
    }
    event.preventDefault();
    /* Auto-repeat adds nothing: a key held down is reported on every pass anyway. */
    if (event.repeat || heldByKeyboard.has(code)) {
      return;
    }
    heldByKeyboard.add(code);
    showPressed(code, true);
    sendKey(true, code);
  });

  window.addEventListener('keyup', (event) => {
    const code = KEY_BY_CODE[event.code];
    if (code === undefined || !heldByKeyboard.has(code)) {
      return;
    }
    heldByKeyboard.delete(code);
    showPressed(code, false);
    sendKey(false, code);
  });

  /* A page that loses the focus never hears the key-up events: let every key go. */
  function releaseAllKeys() {
    heldByKeyboard.forEach((code) => showPressed(code, false));
    heldByKeyboard.clear();
    if (running) {
      Module._webReleaseAllKeys();
    }
  }
  window.addEventListener('blur', releaseAllKeys);
  document.addEventListener('visibilitychange', () => {
    if (document.hidden) {
      releaseAllKeys();
    }
  });

  /* ------------------------------------------------------------- keypad */

  const SVG_NS = 'http://www.w3.org/2000/svg';

  function svgElement(name, attributes, text) {
    const element = document.createElementNS(SVG_NS, name);
    Object.keys(attributes).forEach((key) => element.setAttribute(key, attributes[key]));
    if (text !== undefined) {
      element.textContent = text;
    }
    return element;
  }

  function buildKeypad() {
    const keypad = byId('keypad');
    const rows = [[1, 2, 3], [4, 5, 6], [7, 8, 9], [null, 0, null]];
    rows.forEach((row, rowIndex) => {
      row.forEach((digit, columnIndex) => {
        if (digit === null) {
          return;
        }
        const x = 72 + columnIndex * 48;
        const y = 108 + rowIndex * 52;
        const key = svgElement('g', {
          class: 'pad-key part',
          'data-key': String(VK_0 + digit),
          tabindex: '0',
          role: 'button',
          'aria-label': 'Keypad digit ' + digit,
        });
        key.appendChild(svgElement('rect', { x: x, y: y, width: 40, height: 40, rx: 9 }));
        key.appendChild(svgElement('text', { x: x + 20, y: y + 27, 'text-anchor': 'middle' }, String(digit)));
        keypad.appendChild(key);
      });
    });
  }

  /* ------------------------------------------------------------ console */

  const decoder = new TextDecoder('utf-8');
  let pendingBytes = new Uint8Array(4096);
  let pendingLength = 0;
  let bytesShown = 0;
  const TEXT_NODE_LIMIT = 65536;

  function takeByte(byte) {
    if (byte === null || byte === undefined) {
      return;
    }
    if (pendingLength === pendingBytes.length) {
      const larger = new Uint8Array(pendingBytes.length * 2);
      larger.set(pendingBytes);
      pendingBytes = larger;
    }
    pendingBytes[pendingLength++] = byte;
  }

  function consoleAtBottom() {
    return consoleView.scrollHeight - consoleView.scrollTop - consoleView.clientHeight < 24;
  }

  function flushConsole() {
    if (pendingLength === 0) {
      return;
    }
    /* Streaming decode: a character split across two flushes is kept whole. */
    const text = decoder.decode(pendingBytes.subarray(0, pendingLength), { stream: true });
    bytesShown += pendingLength;
    pendingLength = 0;
    if (text.length === 0) {
      return;
    }
    const follow = consoleAtBottom();
    const last = consoleView.lastChild;
    if (last && last.nodeType === Node.TEXT_NODE && last.length < TEXT_NODE_LIMIT) {
      last.appendData(text);
    } else {
      consoleView.appendChild(document.createTextNode(text));
    }
    if (follow) {
      consoleView.scrollTop = consoleView.scrollHeight;
    } else {
      followButton.hidden = false;
    }
  }

  consoleView.addEventListener('scroll', () => {
    if (consoleAtBottom()) {
      followButton.hidden = true;
    }
  });
  followButton.addEventListener('click', () => {
    consoleView.scrollTop = consoleView.scrollHeight;
    followButton.hidden = true;
  });

  /* -------------------------------------------------------------- sound */

  let audio = null;
  const TONES = {
    /* key tone: one short high beep */
    1: { wave: 'sine', notes: [[1319, 0, 0.09]] },
    /* wrong password: two low buzzes */
    2: { wave: 'square', notes: [[392, 0, 0.14], [311, 0.18, 0.2]] },
    /* entry cancelled: a falling triple */
    3: { wave: 'triangle', notes: [[880, 0, 0.1], [660, 0.12, 0.1], [440, 0.24, 0.16]] },
  };

  function playTone(channel) {
    if (!soundSwitch.checked || audio === null) {
      return;
    }
    const start = audio.currentTime + 0.01;
    const tone = TONES[channel];
    tone.notes.forEach(([frequency, offset, length]) => {
      const oscillator = audio.createOscillator();
      const gain = audio.createGain();
      oscillator.type = tone.wave;
      oscillator.frequency.value = frequency;
      const begin = start + offset;
      gain.gain.setValueAtTime(0.0001, begin);
      gain.gain.exponentialRampToValueAtTime(tone.wave === 'square' ? 0.06 : 0.2, begin + 0.008);
      gain.gain.exponentialRampToValueAtTime(0.0001, begin + length);
      oscillator.connect(gain).connect(audio.destination);
      oscillator.start(begin);
      oscillator.stop(begin + length + 0.02);
    });
  }

  soundSwitch.checked = false;
  soundSwitch.addEventListener('change', () => {
    if (!soundSwitch.checked) {
      return;
    }
    /* Browsers let a page make sound only after a gesture: this switch is one. */
    const AudioContextClass = window.AudioContext || window.webkitAudioContext;
    if (!AudioContextClass) {
      soundSwitch.checked = false;
      soundSwitch.disabled = true;
      soundSwitch.parentElement.title = 'This browser has no Web Audio';
      return;
    }
    if (audio === null) {
      audio = new AudioContextClass();
    }
    audio.resume();
  });

  /* ------------------------------------------------------------ drawing */

  let passes = 0;
  let previous = null;

  function setState(name, value) {
    if (device.dataset[name] !== value) {
      device.dataset[name] = value;
    }
  }

  function ping(element) {
    element.classList.remove('ping');
    element.getBoundingClientRect(); /* restart the animation */
    element.classList.add('ping');
  }

  /* Which alarm channels started on this pass: switched on, or started again while on. */
  function startedChannels(levels) {
    const started = [];
    const restarted = [];
    for (let channel = 1; channel <= 3; channel++) {
      const on = levels['h_alarm' + channel] === ON;
      const wasOn = previous !== null && previous['h_alarm' + channel] === ON;
      if (on && !wasOn) {
        started.push(channel);
      } else if (on && previous !== null && levels.alarm_tick !== previous.alarm_tick) {
        restarted.push(channel);
      }
    }
    return started.length > 0 ? started : restarted;
  }

  function passwordText(digits) {
    return digits.map((digit) => (digit === -1 ? '·' : String(digit))).join('');
  }

  function render(levels) {
    const coverOpen = levels.cover === OPENED;
    const doorOpen = levels.door === OPENED;
    const boltThrown = levels.lock !== OPENED;
    setState('cover', coverOpen ? 'open' : 'shut');
    setState('door', doorOpen ? 'open' : 'closed');
    setState('bolt', boltThrown ? 'thrown' : 'drawn');
    setState('backlight', levels.backlight === ON ? 'lit' : 'dark');
    setState('alarm1', levels.h_alarm1 === ON ? 'on' : 'off');
    setState('alarm2', levels.h_alarm2 === ON ? 'on' : 'off');
    setState('alarm3', levels.h_alarm3 === ON ? 'on' : 'off');
    setState('key', levels.key === SENSED ? 'sensed' : 'rest');
    setState('lockButton', levels.lockButton === CLICKED ? 'pressed' : 'rest');

    byId('door-caption').textContent =
      (doorOpen ? 'door open' : 'door closed') + ' · ' + (boltThrown ? 'bolt thrown' : 'bolt drawn');
    byId('bolt-window-text').textContent = boltThrown ? 'locked' : 'unlocked';
    byId('r-lock-state').textContent = LOCK_STATE_NAMES[levels.lock_state] || String(levels.lock_state);
    byId('r-password-state').textContent =
      PASSWORD_STATE_NAMES[levels.password_state - PASSWORD_STATE_FIRST] || String(levels.password_state);
    byId('r-password').textContent = passwordText(levels.password);
    byId('r-tick').textContent = String(levels.tick >>> 0);

    startedChannels(levels).forEach((channel) => {
      ping(byId('alarm' + channel));
      playTone(channel);
    });
    previous = levels;
  }

  /* ------------------------------------------------------------ program */

  function showStatus(text, kind) {
    runStatus.textContent = text;
    runStatus.dataset.kind = kind;
  }

  window.Module = {
    /* Standard output, byte by byte; flushed by the program at every pause. */
    stdout: takeByte,
    printErr: (text) => console.error(text),
    onRuntimeInitialized: () => {
      running = true;
      earlyKeys.splice(0).forEach(([down, code]) => sendKey(down, code));
      showStatus('running', 'running');
    },
    /* Called by the program at every pause, after it has flushed its output. */
    onPass: (levels) => {
      passes++;
      flushConsole();
      render(levels);
      if (passes % 5 === 1) {
        showStatus('running · pass ' + passes, 'running');
      }
      device.dataset.passes = String(passes);
      consoleView.dataset.bytes = String(bytesShown);
    },
    onAbort: (reason) => {
      flushConsole();
      running = false;
      showStatus('stopped: ' + reason, 'error');
    },
  };

  buildKeypad();
  document.querySelectorAll('[data-key]').forEach(bindPressable);

  if (typeof WebAssembly !== 'object') {
    showStatus('this browser cannot run WebAssembly', 'error');
  }
})();
