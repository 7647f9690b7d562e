// The element's copy of the server's picture of the screen
// (screen::Snapshot) and the application of a diff to it, as screen::Apply
// does: changed items put in, gone ones taken out, the order of the diff when
// it gives one (else the old order with new items last), and the focus, the
// modal stack and the waiting boxes when they changed.

const controlKey = (c) => c.container + '\u0000' + c.name;
const pairKey = (pair) => pair[0] + '\u0000' + pair[1];

// The items after a diff: from, changed, gone keys, optional order of keys.
function applyItems(from, changed, gone, order, keyOf, orderKey) {
  const items = new Map();
  const keys = [];
  for (const item of from) {
    items.set(keyOf(item), item);
    keys.push(keyOf(item));
  }
  for (const key of gone) items.delete(key);
  for (const item of changed) {
    const key = keyOf(item);
    if (!items.has(key)) keys.push(key);
    items.set(key, item);
  }
  const result = [];
  for (const key of order ? order.map(orderKey) : keys) {
    if (items.has(key)) result.push(items.get(key));
  }
  return result;
}

// An empty picture: nothing placed, the host holding the focus.
export function emptyPicture() {
  return {
    containers: [], controls: [], focusContainer: '', focusControl: '', selStart: 0,
    selLength: 0, modalForms: [], boxes: [],
  };
}

// `from` with `diff` applied.
export function applyDiff(from, diff) {
  const to = { ...from };
  to.containers = applyItems(from.containers, diff.containers ?? [], diff.containersGone ?? [],
                             diff.containerOrder, (c) => c.name, (name) => name);
  to.controls = applyItems(from.controls, diff.controls ?? [],
                           (diff.controlsGone ?? []).map(pairKey), diff.controlOrder,
                           controlKey, pairKey);
  if (diff.focus) {
    to.focusContainer = diff.focus.container;
    to.focusControl = diff.focus.control;
    to.selStart = diff.focus.selStart;
    to.selLength = diff.focus.selLength;
  }
  if (diff.modalForms) to.modalForms = diff.modalForms;
  if (diff.boxes) to.boxes = diff.boxes;
  return to;
}

export { controlKey };
