// The windows of an element: the control's surface and each modal form's
// window, with the elements of their controls as the picture has them, and
// the message box the server waits on. A closed form's window is kept with
// its controls' elements, out of the page, and its next open writes only
// what changed. Only the element's render calls these, once a frame.

import { controlKey } from './picture.js';
import { colorOf, createControl, paintControl, surfaceSize } from './painting.js';
import { boxDialog, centreOver, formDialog, formDialogSize, placeOver } from './dialogs.js';

export class Windows {
  // root: the element's shadow root (dialogs go there); surfaces: where the
  // control's surface goes; send(input): sends an input to the server.
  constructor(root, surfaces, send) {
    this.root = root;
    this.surfaces = surfaces;
    this.send = send;
    this.nodes = new Map();       // control key -> element
    this.holders = new Map();     // container name -> {element, dialog?, setCaption?, size, opening?}
    this.closedForms = new Map(); // form name -> {holder, nodes} of its closed window
    this.boxes = [];              // {box, index, answered, dialog} shown
  }

  // The element of a control, or undefined.
  node(container, control) {
    return this.nodes.get(container + '\u0000' + control);
  }

  // True when the picture opens a modal form that has no window on the page.
  opens(pic) {
    return pic.containers.some((c) => c.isForm && !this.holders.has(c.name));
  }

  // Puts the picture's containers and controls on the page and takes off
  // those it no longer has. New forms' windows are filled, not yet shown.
  draw(pic) {
    const byContainer = new Map(pic.containers.map((c) => [c.name, []]));
    for (const c of pic.controls) byContainer.get(c.container)?.push(c);
    for (const [name, holder] of this.holders) {
      if (!byContainer.has(name)) this.closeContainer(name, holder);
    }
    for (const container of pic.containers) this.drawContainer(container, byContainer.get(container.name));
    const live = new Set(pic.controls.map(controlKey));
    for (const [key, node] of this.nodes) {
      if (!live.has(key)) {
        node.remove();
        this.nodes.delete(key);
      }
    }
  }

  // Takes a container off the page; a modal form's window is kept.
  closeContainer(name, holder) {
    this.holders.delete(name);
    if (!holder.dialog) {
      holder.element.remove();
      return;
    }
    holder.dialog.close();
    holder.dialog.remove();
    const nodes = new Map();
    for (const [key, node] of this.nodes) {
      if (node.dorvanePicture.container === name) nodes.set(key, node);
    }
    for (const key of nodes.keys()) this.nodes.delete(key);
    this.closedForms.set(name, { holder, nodes });
  }

  // Puts a container on the page, with its controls. A modal form that was
  // open before comes back in its kept window.
  drawContainer(container, controls) {
    let holder = this.holders.get(container.name);
    const closed = container.isForm && !holder ? this.closedForms.get(container.name) : null;
    if (closed) {
      this.closedForms.delete(container.name);
      holder = closed.holder;
      holder.opening = true;
      delete holder.dialog.dataset.placed;
      for (const [key, node] of closed.nodes) this.nodes.set(key, node);
      this.root.append(holder.dialog);
      this.holders.set(container.name, holder);
    } else if (!holder) {
      if (container.isForm) {
        const form = formDialog(container.name, container.caption,
                                () => this.send({ type: 'closeForm', form: container.name }));
        this.root.append(form.dialog);
        holder = { element: form.body, dialog: form.dialog, setCaption: form.setCaption, opening: true };
      } else {
        const element = document.createElement('div');
        element.className = 'surface';
        element.dataset.container = container.name;
        this.surfaces.append(element);
        holder = { element };
      }
      this.holders.set(container.name, holder);
    }
    const { width, height } = surfaceSize(container, controls);
    holder.size = { width, height };
    const s = holder.element.style;
    s.width = width + 'px';
    s.height = height + 'px';
    s.background = colorOf(container.backColor);
    if (holder.setCaption) holder.setCaption(container.caption);
    for (const c of controls) {
      const key = controlKey(c);
      let node = this.nodes.get(key);
      if (!node || node.dorvanePicture.kind !== c.kind) {
        node?.remove();
        node = createControl(c);
        this.nodes.set(key, node);
        holder.element.append(node);
      }
      paintControl(node, c);
    }
  }

  // Shows the modal forms filled in this frame, each placed over the element
  // (at place.rect, in a window of place.room) by the size of its surface,
  // with the toolkit's focus given as it opens: showModal focuses, which lays
  // the page out, so that happens once with everything in.
  openForms(pic, place) {
    const target = this.node(pic.focusContainer, pic.focusControl);
    for (const holder of this.holders.values()) {
      if (!holder.opening) continue;
      holder.opening = false;
      const { width, height } = formDialogSize(holder.size.width, holder.size.height);
      placeOver(holder.dialog, place.rect, width, height, place.room);
      holder.dialog.dataset.placed = '1';
      const inside = target && !target.disabled && holder.element.contains(target);
      if (inside) target.autofocus = true;
      holder.dialog.showModal();
      if (inside) target.autofocus = false;
    }
  }

  // The newest waiting box is shown; one answered here stays hidden until
  // the server takes it away.
  drawBoxes(boxes) {
    for (const shown of this.boxes.splice(0)) {
      const i = boxes.findIndex((b, at) => at === shown.index && b.prompt === shown.box.prompt);
      if (i >= 0 && !shown.answered) this.boxes.push(shown);
      else shown.dialog.remove();
    }
    const index = boxes.length - 1;
    if (index < 0 || this.boxes.some((b) => b.index === index)) return;
    const entry = { box: boxes[index], index, answered: false };
    const { dialog, ok } = boxDialog(boxes[index], () => {
      entry.answered = true;
      dialog.close();
      this.send({ type: 'answer', box: index, button: 1 });
    });
    entry.dialog = dialog;
    this.root.append(dialog);
    dialog.showModal();
    ok.focus();
    this.boxes.push(entry);
  }

  // Centres the open dialogs that `which` picks over `element` (new ones once
  // their controls are in; all of them when the page moves).
  centre(element, which) {
    const dialogs = [...this.holders.values()].map((h) => h.dialog).concat(this.boxes.map((b) => b.dialog));
    for (const dialog of dialogs) {
      if (!dialog?.open || !which(dialog)) continue;
      centreOver(dialog, element);
      dialog.dataset.placed = '1';
    }
  }
}
