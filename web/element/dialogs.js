// The modal windows of the element: each open modal form (the search dialog)
// as a <dialog> with a title bar, its caption and a close box, holding the
// form's controls; each message box the server waits on as a <dialog> with
// the icon of its style, its text and an OK button whose answer goes back to
// the code that showed it. Both are opened with showModal, so the rest of
// the page waits as the classic platform's modal windows made it, and are
// placed over the element that shows them.

const BORDER = 1;  // the window's border
const GAP = 2;     // between the border and the title bar or the body
const TITLE = 18;  // the title bar's height

export const DIALOG_STYLE = `
dialog { padding: 0; border: ${BORDER}px solid #000; background: #c0c0c0; color: #000;
         box-shadow: inset 1px 1px #fff, inset -1px -1px #808080; font: 12px Arial, "Liberation Sans", sans-serif; }
dialog::backdrop { background: transparent; }
.title { display: flex; align-items: center; height: ${TITLE}px; margin: ${GAP}px ${GAP}px 0;
         background: #000080; color: #fff; font-weight: bold; padding-left: 3px; user-select: none; }
.title span { flex: 1; white-space: pre; overflow: hidden; }
.title button { width: 16px; height: 14px; margin-right: 2px; padding: 0; font: bold 10px sans-serif;
         background: #c0c0c0; border: none; box-shadow: inset 1px 1px #fff, inset -1px -1px #000; }
.form-body { margin: ${GAP}px; }
.box-body { display: flex; gap: 12px; padding: 12px 16px 8px; align-items: flex-start; }
.box-text { white-space: pre-wrap; max-width: 420px; padding-top: 6px; }
.box-foot { display: flex; justify-content: center; padding: 4px 0 12px; }
.box-foot button { min-width: 75px; height: 23px; background: #c0c0c0; border: 1px solid #000;
         box-shadow: inset 1px 1px #fff, inset -1px -1px #000, inset -2px -2px #808080; }
.box-foot button:focus { outline: 1px dotted #000; outline-offset: -4px; }
`;

// The icon of a message box style (16 stop, 32 question, 48 warning, 64 information).
function iconOf(style) {
  const icons = {
    16: ['#c00000', '\u00d7', 'circle'],
    32: ['#000080', '?', 'circle'],
    48: ['#e0c000', '!', 'triangle'],
    64: ['#000080', 'i', 'circle'],
  };
  const icon = icons[style & 0x70];
  if (!icon) return '';
  const [color, mark, shape] = icon;
  const body = shape === 'circle'
    ? `<circle cx="16" cy="16" r="15" fill="${color}"/>`
    : `<polygon points="16,1 31,30 1,30" fill="${color}" stroke="#000"/>`;
  const ink = shape === 'circle' ? '#fff' : '#000';
  return `<svg width="32" height="32" role="img" aria-hidden="true">${body}` +
         `<text x="16" y="23" text-anchor="middle" fill="${ink}" ` +
         `font-weight="bold" font-size="20" font-family="serif">${mark}</text></svg>`;
}

// Places a dialog of width x height pixels centred over the rectangle r (the
// element's; the top layer would centre it in the window), kept inside the
// window of innerWidth x innerHeight. Only writes, so nothing is laid out here.
export function placeOver(dialog, r, width, height, room = { width: innerWidth, height: innerHeight }) {
  const clamp = (at, size, space) => Math.max(0, Math.min(space - size, at));
  const left = clamp(r.left + (r.width - width) / 2, width, room.width);
  const top = clamp(r.top + (r.height - height) / 2, height, room.height);
  Object.assign(dialog.style, { margin: '0', right: 'auto', bottom: 'auto',
    left: Math.round(left) + 'px', top: Math.round(top) + 'px' });
}

// Places an open dialog centred over `element`, measuring both (a layout).
export function centreOver(dialog, element) {
  placeOver(dialog, element.getBoundingClientRect(), dialog.offsetWidth, dialog.offsetHeight);
}

// The outer size of a modal form's window whose body is width x height
// pixels: its border, the title bar and the body's margins (DIALOG_STYLE).
export function formDialogSize(width, height) {
  return { width: width + 2 * (BORDER + GAP), height: height + 2 * (BORDER + GAP) + GAP + TITLE };
}

// A dialog with a title bar; onClose runs when its close box is pressed.
function titled(caption, onClose) {
  const dialog = document.createElement('dialog');
  const title = document.createElement('div');
  title.className = 'title';
  const text = document.createElement('span');
  text.textContent = caption;
  const close = document.createElement('button');
  close.type = 'button';
  close.tabIndex = -1;
  close.textContent = '\u00d7';
  close.setAttribute('aria-label', 'Close');
  close.addEventListener('click', onClose);
  title.append(text, close);
  dialog.append(title);
  // Esc is the toolkit's key (a cancel button), never the browser's close.
  dialog.addEventListener('cancel', (event) => event.preventDefault());
  return dialog;
}

// A modal form's window: the body holds the form's controls.
export function formDialog(name, caption, onClose) {
  const dialog = titled(caption, onClose);
  dialog.dataset.form = name;
  dialog.setAttribute('aria-label', caption);
  const body = document.createElement('div');
  body.className = 'form-body';
  dialog.append(body);
  const title = dialog.querySelector('.title span');
  const setCaption = (text) => {
    if (title.textContent === text) return;
    title.textContent = text;
    dialog.setAttribute('aria-label', text);
  };
  return { dialog, body, setCaption };
}

// A message box's window; answer() runs once when the user answers it.
export function boxDialog(box, answer) {
  let answered = false;
  const once = () => {
    if (answered) return;
    answered = true;
    answer();
  };
  const dialog = titled(box.title, once);
  dialog.setAttribute('role', 'alertdialog');
  dialog.setAttribute('aria-label', box.title);
  dialog.className = 'msgbox';
  const body = document.createElement('div');
  body.className = 'box-body';
  body.innerHTML = iconOf(box.style);
  const text = document.createElement('div');
  text.className = 'box-text';
  text.textContent = box.prompt.replace(/\r\n?/g, '\n');
  body.append(text);
  const foot = document.createElement('div');
  foot.className = 'box-foot';
  const ok = document.createElement('button');
  ok.type = 'button';
  ok.textContent = 'OK';
  ok.addEventListener('click', once);
  foot.append(ok);
  dialog.append(body, foot);
  // The box's own keys stay in the box: Enter, Space and Esc answer it.
  dialog.addEventListener('keydown', (event) => {
    event.stopPropagation();
    if (['Enter', ' ', 'Escape'].includes(event.key)) {
      event.preventDefault();
      once();
    }
  });
  dialog.addEventListener('cancel', (event) => {
    event.preventDefault();
    once();
  });
  return { dialog, ok };
}
