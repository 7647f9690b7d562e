// Snapshot: the picture of a screen, taken from its containers and controls,
// and the diff between two pictures keyed by container and control name.
#include "services/screen/snapshot.h"

#include <map>
#include <utility>

#include "services/screen/controls.h"
#include "services/screen/form.h"
#include "services/screen/host_screen.h"

namespace screen {
namespace {

using Key = std::pair<std::string, std::string>;

ContainerPicture PictureOf(const Container& c) {
  return {c.Name(), c.IsForm(), c.Caption(), c.Width(), c.Height(), c.BackColor()};
}

// The common properties, then those of the control's kind.
ControlPicture PictureOf(const Control& c) {
  ControlPicture p;
  p.container = c.Owner() != nullptr ? c.Owner()->Name() : "";
  p.name = c.QualifiedName();
  p.kind = c.Kind();
  p.enabled = c.Enabled();
  p.left = c.Left();
  p.top = c.Top();
  p.width = c.Width();
  p.height = c.Height();
  p.backColor = c.BackColor();
  p.toolTipText = c.ToolTipText();
  p.fontName = c.FontName();
  p.fontSize = c.FontSize();
  if (c.Kind() == ControlKind::TextBox) {
    const auto& box = static_cast<const TextBox&>(c);
    p.text = box.Text();
    p.alignment = box.Alignment();
    p.maxLength = box.MaxLength();
  } else if (c.Kind() == ControlKind::Label) {
    const auto& label = static_cast<const Label&>(c);
    p.text = label.Caption();
    p.alignment = label.Alignment();
  } else if (c.Kind() == ControlKind::CommandButton) {
    const auto& button = static_cast<const CommandButton&>(c);
    p.text = button.Caption();
    p.picture = button.Picture();
    p.isDefault = button.Default();
    p.isCancel = button.Cancel();
  }
  return p;
}

Key KeyOf(const ControlPicture& p) { return {p.container, p.name}; }
const std::string& KeyOf(const ContainerPicture& p) { return p.name; }

// The items of `to` that are new or differ from `from`, the keys of `from`
// that `to` lacks, and the order of `to`'s keys when it is not `from`'s.
template <class Item, class K>
void DiffItems(const std::vector<Item>& from, const std::vector<Item>& to,
               std::vector<Item>& changed, std::vector<K>& gone,
               std::optional<std::vector<K>>& order) {
  std::map<K, const Item*> old;
  std::vector<K> fromKeys;
  for (const Item& item : from) {
    old[KeyOf(item)] = &item;
    fromKeys.push_back(KeyOf(item));
  }
  std::vector<K> toKeys;
  for (const Item& item : to) {
    toKeys.push_back(KeyOf(item));
    auto found = old.find(toKeys.back());
    if (found == old.end() || !(*found->second == item)) changed.push_back(item);
    if (found != old.end()) old.erase(found);
  }
  for (const auto& [key, item] : old) gone.push_back(key);
  if (toKeys != fromKeys) order = std::move(toKeys);
}

// `from` with the changed items put in, the gone ones taken out, in `order`
// when it is given (else in from's order, new items last).
template <class Item, class K>
std::vector<Item> ApplyItems(const std::vector<Item>& from, const std::vector<Item>& changed,
                             const std::vector<K>& gone,
                             const std::optional<std::vector<K>>& order) {
  std::map<K, Item> items;
  std::vector<K> keys;
  for (const Item& item : from) {
    items[KeyOf(item)] = item;
    keys.push_back(KeyOf(item));
  }
  for (const K& key : gone) items.erase(key);
  for (const Item& item : changed) {
    if (items.insert_or_assign(KeyOf(item), item).second) keys.push_back(KeyOf(item));
  }
  std::vector<Item> result;
  for (const K& key : order ? *order : keys) {
    if (auto found = items.find(key); found != items.end()) result.push_back(found->second);
  }
  return result;
}

}  // namespace

bool SnapshotDiff::Empty() const {
  return containers.empty() && containersGone.empty() && controls.empty() && controlsGone.empty() &&
         !containerOrder && !controlOrder && !focus && !modalForms && !boxes;
}

// The placed user controls, then the modal forms bottom first; hidden
// controls paint nothing and are left out.
Snapshot TakeSnapshot(const Screen& screen) {
  Snapshot s;
  std::vector<const Container*> containers(screen.Placed().begin(), screen.Placed().end());
  for (const Form* form : screen.ModalForms()) {
    containers.push_back(form);
    s.modalForms.push_back(form->Name());
  }
  for (const Container* c : containers) {
    s.containers.push_back(PictureOf(*c));
    for (const Control* control : c->Controls()) {
      if (control->Visible()) s.controls.push_back(PictureOf(*control));
    }
  }
  if (const Control* focused = screen.FocusedControl()) {
    s.focusContainer = focused->Owner() != nullptr ? focused->Owner()->Name() : "";
    s.focusControl = focused->QualifiedName();
    if (focused->Kind() == ControlKind::TextBox) {
      s.selStart = static_cast<const TextBox*>(focused)->SelStart();
      s.selLength = static_cast<const TextBox*>(focused)->SelLength();
    }
  }
  const Desktop* desktop = screen.OwnDesktop();
  s.boxes = (desktop != nullptr ? *desktop : GetDesktop()).WaitingBoxes();
  return s;
}

SnapshotDiff Diff(const Snapshot& from, const Snapshot& to) {
  SnapshotDiff d;
  DiffItems(from.containers, to.containers, d.containers, d.containersGone, d.containerOrder);
  DiffItems(from.controls, to.controls, d.controls, d.controlsGone, d.controlOrder);
  if (from.focusContainer != to.focusContainer || from.focusControl != to.focusControl ||
      from.selStart != to.selStart || from.selLength != to.selLength) {
    d.focus = SnapshotDiff::Focus{to.focusContainer, to.focusControl, to.selStart, to.selLength};
  }
  if (from.modalForms != to.modalForms) d.modalForms = to.modalForms;
  if (from.boxes != to.boxes) d.boxes = to.boxes;
  return d;
}

Snapshot Apply(const Snapshot& from, const SnapshotDiff& diff) {
  Snapshot s = from;
  s.containers =
      ApplyItems(from.containers, diff.containers, diff.containersGone, diff.containerOrder);
  s.controls = ApplyItems(from.controls, diff.controls, diff.controlsGone, diff.controlOrder);
  if (diff.focus) {
    s.focusContainer = diff.focus->container;
    s.focusControl = diff.focus->control;
    s.selStart = diff.focus->selStart;
    s.selLength = diff.focus->selLength;
  }
  if (diff.modalForms) s.modalForms = *diff.modalForms;
  if (diff.boxes) s.boxes = *diff.boxes;
  return s;
}

}  // namespace screen
