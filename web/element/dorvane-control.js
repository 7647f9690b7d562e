// <dorvane-control source="acme">: the control in a web page. It opens a
// session on dorvane-web (docs/web-protocol.md), draws the server's picture
// of the screen in its shadow DOM as the Qt front end draws it, sends keys
// (the toolkit's codes), clicks and typed or pasted text, shows the search
// dialog and message boxes as modal dialogs, and mirrors the control's eight
// host properties: a read gives the last value the server sent, a write is
// sent and set() returns a Promise of its result. It fires `change` when the
// working list or the period-ending range changes. Tab on the control's last
// tab stop (Shift+Tab on its first) moves the page's focus on to its next
// (previous) field, as a host window's Tab would.
//
// Attributes: source (the data source name, set as PathText when the session
// opens), ticket (a ticket text) or ticket-url (fetched before every
// connection; answers the ticket as text), server (the ws(s):// address of
// /session; by default that of the server this module came from).

import { translateKey } from './keys.js';
import { Link } from './link.js';
import { applyDiff, controlKey, emptyPicture } from './picture.js';
import { STYLE, charactersOf, unitsOf } from './painting.js';
import { DIALOG_STYLE } from './dialogs.js';
import { Windows } from './windows.js';
import { predict } from './predict.js';

const HOST_PROPERTIES = ['PathText', 'SelectedBPETAG', 'SelectedEPETAG', 'SelectedBPEDATE',
  'SelectedEPEDATE', 'IsListOK', 'ArePEDatesOK', 'ControlsEnabled', 'WorkingListVersion'];
const WRITABLE = { PathText: 'string', SelectedBPETAG: 'number', SelectedEPETAG: 'number',
  ControlsEnabled: 'boolean' };
const RANGE = ['SelectedBPETAG', 'SelectedEPETAG', 'SelectedBPEDATE', 'SelectedEPEDATE', 'ArePEDatesOK'];
const LIST = ['IsListOK', 'WorkingListVersion'];

// The last Tab pressed anywhere on the page (when, and whether with Shift):
// the focus that comes in right after it enters at the first or last stop.
const lastTab = { at: -Infinity, back: false };
window.addEventListener('keydown', (event) => {
  if (event.key === 'Tab') Object.assign(lastTab, { at: performance.now(), back: event.shiftKey });
}, true);

// Keys the browser keeps for itself in a text box: copy, cut and paste.
function isClipboardKey(event) {
  const k = event.key.toLowerCase();
  if (event.ctrlKey && !event.altKey && (k === 'c' || k === 'v' || k === 'x' || k === 'insert')) return true;
  return event.shiftKey && !event.ctrlKey && k === 'insert';
}

export class DorvaneControl extends HTMLElement {
  static observedAttributes = ['source', 'ticket', 'ticket-url'];

  constructor() {
    super();
    this.attachShadow({ mode: 'open', delegatesFocus: false });
    this.shadowRoot.innerHTML = `<style>${STYLE}${DIALOG_STYLE}
      .status { position: absolute; left: 0; right: 0; bottom: 0; z-index: 5; padding: 2px 4px;
                background: #ffffe1; border-top: 1px solid #808080; font: 12px Arial, sans-serif; }
      .status:empty { display: none; }</style><div class="surfaces"></div>
      <div class="status" role="status" aria-live="polite"></div>`;
    this.surfaces = this.shadowRoot.querySelector('.surfaces');
    this.statusLine = this.shadowRoot.querySelector('.status');
    this.picture = emptyPicture();
    this.host = {};
    this.written = new Map();   // host properties the page set, to set again on a new session
    this.results = new Map();   // n of a set -> {resolve, reject}
    this.pending = [];          // inputs sent and not acknowledged, oldest first
    this.maxAcked = 0;
    this.windows = new Windows(this.shadowRoot, this.surfaces, (input) => this.sendInput(input));
    this.composing = false;
    this.renderedSeq = 0;
    this.receivedSeq = 0;       // seq of the last snapshot or patch
    this.frame = 0;
    this.keyTimes = new Map();  // n of a key -> performance.now() of its keydown
    this.answered = [];         // keydown times of keys whose answer waits to be painted
    this.guessed = [];          // keydown times of keys whose guess waits to be painted
    this.keyToGuess = [];       // milliseconds from a keydown to the paint of its guess
    this.keyToPaint = [];       // milliseconds from a keydown to the paint of its answer
    this.tabOut = { next: false, previous: false };  // whether Tab, Shift+Tab leave the control
    this.away = false;          // the control was told the page's focus left it
    this.addEventListener('keydown', (e) => this.onKeyDown(e));
    this.addEventListener('focus', () => this.onFocus());
    this.addEventListener('focusout', (e) => this.onFocusOut(e));
    this.placeDialogs = () => this.windows.centre(this, () => true);
    const root = this.shadowRoot;
    root.addEventListener('beforeinput', (e) => this.onBeforeInput(e));
    root.addEventListener('compositionstart', () => { this.composing = true; });
    root.addEventListener('compositionend', (e) => {
      this.composing = false;
      if (e.data) this.sendInput({ type: 'text', text: e.data });
    });
    root.addEventListener('mousedown', (e) => this.onMouseDown(e));
    root.addEventListener('mouseup', (e) => this.onMouseUp(e));
    root.addEventListener('click', (e) => this.onClick(e));
    root.addEventListener('dblclick', (e) => this.onClick(e));
  }

  connectedCallback() {
    if (!this.hasAttribute('tabindex')) this.tabIndex = 0;
    window.addEventListener('resize', this.placeDialogs);
    window.addEventListener('scroll', this.placeDialogs, true);
    if (this.link) return;
    const url = this.getAttribute('server') ||
      new URL('/session', import.meta.url).href.replace(/^http/, 'ws');
    this.link = new Link(url, () => this.fetchTicket(), {
      onMessage: (msg) => this.onMessage(msg),
      onState: (state, detail) => this.onLinkState(state, detail),
      onAck: (n, byPatch) => this.onAck(n, byPatch),
    });
    if (this.hasAttribute('today')) this.link.extraHello.today = this.getAttribute('today');
    this.link.start();
  }

  disconnectedCallback() {
    window.removeEventListener('resize', this.placeDialogs);
    window.removeEventListener('scroll', this.placeDialogs, true);
    this.link?.stop();
    this.link = null;
  }

  // A new source is set as PathText; a new ticket opens the session again
  // when the last one was refused.
  attributeChangedCallback(name, old, value) {
    if (name === 'source' && this.link?.session && value !== null && value !== old) {
      this.set('PathText', value).catch(() => {});
    } else if (name !== 'source' && this.link?.closed && this.isConnected) {
      this.link = null;
      this.lastError = '';
      this.connectedCallback();
    }
  }

  // The ticket: the attribute's, else one fetched from ticket-url.
  async fetchTicket() {
    const url = this.getAttribute('ticket-url');
    if (!url) return this.getAttribute('ticket') ?? '';
    const answer = await fetch(url, { credentials: 'same-origin', cache: 'no-store' });
    if (!answer.ok) throw new Error(`${answer.status} ${answer.statusText}`);
    return (await answer.text()).trim();
  }

  // A host property Let: sent to the control; resolves when it has run,
  // rejects with {number, description} when it raised a run-time error.
  set(property, value) {
    const type = WRITABLE[property];
    if (!type) return Promise.reject(new TypeError(`${property} cannot be set`));
    if (typeof value !== type || (type === 'number' && !Number.isInteger(value))) {
      return Promise.reject(new TypeError(`${property} takes a ${type === 'number' ? 'whole number' : type}`));
    }
    this.written.delete(property);
    this.written.set(property, value);
    return new Promise((resolve, reject) => {
      const n = this.sendInput({ type: 'set', property, value });
      this.results.set(n, { resolve, reject, property });
    });
  }

  // Every input goes through here, numbered and in order.
  sendInput(message) {
    if (!this.link) return 0;
    const n = this.link.send(message);
    this.pending.push({ n, ...message });
    if (message.type === 'key' || message.type === 'text') {
      this.renderTexts();  // the guess goes into the box now, painted with the next frame
      this.scheduleRender();
    }
    return n;
  }

  // For tests and tools: the n of the last input sent.
  get lastSent() {
    return this.link ? this.link.lastSent : 0;
  }

  // Whether every input sent has been answered and the last picture drawn.
  get settled() {
    return this.pending.length === 0 && this.frame === 0 && this.renderedSeq === this.receivedSeq;
  }

  onLinkState(state, detail) {
    if (state === 'reconnecting') this.status('The connection was lost; reconnecting\u2026');
    else if (state === 'closed') this.status(this.lastError || detail || 'The server closed the session.');
    else if (state === 'error') this.status(detail);
    else if (state === 'resumed') this.status('');
    else {
      if (state === 'restarted') {
        this.status('The connection was restarted: a new session has begun.');
        for (const { reject } of this.results.values()) reject(new Error('the session was restarted'));
        this.results.clear();
        this.pending = [];
      } else {
        this.status('');
      }
      this.maxAcked = 0;
      // A new session gets the page's host properties again, the source first.
      const source = this.getAttribute('source');
      if (source !== null && !this.written.has('PathText')) this.set('PathText', source).catch(() => {});
      for (const [property, value] of [...this.written]) this.set(property, value).catch(() => {});
      this.dispatchEvent(new CustomEvent('session', { detail: { state } }));
    }
  }

  status(text) {
    this.statusLine.textContent = text;
  }

  onMessage(msg) {
    // Only a snapshot or a patch has something to draw: `settled` waits for
    // the last of them, not for a result or an error that came after it.
    if ((msg.type === 'snapshot' || msg.type === 'patch') && typeof msg.seq === 'number') {
      this.receivedSeq = msg.seq;
    }
    if (msg.tabOut) this.tabOut = msg.tabOut;
    if (msg.type === 'snapshot') {
      this.picture = msg.picture;
      this.updateHost(msg.host ?? {}, true);
    } else if (msg.type === 'patch') {
      this.picture = applyDiff(this.picture, msg.diff ?? {});
      if (msg.host) this.updateHost(msg.host, false);
    } else if (msg.type === 'result') {
      const waiter = this.results.get(msg.n);
      this.results.delete(msg.n);
      if (waiter && msg.ok) waiter.resolve(this.host[waiter.property]);
      else if (waiter) waiter.reject(msg.error);
      return;
    } else if (msg.type === 'tabbedOut') {
      this.leaveBy(msg.to === 'previous');
      return;
    } else if (msg.type === 'error') {
      // A refused input (it names its n) is said for a moment; anything else
      // (a refused hello, an ended session) stays.
      this.lastError = msg.message;
      this.status(msg.message);
      if (typeof msg.n === 'number') {
        setTimeout(() => { if (this.statusLine.textContent === msg.message) this.status(''); }, 5000);
      }
      this.dispatchEvent(new CustomEvent('error', { detail: { message: msg.message } }));
      return;
    } else {
      return;
    }
    this.scheduleRender();
  }

  // The focused text box with its pending keys guessed, and whether any are.
  guess() {
    const focused = this.focusedBox();
    if (!focused) return { focused: null, box: null, guessed: false };
    const pic = this.picture;
    const base = { text: focused.dorvanePicture.text, selStart: pic.selStart,
      selLength: pic.selLength, maxLength: focused.dorvanePicture.maxLength };
    const box = predict(base, this.pending.filter((p) => p.n > this.maxAcked));
    return { focused, box, guessed: box !== base };
  }

  guessing() {
    return this.guess().guessed;
  }

  // Input n was applied; byPatch: the patch that has just come answers it
  // (a key is then timed until that patch is painted).
  onAck(n, byPatch) {
    this.maxAcked = Math.max(this.maxAcked, n);
    this.pending = this.pending.filter((p) => p.n !== n);
    if (byPatch && this.keyTimes.has(n)) this.answered.push(this.keyTimes.get(n));
    this.keyTimes.delete(n);
    this.scheduleRender();
  }

  // New host values; `change` when the list or the range moved.
  updateHost(values, whole) {
    const old = this.host;
    this.host = whole ? { ...values } : { ...old, ...values };
    if (Object.keys(old).length === 0) return;  // the first picture changes nothing
    const moved = (names) => names.some((k) => k in values && values[k] !== old[k]);
    if (moved(LIST)) this.dispatchEvent(new CustomEvent('change', { detail: { what: 'list' } }));
    if (moved(RANGE)) this.dispatchEvent(new CustomEvent('change', { detail: { what: 'range' } }));
  }

  scheduleRender() {
    if (this.frame) return;
    this.frame = requestAnimationFrame(() => {
      this.frame = 0;
      this.render();
    });
  }

  // Draws the picture: surfaces and dialogs, their controls, the message
  // boxes, the texts with the guess of pending keys, and the focus. It only
  // writes to the page, but for the element's place read first when a modal
  // form opens, so the frame lays the page out once.
  render() {
    // Whether the element holds the page's focus, taken before a control
    // under the focus is removed or disabled and the page would lose it.
    const holding = this.shadowRoot.activeElement !== null || document.activeElement === this;
    const pic = this.picture;
    const place = this.windows.opens(pic) ? { rect: this.getBoundingClientRect(),
      room: { width: innerWidth, height: innerHeight } } : null;
    this.windows.draw(pic);
    this.renderTexts();
    if (place) this.windows.openForms(pic, place);
    this.windows.drawBoxes(pic.boxes);
    this.windows.centre(this, (dialog) => !dialog.dataset.placed);
    this.placeFocus(holding);
    this.renderedSeq = this.receivedSeq;
    const now = performance.now();
    for (const start of this.answered.splice(0)) this.keyToPaint.push(now - start);
    for (const start of this.guessed.splice(0)) this.keyToGuess.push(now - start);
  }

  // The element of the focused text box, or null when the focus is elsewhere.
  focusedBox() {
    const pic = this.picture;
    const node = this.windows.node(pic.focusContainer, pic.focusControl);
    return node && node.dorvanePicture.kind === 'TextBox' ? node : null;
  }

  renderTexts() {
    const focused = this.focusedBox();
    for (const node of this.windows.nodes.values()) {
      const p = node.dorvanePicture;
      if (p.kind !== 'TextBox' || node === focused) continue;
      if (node.value !== p.text) node.value = p.text;
    }
    if (!focused || this.composing) return;
    const { box } = this.guess();
    if (focused.value !== box.text) focused.value = box.text;
    const start = unitsOf(box.text, box.selStart);
    const end = unitsOf(box.text, box.selStart + box.selLength);
    if (focused.selectionStart !== start || focused.selectionEnd !== end) focused.setSelectionRange(start, end);
  }

  // The browser's focus goes where the toolkit's is when the element holds
  // it (or has just got it), or a dialog of it is open.
  placeFocus(holding) {
    if (this.windows.boxes.length > 0) return;
    if (!holding && this.picture.modalForms.length === 0) return;
    const pic = this.picture;
    const target = this.windows.node(pic.focusContainer, pic.focusControl);
    if (target && !target.disabled) {
      if (this.shadowRoot.activeElement !== target) target.focus({ preventScroll: true });
    } else if (this.shadowRoot.activeElement === null && document.activeElement !== this) {
      this.focus({ preventScroll: true });
    }
  }

  // The focus came to the element from the page: after a leave the control
  // gets it back, at its first tab stop after Tab, its last after Shift+Tab.
  onFocus() {
    if (this.away) {
      this.away = false;
      const tabbed = performance.now() - lastTab.at < 500;
      this.sendInput({ type: 'enter', at: tabbed ? (lastTab.back ? 'last' : 'first') : 'remembered' });
    }
    this.placeFocus(true);
  }

  // The page's focus went to a field of the page: the control loses it.
  onFocusOut(event) {
    const to = event.relatedTarget;
    if (this.away || to === null || to === this || this.shadowRoot.contains(to)) return;
    if (this.picture.modalForms.length > 0 || this.windows.boxes.length > 0) return;
    this.away = true;
    this.sendInput({ type: 'leave' });
  }

  // Tab on the last tab stop (Shift+Tab on the first) is the browser's: its
  // focus moves on to the page's next (previous) field. Only when every input
  // has been answered, since the ends the server said are those of its focus.
  tabLeaves(event) {
    if (event.key !== 'Tab' || event.ctrlKey || event.altKey || event.metaKey) return false;
    if (this.pending.length > 0 || this.picture.modalForms.length > 0 || this.windows.boxes.length > 0) return false;
    return event.shiftKey ? this.tabOut.previous : this.tabOut.next;
  }

  // The server took a Tab sent while inputs were waiting as leaving the
  // control: the page's focus moves on to its neighbouring field, as the
  // browser's own Tab would have moved it, unless it has left already.
  leaveBy(back) {
    if (document.activeElement !== this) return;
    this.away = true;
    const rank = (n) => (n.tabIndex > 0 ? n.tabIndex : Infinity);
    const order = [...document.querySelectorAll('a[href], button, input, select, textarea, [tabindex]')]
      .filter((n) => n === this || (n.tabIndex >= 0 && !n.disabled && n.getClientRects().length > 0))
      .sort((a, b) => rank(a) - rank(b) || 0);
    const next = order[order.indexOf(this) + (back ? -1 : 1)];
    if (next) next.focus();
    else this.blur();
  }

  onKeyDown(event) {
    if (event.isComposing || event.keyCode === 229 || event.defaultPrevented) return;
    if (isClipboardKey(event)) return;
    if (this.tabLeaves(event)) {
      // The element itself stands before its controls in the page's order:
      // out of it for a moment, so that Shift+Tab passes it.
      if (event.shiftKey) {
        const index = this.tabIndex;
        this.tabIndex = -1;
        setTimeout(() => { this.tabIndex = index; });
      }
      return;
    }
    const key = translateKey(event);
    if (!key) return;
    event.preventDefault();
    if (key.text) {
      this.sendInput({ type: 'text', text: key.text });
      return;
    }
    const start = performance.now();
    const input = { type: 'key', code: key.code, shift: key.shift, char: key.char };
    // Where the answers are still to come, the server says whether a Tab leaves.
    if (event.key === 'Tab' && !event.ctrlKey && !event.altKey && !event.metaKey) input.mayLeave = true;
    const n = this.sendInput(input);
    this.keyTimes.set(n, start);
    if (this.guessing()) this.guessed.push(start);
  }

  // Text the browser would put in a box (paste, drop, an IME, a keyboard
  // without keys) goes to the control as typed text; a cut deletes.
  onBeforeInput(event) {
    if (event.inputType === 'insertCompositionText') return;
    event.preventDefault();
    if (event.inputType === 'deleteByCut') {
      this.sendInput({ type: 'key', code: 46, shift: 0, char: 0 });
      return;
    }
    if (!event.inputType.startsWith('insert') || this.composing) return;
    const text = event.data ?? event.dataTransfer?.getData('text/plain') ?? '';
    if (text) this.sendInput({ type: 'text', text });
  }

  controlOf(event) {
    const node = event.composedPath().find((n) => n.dataset?.name !== undefined && this.windows.nodes.get(controlKey(n.dataset)) === n);
    return node ?? null;
  }

  // The toolkit moves the focus: a press does not, except into a text box
  // (so its caret and a drag show). Remembers where a drag began.
  onMouseDown(event) {
    const node = this.controlOf(event);
    if (event.button !== 0) return;
    if (!node || node.dorvanePicture.kind !== 'TextBox') {
      event.preventDefault();
      // A press on the element (on one of its controls, after the focus
      // had left it) brings the page's focus back to it.
      if ((!node || this.away) && this.picture.modalForms.length === 0) this.focus({ preventScroll: true });
    }
    this.dragFrom = node ? { node, x: event.clientX, y: event.clientY } : null;
  }

  // A drag over a text box's text selects: the control gets the selection.
  onMouseUp(event) {
    const from = this.dragFrom;
    this.dragFrom = null;
    if (!from || from.node.dorvanePicture.kind !== 'TextBox') return;
    if (Math.abs(event.clientX - from.x) + Math.abs(event.clientY - from.y) < 4 && !event.shiftKey) return;
    const node = from.node;
    setTimeout(() => {
      const text = node.value;
      const selStart = charactersOf(text, node.selectionStart);
      this.sendInput({ type: 'select', selStart, selLength: charactersOf(text, node.selectionEnd) - selStart });
    });
  }

  // A click is sent as the first click of a pair; the second of a double
  // click is the DblClick alone, as the Qt front end sends it.
  onClick(event) {
    const node = this.controlOf(event);
    if (!node || event.button !== 0) return;
    const p = node.dorvanePicture;
    if (!p.enabled) return;
    if (event.type === 'dblclick') {
      this.sendInput({ type: 'dblclick', control: p.name, container: p.container, second: true });
    } else if (event.detail <= 1) {
      this.sendInput({ type: 'click', control: p.name, container: p.container });
    }
  }
}

for (const property of HOST_PROPERTIES) {
  Object.defineProperty(DorvaneControl.prototype, property, {
    get() {
      return this.host[property];
    },
    set(value) {
      this.set(property, value).catch((error) => this.dispatchEvent(new CustomEvent('error', { detail: error })));
    },
    configurable: true,
    enumerable: true,
  });
}

if (!customElements.get('dorvane-control')) customElements.define('dorvane-control', DorvaneControl);
