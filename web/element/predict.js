// Typing ahead of the server: the keys sent but not yet acknowledged are
// applied to the focused text box's text and selection the way the toolkit's
// text box applies them (TextBox::ApplyCharacter and ApplyKey), so a typed
// character shows at once. Each answer from the server replaces the guess: a
// character the control refused disappears. Only plain editing keys are
// guessed; after any other key (Enter, Tab, a click) nothing more is, since
// the control may move the focus or change the text itself.

// The box state after one pending input, or null when it cannot be guessed.
function step(box, input) {
  const chars = [...box.text];
  let { selStart, selLength } = box;
  const replace = (inserted) => {
    const added = [...inserted];
    chars.splice(selStart, selLength, ...added);
    return { ...box, text: chars.join(''), selStart: selStart + added.length, selLength: 0 };
  };
  if (input.type === 'text') {
    const room = box.maxLength > 0 ? box.maxLength - (chars.length - selLength) : Infinity;
    return replace([...input.text].filter((ch) => ch >= ' ').slice(0, Math.max(0, room)).join(''));
  }
  if (input.type !== 'key' || (input.shift & 6) !== 0) return null;
  const { code } = input;
  if (input.char === 8) {
    if (selLength === 0) {
      if (selStart === 0) return box;
      --selStart;
      selLength = 1;
    }
    return replace('');
  }
  if (input.char >= 32 && input.char !== 127) {
    if (box.maxLength > 0 && chars.length - selLength + 1 > box.maxLength) return box;
    return replace(String.fromCharCode(input.char));
  }
  if ((input.shift & 1) !== 0) return null;
  switch (code) {
    case 46:
      if (selLength === 0) {
        if (selStart >= chars.length) return box;
        selLength = 1;
      }
      return replace('');
    case 37:
      return { ...box, selStart: selLength === 0 && selStart > 0 ? selStart - 1 : selStart, selLength: 0 };
    case 39:
      return { ...box, selStart: Math.min(chars.length, selStart + Math.max(selLength, 1)), selLength: 0 };
    case 36:
      return { ...box, selStart: 0, selLength: 0 };
    case 35:
      return { ...box, selStart: chars.length, selLength: 0 };
    default:
      return null;
  }
}

// The focused text box as the user should see it: `box` ({text, selStart,
// selLength, maxLength}, from the last picture) with the pending inputs
// (oldest first) applied up to the first one that cannot be guessed.
export function predict(box, pending) {
  let state = box;
  for (const input of pending) {
    const next = step(state, input);
    if (next === null) break;
    state = next;
  }
  return state;
}
