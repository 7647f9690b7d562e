// Drawing of the toolkit's controls in the element, in the look of the Qt
// front end (frontends/qt/control_painting.cpp): sunken text boxes that are
// real <input> elements, raised buttons with the access key underlined or an
// arrow picture, flat labels in their design colours, scroll bars as a
// trough with two end boxes. Places are twips / 15 pixels, fonts a point
// being 20 twips, colours 0x00BBGGRR with the classic system colours.

const TWIPS_PER_PIXEL = 15;

// Whole pixels of a twips value, rounded half away from zero as the Qt side does.
export function px(twips) {
  const value = twips / TWIPS_PER_PIXEL;
  return Math.sign(value) * Math.round(Math.abs(value));
}

// A CSS colour of a stored colour: &H00BBGGRR, or a system colour (high bit).
export function colorOf(stored) {
  const value = stored >>> 0;
  if (value & 0x80000000) {
    const system = { 5: '#ffffff', 8: '#000000', 18: '#000000', 16: '#808080' };
    return system[value & 0xff] ?? '#c0c0c0';
  }
  const hex = (n) => n.toString(16).padStart(2, '0');
  return '#' + hex(value & 0xff) + hex((value >> 8) & 0xff) + hex((value >> 16) & 0xff);
}

// The font of a control: its face with narrow sans-serif stand-ins, at
// size x 20 / 15 pixels (8.25 points when it has none).
function fontOf(pic) {
  const points = pic.fontSize > 0 ? pic.fontSize : 8.25;
  const size = Math.max(1, Math.round((points * 20) / TWIPS_PER_PIXEL));
  const face = pic.fontName ? `"${pic.fontName.replace(/["\\]/g, '')}", ` : '';
  return `${size}px ${face}Arial, "Liberation Sans", "DejaVu Sans Condensed", sans-serif`;
}

const ALIGN = ['left', 'right', 'center'];

export const STYLE = `
:host { display: inline-block; position: relative; outline: none; }
:host(:focus-visible) .surface { outline: 1px dotted #000; }
.surface, .form-body { position: relative; overflow: hidden; }
.c { position: absolute; box-sizing: border-box; margin: 0; }
.lb { z-index: 0; padding: 0 1px; overflow: hidden; white-space: pre; color: #000;
      line-height: normal; user-select: none; }
.lb.wrap { white-space: pre-wrap; overflow-wrap: break-word; }
.lb.off { color: #808080; }
.tb { z-index: 1; border: 1px solid; border-color: #808080 #ffffff #ffffff #808080;
      box-shadow: inset 1px 1px #000000, inset -1px -1px #c0c0c0; padding: 0 1px; outline: none;
      color: #000; border-radius: 0; }
.tb:disabled { color: #808080; -webkit-text-fill-color: #808080; opacity: 1; }
.tb::selection { background: #000080; color: #ffffff; }
.cb { z-index: 1; background: #c0c0c0; border: none; border-radius: 0; padding: 2px; color: #000;
      box-shadow: inset 1px 1px #ffffff, inset -1px -1px #000000, inset -2px -2px #808080;
      display: flex; align-items: center; justify-content: center; white-space: pre;
      outline: none; overflow: hidden; }
.cb.default, .cb:focus { border: 1px solid #000; }
.cb:active:not(:disabled) { box-shadow: inset 0 0 0 1px #808080; padding: 3px 1px 1px 3px; }
.cb:disabled { color: #808080; text-shadow: 1px 1px #ffffff; }
.cb:focus::after { content: ''; position: absolute; inset: 3px 4px 4px 3px;
      border: 1px dotted #000; pointer-events: none; }
.cb svg { position: absolute; left: calc(50% - 8px); top: calc(50% - 7px); pointer-events: none; }
.cb .cap { flex: none; pointer-events: none; }
.sb { z-index: 1; background: #e0e0e0; outline: none; }
.sb.thin { background: #808080; }
.sb:focus { outline: 1px dotted #000; outline-offset: -1px; }
.sb > i { position: absolute; top: 0; bottom: 0; box-sizing: border-box; background: #c0c0c0;
      box-shadow: inset 1px 1px #ffffff, inset -1px -1px #000000, inset -2px -2px #808080; }
`;

// True when upper contains word.
const names = (upper, word) => upper.includes(word);

// The arrow a name stands for, as the Qt side reads it ('' for none).
function pictureOfName(name) {
  const upper = name.toUpperCase();
  if (names(upper, 'PGUP') || names(upper, 'PAGEUP')) return 'pageUp';
  if (names(upper, 'PGDN') || names(upper, 'PAGEDOWN') || names(upper, 'PGDOWN')) return 'pageDown';
  if (names(upper, 'HOME') || names(upper, 'FIRST')) return 'first';
  if (names(upper, 'END') || names(upper, 'LAST')) return 'last';
  if (names(upper, 'UP')) return 'up';
  if (names(upper, 'DN') || names(upper, 'DOWN')) return 'down';
  if (names(upper, 'ACTION') || names(upper, 'SELECT')) return 'action';
  return '';
}

// A triangle 11 pixels wide with its apex at apexY, pointing up or down.
function triangle(apexY, down) {
  const baseY = down ? apexY - 5 : apexY + 5;
  return `<polygon points="9.5,${apexY + 0.5} 4.5,${baseY + 0.5} 14.5,${baseY + 0.5}"/>`;
}

// The 18 x 16 pixel arrow pictures of the Qt side, as SVG.
function arrowSvg(picture, enabled) {
  const bar = (y) => `<rect x="4.5" y="${y + 0.5}" width="10" height="1"/>`;
  const shapes = {
    up: triangle(5, false),
    down: triangle(10, true),
    pageUp: triangle(2, false) + triangle(8, false),
    pageDown: triangle(7, true) + triangle(13, true),
    first: bar(2) + triangle(6, false),
    last: triangle(9, true) + bar(12),
    action: '<polygon points="6.5,3.5 12.5,8.5 6.5,13.5"/>',
  }[picture];
  const ink = enabled ? '#000' : '#808080';
  return `<svg width="18" height="16" viewBox="0 0 18 16" shape-rendering="crispEdges" ` +
         `fill="${ink}" stroke="${ink}" stroke-width="1">${shapes}</svg>`;
}

// A caption with its access key underlined: "&Add" shows "Add" with the A
// underlined, "&&" a single "&".
function setCaption(node, caption) {
  node.textContent = '';
  let marked = false;
  let text = '';
  for (let i = 0; i < caption.length; ++i) {
    if (caption[i] === '&' && i + 1 < caption.length) {
      ++i;
      if (caption[i] !== '&' && !marked) {
        node.append(text);
        text = '';
        const u = document.createElement('u');
        u.textContent = caption[i];
        node.append(u);
        marked = true;
        continue;
      }
    }
    text += caption[i];
  }
  node.append(text);
}

// The element of a new control of this kind.
export function createControl(pic) {
  let node;
  if (pic.kind === 'TextBox') {
    node = document.createElement('input');
    node.type = 'text';
    node.className = 'c tb';
    node.spellcheck = false;
    node.autocomplete = 'off';
  } else if (pic.kind === 'CommandButton') {
    node = document.createElement('button');
    node.type = 'button';
    node.className = 'c cb';
  } else if (pic.kind === 'HScrollBar') {
    node = document.createElement('div');
    node.className = 'c sb';
    node.setAttribute('role', 'scrollbar');
    node.setAttribute('aria-orientation', 'horizontal');
  } else {
    node = document.createElement('div');
    node.className = 'c lb';
  }
  node.tabIndex = -1;
  node.dataset.name = pic.name;
  node.dataset.container = pic.container;
  return node;
}

// Brings a control's element up to the picture (only what changed).
export function paintControl(node, pic) {
  const old = node.dorvanePicture;
  if (old && JSON.stringify(old) === JSON.stringify(pic)) return;
  node.dorvanePicture = pic;
  const s = node.style;
  const width = Math.max(1, px(pic.width));
  const height = Math.max(1, px(pic.height));
  s.left = px(pic.left) + 'px';
  s.top = px(pic.top) + 'px';
  s.width = width + 'px';
  s.height = height + 'px';
  s.font = fontOf(pic);
  if (pic.toolTipText) node.title = pic.toolTipText;
  else node.removeAttribute('title');
  // A text box or scroll bar without a caption is named by its tooltip or name.
  if (pic.kind === 'TextBox' || pic.kind === 'HScrollBar') {
    node.setAttribute('aria-label', pic.toolTipText || pic.name.replace(/^(txt|hsb)/, ''));
  }
  if (pic.kind === 'TextBox') {
    s.background = colorOf(pic.backColor);
    s.textAlign = ALIGN[pic.alignment] ?? 'left';
    node.disabled = !pic.enabled;
    if (pic.maxLength > 0) node.maxLength = pic.maxLength;
    else node.removeAttribute('maxlength');
  } else if (pic.kind === 'Label') {
    s.background = colorOf(pic.backColor);
    s.textAlign = ALIGN[pic.alignment] ?? 'left';
    node.classList.toggle('off', !pic.enabled);
    node.textContent = pic.text;
    // A label with room for two lines wraps its words (the line height is
    // about 1.15 of the pixel size in these faces).
    const fontPx = parseFloat(s.font);
    node.classList.toggle('wrap', height >= 2 * Math.ceil(fontPx * 1.15));
  } else if (pic.kind === 'CommandButton') {
    node.disabled = !pic.enabled;
    node.classList.toggle('default', pic.isDefault);
    const picture = pic.picture ? pictureOfName(pic.picture) || pictureOfName(pic.name) : '';
    if (picture) {
      node.innerHTML = arrowSvg(picture, pic.enabled);
      node.setAttribute('aria-label', pic.name.replace(/^cmd/i, ''));
    } else {
      const caption = document.createElement('span');
      caption.className = 'cap';
      setCaption(caption, pic.text);
      node.replaceChildren(caption);
      node.removeAttribute('aria-label');
    }
  } else {
    const box = Math.min(height, Math.floor(width / 2));
    node.classList.toggle('thin', box < 6);
    node.innerHTML = box >= 6 ? `<i style="left:0;width:${box}px"></i>` +
                                `<i style="right:0;width:${box}px"></i>` : '';
    node.setAttribute('aria-disabled', String(!pic.enabled));
  }
}

// The size of a container's surface: its own, or when it has no height the
// lowest visible control's bottom and a margin.
export function surfaceSize(container, controls) {
  let height = px(container.height);
  if (height <= 0) {
    for (const c of controls) height = Math.max(height, px(c.top + c.height) + 8);
  }
  return { width: Math.max(1, px(container.width)), height: Math.max(1, height) };
}

// UTF-16 offset of the count-th code point of text (selections are kept in
// characters by the toolkit, in UTF-16 units by the browser).
export function unitsOf(text, count) {
  let units = 0;
  let seen = 0;
  for (const ch of text) {
    if (seen++ === count) break;
    units += ch.length;
  }
  return units;
}

// Code points before the UTF-16 offset of text.
export function charactersOf(text, units) {
  return [...text.slice(0, units)].length;
}
