#include "platform/memory/memory_window_system.h"

#include <algorithm>

#include "platform/validators.h"

void MemoryWindowSystem::CreateMainWindow(const TFrameSpec& frame, TDialog& dialog) {
  Frame = frame;
  FrameCaption = frame.Title;
  Dialog = &dialog;
  const DialogTemplate& t = dialog.Template();
  DialogCaption = t.Caption;
  const TRect size = MapDialogRect(0, 0, t.Width, t.Height, kStandardBaseUnitX, kStandardBaseUnitY);
  DialogWidth = size.Width();
  DialogHeight = size.Height();
  for (const DialogControl& def : t.Controls) {
    if (def.Id < 0) continue;
    Control c;
    c.Def = def;
    c.Rect = MapDialogRect(def.X, def.Y, def.W, def.H, kStandardBaseUnitX, kStandardBaseUnitY);
    c.Text = def.Text;
    c.Enabled = (def.Style & control_style::Disabled) == 0;
    Controls[def.Id] = c;
  }
  Journal.push_back("CreateMainWindow");
  dialog.SetupWindow();
  Shown = true;
  Journal.push_back("ShowFrame");
}

int MemoryWindowSystem::Run() {
  return 0;
}

MemoryWindowSystem::Control& MemoryWindowSystem::At(int id) {
  auto it = Controls.find(id);
  if (it != Controls.end()) return it->second;
  // An id the dialog does not have: the call does nothing, as on the original platform.
  static Control scratch;
  scratch = Control{};
  Journal.push_back("UnknownId " + std::to_string(id));
  return scratch;
}

const MemoryWindowSystem::Control& MemoryWindowSystem::Get(int id) const {
  static const Control none{};
  auto it = Controls.find(id);
  return it != Controls.end() ? it->second : none;
}

long MemoryWindowSystem::Send(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  return Dialog != nullptr ? Dialog->WindowProc(message, wParam, lParam) : 0;
}

void MemoryWindowSystem::SetFrameCaption(const std::string& caption) {
  FrameCaption = caption;
  Journal.push_back("SetFrameCaption " + caption);
}

void MemoryWindowSystem::SetDialogCaption(const std::string& caption) {
  DialogCaption = caption;
}

void MemoryWindowSystem::SetDialogSize(int width, int height) {
  DialogWidth = width;
  DialogHeight = height;
  Journal.push_back("SetDialogSize " + std::to_string(width) + "x" + std::to_string(height));
}

TRect MemoryWindowSystem::GetControlRect(int id) const {
  return Get(id).Rect;
}

void MemoryWindowSystem::SetDlgItemText(int id, const std::string& text) {
  At(id).Text = text;
}

void MemoryWindowSystem::CheckDlgButton(int id, bool checked) {
  At(id).Checked = checked;
}

bool MemoryWindowSystem::IsDlgButtonChecked(int id) const {
  return Get(id).Checked;
}

void MemoryWindowSystem::EnableWindow(int id, bool enable) {
  At(id).Enabled = enable;
  if (!enable && FocusId == id) FocusId = 0;
}

void MemoryWindowSystem::ShowWindow(int id, int showCommand) {
  At(id).Visible = showCommand != SW_HIDE;
}

void MemoryWindowSystem::SetFocus(int id) {
  const Control& c = Get(id);
  if (c.Enabled && c.Visible && TakesFocus(c.Def.Kind)) FocusId = id;
}

void MemoryWindowSystem::SetTextLimit(int id, int limit) {
  At(id).TextLimit = limit;
}

void MemoryWindowSystem::SetValidator(int id, const TValidator* validator) {
  At(id).Validator = validator;
}

void MemoryWindowSystem::ComboResetContent(int id) {
  Control& c = At(id);
  c.ChangedWhileOpen += c.ListOpen ? 1 : 0;
  c.Items.clear();
  c.ToolTips.clear();
  c.Selected = -1;
}

int MemoryWindowSystem::ComboAddString(int id, const std::string& text) {
  Control& c = At(id);
  c.ChangedWhileOpen += c.ListOpen ? 1 : 0;
  c.Items.push_back(text);
  return static_cast<int>(c.Items.size()) - 1;
}

int MemoryWindowSystem::ComboGetCount(int id) const {
  return static_cast<int>(Get(id).Items.size());
}

int MemoryWindowSystem::ComboGetSelIndex(int id) const {
  return Get(id).Selected;
}

void MemoryWindowSystem::ComboSetSelIndex(int id, int index) {
  Control& c = At(id);
  c.ChangedWhileOpen += c.ListOpen ? 1 : 0;
  c.Selected = index >= 0 && index < static_cast<int>(c.Items.size()) ? index : -1;
}

void MemoryWindowSystem::ComboSetItemToolTip(int id, int index, const std::string& text) {
  Control& c = At(id);
  if (index < 0 || index >= static_cast<int>(c.Items.size())) return;
  c.ToolTips.resize(c.Items.size());
  c.ToolTips[static_cast<std::size_t>(index)] = text;
}

int MemoryWindowSystem::ListGetCount(int id) const {
  return static_cast<int>(Get(id).Items.size());
}

int MemoryWindowSystem::ListAddString(int id, const std::string& text) {
  Control& c = At(id);
  c.Items.push_back(text);
  return static_cast<int>(c.Items.size()) - 1;
}

void MemoryWindowSystem::ListDeleteString(int id, int index) {
  Control& c = At(id);
  if (index < 0 || index >= static_cast<int>(c.Items.size())) return;
  c.Items.erase(c.Items.begin() + index);
}

unsigned MemoryWindowSystem::SetTimer(unsigned id, unsigned periodMs) {
  if (FailSetTimer) return 0;
  Timers[id] = periodMs;
  Journal.push_back("SetTimer " + std::to_string(id) + " " + std::to_string(periodMs));
  return id;
}

bool MemoryWindowSystem::KillTimer(unsigned id) {
  Journal.push_back("KillTimer " + std::to_string(id));
  return Timers.erase(id) > 0;
}

int MemoryWindowSystem::MessageBox(bool ownedByDialog, const std::string& text,
                                   const std::string& caption, unsigned type) {
  Boxes.push_back({ownedByDialog, text, caption, type});
  Journal.push_back("MessageBox " + caption);
  if (OnMessageBox) OnMessageBox(Boxes.back());
  return IDOK;
}

void MemoryWindowSystem::Click(int id) {
  Control& c = At(id);
  if (!c.Enabled || !c.Visible) return;
  if (c.Def.Kind == ControlKind::CheckBox) c.Checked = !c.Checked;
  Send(WM_COMMAND, MakeLong(static_cast<unsigned>(id), BN_CLICKED), id);
}

void MemoryWindowSystem::OpenComboList(int id) {
  const Control& c = Get(id);
  if (!c.Enabled || !c.Visible) return;
  Send(WM_COMMAND, MakeLong(static_cast<unsigned>(id), CBN_DROPDOWN), id);
  At(id).ListOpen = true;
}

void MemoryWindowSystem::PickComboEntry(int id, int index) {
  Control& c = At(id);
  if (!c.Enabled || !c.Visible || index < 0 || index >= static_cast<int>(c.Items.size())) return;
  // As a click on an entry does: the list hides, the selection is told, then the closing.
  const bool wasOpen = c.ListOpen;
  c.ListOpen = false;
  c.Selected = index;
  Send(WM_COMMAND, MakeLong(static_cast<unsigned>(id), CBN_SELCHANGE), id);
  if (wasOpen) Send(WM_COMMAND, MakeLong(static_cast<unsigned>(id), CBN_CLOSEUP), id);
}

void MemoryWindowSystem::CloseComboList(int id) {
  if (!At(id).ListOpen) return;
  At(id).ListOpen = false;
  Send(WM_COMMAND, MakeLong(static_cast<unsigned>(id), CBN_CLOSEUP), id);
}

int MemoryWindowSystem::Type(int id, const std::string& keys) {
  Control& c = At(id);
  if (!c.Enabled || !c.Visible || c.Def.Kind != ControlKind::Edit) return 0;
  int taken = 0;
  for (char key : keys) {
    std::string next = c.Text + key;
    if (c.TextLimit > 0 && static_cast<int>(next.size()) > c.TextLimit - 1) continue;
    if (c.Validator != nullptr && !c.Validator->IsValidInput(next)) continue;
    c.Text = std::move(next);
    ++taken;
  }
  return taken;
}

bool MemoryWindowSystem::FireTimer(unsigned id) {
  if (Timers.find(id) == Timers.end()) return false;
  Send(WM_TIMER, id, 0);
  return true;
}

bool MemoryWindowSystem::CloseFrame() {
  if (Dialog != nullptr && !Dialog->CanClose()) return false;
  Closed = true;
  return true;
}
