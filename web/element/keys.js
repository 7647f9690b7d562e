// The toolkit's keyboard vocabulary in the browser: a KeyboardEvent becomes
// the toolkit's virtual-key code, Shift/Ctrl/Alt mask and character, by the
// same US-layout table as the toolkit (services/screen/keys.cpp) and the same
// order of choices as the Qt front end (keypad, named keys, the typed
// character, then the physical key).

export const SHIFT = 1;
export const CTRL = 2;
export const ALT = 4;

// The digit and punctuation keys of the US layout: code, plain, shifted.
const US_KEYS = [
  [48, '0', ')'], [49, '1', '!'], [50, '2', '@'], [51, '3', '#'], [52, '4', '$'],
  [53, '5', '%'], [54, '6', '^'], [55, '7', '&'], [56, '8', '*'], [57, '9', '('],
  [186, ';', ':'], [187, '=', '+'], [188, ',', '<'], [189, '-', '_'], [190, '.', '>'],
  [191, '/', '?'], [192, '`', '~'], [219, '[', '{'], [220, '\\', '|'], [221, ']', '}'],
  [222, "'", '"'],
];

// Keys that give no character of their own (or a control character), by
// KeyboardEvent.key.
const NAMED = {
  Enter: 13, Tab: 9, Escape: 27, Backspace: 8, ' ': 32, Spacebar: 32, Delete: 46, Insert: 45,
  PageUp: 33, PageDown: 34, End: 35, Home: 36, ArrowLeft: 37, ArrowUp: 38, ArrowRight: 39,
  ArrowDown: 40,
};

// Keypad keys keep their codes 96-111 whatever the modifiers, by KeyboardEvent.code.
const KEYPAD = {
  NumpadMultiply: 106, NumpadAdd: 107, NumpadSubtract: 109, NumpadDecimal: 110,
  NumpadComma: 110, NumpadDivide: 111,
};

// Physical keys of the main block, for Ctrl and Alt combinations (which carry
// no usable character), by KeyboardEvent.code.
const PHYSICAL = {
  Semicolon: 186, Equal: 187, Comma: 188, Minus: 189, Period: 190, Slash: 191,
  Backquote: 192, BracketLeft: 219, Backslash: 220, BracketRight: 221, Quote: 222,
};

// The character a key gives on a US keyboard (what KeyPress receives), or 0.
export function characterOfKey(code, shift) {
  if (shift & (CTRL | ALT)) return 0;
  const shifted = (shift & SHIFT) !== 0;
  if (code >= 65 && code <= 90) return shifted ? code : code + 32;
  const us = US_KEYS.find((k) => k[0] === code);
  if (us) return (shifted ? us[2] : us[1]).charCodeAt(0);
  if (code >= 96 && code <= 105) return 48 + code - 96;
  const keypad = { 106: 42, 107: 43, 109: 45, 110: 46, 111: 47 };
  if (code in keypad) return keypad[code];
  return [32, 13, 8, 27, 9].includes(code) ? code : 0;
}

// The key (with Shift where needed) that gives an ASCII character, or null.
export function keyOfCharacter(ch) {
  if (ch >= 'a' && ch <= 'z') return { code: ch.charCodeAt(0) - 32, shift: 0 };
  if (ch >= 'A' && ch <= 'Z') return { code: ch.charCodeAt(0), shift: SHIFT };
  for (const [code, plain, shifted] of US_KEYS) {
    if (plain === ch) return { code, shift: 0 };
    if (shifted === ch) return { code, shift: SHIFT };
  }
  const controls = { ' ': 32, '\r': 13, '\n': 13, '\t': 9, '\b': 8, '\x1b': 27 };
  return ch in controls ? { code: controls[ch], shift: 0 } : null;
}

// The capital letter a caption marks with "&" as its access key, or ''.
export function accessKeyOf(caption) {
  for (let i = 0; i + 1 < caption.length; ++i) {
    if (caption[i] !== '&') continue;
    if (caption[i + 1] === '&') {
      ++i;
      continue;
    }
    return caption[i + 1].toUpperCase();
  }
  return '';
}

// The Shift/Ctrl/Alt bits of an event.
function shiftOf(event) {
  return (event.shiftKey ? SHIFT : 0) | (event.ctrlKey ? CTRL : 0) | (event.altKey ? ALT : 0);
}

// A toolkit key {code, shift, char} for a key event, {text} for a character
// no US key gives (it goes in as typed text), or null for a key the toolkit
// does not know (modifiers alone, media keys).
export function translateKey(event) {
  const shift = shiftOf(event);
  const withCtrlOrAlt = (shift & (CTRL | ALT)) !== 0;
  if (event.location === 3) {
    const digit = /^Numpad([0-9])$/.exec(event.code);
    const code = digit ? 96 + Number(digit[1]) : KEYPAD[event.code];
    if (code && (digit === null || /^[0-9]$/.test(event.key))) {
      return { code, shift, char: characterOfKey(code, shift) };
    }
  }
  const fn = /^F([1-9]|1[0-2])$/.exec(event.key);
  const named = fn ? 111 + Number(fn[1]) : NAMED[event.key];
  if (named) {
    return { code: named, shift, char: characterOfKey(named, shift) };
  }
  const chars = [...event.key];
  if (!withCtrlOrAlt && chars.length === 1 && event.key >= ' ' && event.key !== '\x7f') {
    const stroke = keyOfCharacter(event.key);
    if (!stroke) return { text: event.key };
    const full = shift | stroke.shift;
    return { code: stroke.code, shift: full, char: characterOfKey(stroke.code, full) };
  }
  let code = 0;
  const letter = /^Key([A-Z])$/.exec(event.code);
  const digit = /^Digit([0-9])$/.exec(event.code);
  if (letter) code = letter[1].charCodeAt(0);
  else if (digit) code = 48 + Number(digit[1]);
  else if (PHYSICAL[event.code]) code = PHYSICAL[event.code];
  else if (chars.length === 1 && event.key < '\x7f') code = keyOfCharacter(event.key)?.code ?? 0;
  if (!code) return null;
  return { code, shift, char: characterOfKey(code, shift) };
}
