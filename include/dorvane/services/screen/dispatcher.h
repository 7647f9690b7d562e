// The dispatcher: the toolkit's window manager. It knows the user control
// placed on the host's window, whether the host or the control holds the
// focus, and the stack of modal forms; it turns keys, clicks and the close box
// into events in the order the toolkit promises (focus, Tab order, key preview,
// KeyDown, KeyPress, the text box's own editing, default and access keys), and
// reports a run-time error that escapes a handler to the Desktop.
// These functions act on the current Screen (host_screen.h): the one whose
// event is being handled, else the default screen of single-control hosts.
// Threads: each thread acts on its own current screen.
// Relies on the containers and controls, and on the Desktop.
#pragma once

#include <cstdint>
#include <functional>

#include "services/screen/form.h"
#include "services/screen/host_screen.h"

namespace screen {

class Desktop;

// --- The host's window ---

// Places a user control on the host's window in place of the one there
// (nullptr removes it), with no event; the host keeps the focus until
// FocusUserControl. Screen::Place puts several side by side.
void PlaceUserControl(UserControl* control);
UserControl* PlacedUserControl();
// The host puts the focus into the control: the control's GotFocus runs; when
// its handler gave the focus to no child, the child that had it last (or the
// first tab stop) gets it. Nothing happens when the control has the focus.
void FocusUserControl();
// The focus leaves the control for the host: LostFocus of the focused child,
// then the control's LostFocus.
void FocusHost();
// True when the control (not the host, not a dialog over it) holds the focus.
bool UserControlHasFocus();

// --- What the user sees ---

// The open modal form on top, else the placed user control (or nullptr).
Container* ActiveContainer();
// The modal form on top, or nullptr when none is open.
Form* ActiveModalForm();
// The control that holds the keyboard focus, or nullptr (the host has it, or
// no control of the active container has it).
Control* FocusedControl();

// --- Input from the user ---

// One key pressed and released on the active container, giving the character
// of the US keyboard (CharacterOfKey).
void PressKey(int16_t keyCode, int16_t shift);
// The same with the character given by the caller (0 for none).
void PressKey(int16_t keyCode, int16_t shift, int16_t keyAscii);
// A mouse click: a text box, button or scroll bar takes the focus first, then
// Click runs. Returns false, doing nothing, when the control is hidden or
// disabled or is not on the active container.
bool ClickControl(Control& control);
// A double click: the click, then DblClick.
bool DoubleClickControl(Control& control);
// The close box of a shown form: the form unloads.
void CloseForm(Form& form);
// A Tab keystroke that runs after the key (or click) being handled now, as the
// Enter-to-Tab translation needs; at once when nothing is being handled.
void SynthesizeTab();

// --- For front ends ---

// Called after every handled key, click and focus move, and by Refresh.
void SetRepaintHook(std::function<void()> hook);
// Forgets the placed control and every open form, which is left unloaded
// without events (a fresh start for tests, and after a script error). The
// repaint hook stays.
void ResetScreen();

// --- Used by the toolkit's own classes ---

// Control::SetFocus: moves the focus within the control's container.
void MoveFocusByCode(Control& control);
// Form::ShowModal and Form::Unload.
void OpenModal(Form& form);
void CloseModal(Form& form);
// Control::Refresh and Container::Refresh.
void RequestRepaint();
// The desktop of the current screen, or nullptr when it uses the process's.
Desktop* CurrentScreenDesktop();
// UserControl's destructor: the control leaves its screen.
void ForgetUserControl(UserControl& control);

}  // namespace screen
