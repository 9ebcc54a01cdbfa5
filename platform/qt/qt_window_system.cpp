#include "platform/qt/qt_window_system.h"

#include <QApplication>
#include <QCheckBox>
#include <QEventLoop>
#include <QStyle>
#include <QStyleFactory>

#include "platform/dialog.h"
#include "platform/qt/dialog_button.h"
#include "platform/qt/drop_down_list.h"
#include "platform/qt/edit_field.h"
#include "platform/qt/frame_window.h"
#include "platform/qt/group_box_widget.h"
#include "platform/qt/label_widget.h"
#include "platform/qt/list_box_view.h"
#include "platform/qt/resource_images.h"
#include "platform/qt/timer_table.h"
#include "platform/qt/windows1252.h"

namespace {

// For a QApplication made without the program's command line.
int gArgc = 1;
char gProgramName[] = "qt-window-system";
char* gArgv[] = {gProgramName, nullptr};

std::unique_ptr<QApplication> ApplicationFor(int& argc, char** argv) {
  if (QCoreApplication::instance() != nullptr) return nullptr;
  return std::make_unique<QApplication>(argc, argv);
}

// The same style everywhere: the dialog's fixed pixel geometry is laid out for it.
void PrepareApplication() {
  if (QApplication::style()->name().compare(QStringLiteral("fusion"), Qt::CaseInsensitive) != 0)
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
  // The window system ends its own loop when the frame closes; a message box closed before
  // the frame exists must not end anything.
  QApplication::setQuitOnLastWindowClosed(false);
}

QString Text(const std::string& bytes) {
  return FromWindows1252(UpToNul(bytes));
}

}  // namespace

QtWindowSystem::QtWindowSystem() : QtWindowSystem(gArgc, gArgv) {}

QtWindowSystem::QtWindowSystem(int& argc, char** argv)
    : OwnApplication(ApplicationFor(argc, argv)) {
  PrepareApplication();
  Timers = std::make_unique<TimerTable>([this](unsigned id) { Deliver(WM_TIMER, id, 0); });
}

QtWindowSystem::~QtWindowSystem() {
  // The dialog object and the validators it owns are usually gone by now, while taking the
  // window down still moves the focus and closes the frame: nothing may reach them.
  DialogObject = nullptr;
  Timers.reset();
  if (!Frame) return;
  Frame->CanClose = nullptr;
  Frame->Closed = nullptr;
  for (const auto& [id, entry] : Controls) {
    if (entry.Kind == ControlKind::Edit) static_cast<EditField*>(entry.Widget)->SetRule(nullptr);
  }
  Frame.reset();
}

void QtWindowSystem::Deliver(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  if (DialogObject != nullptr) DialogObject->WindowProc(message, wParam, lParam);
}

// --- Application ---

void QtWindowSystem::CreateMainWindow(const TFrameSpec& frameSpec, TDialog& dialog) {
  DialogObject = &dialog;
  Template = &dialog.Template();
  Frame = std::make_unique<FrameWindow>(frameSpec);
  Frame->SetCaption(Text(frameSpec.Title));
  Frame->setWindowIcon(ResourceIcon(frameSpec.IconId));
  Frame->CanClose = [this] { return DialogObject == nullptr || DialogObject->CanClose(); };
  Frame->Closed = [this] {
    if (RunLoop) RunLoop->exit(0);
  };

  Dialog = new QWidget(Frame.get());
  Dialog->setAutoFillBackground(true);
  Dialog->setWindowTitle(Text(Template->Caption != nullptr ? Template->Caption : ""));
  Dialog->setFont(DialogFont(Template->PointSize));
  Units = MeasureBaseUnits(Dialog->font());
  Controls = BuildDialogControls(*Dialog, *Template, Units,
                                 [this](int id, unsigned code, QWidget* control) {
                                   Deliver(WM_COMMAND, MakeLong(static_cast<unsigned>(id), code),
                                           reinterpret_cast<std::intptr_t>(control));
                                 });
  const TRect size = MapDialogRect(0, 0, Template->Width, Template->Height, Units.X, Units.Y);
  Dialog->resize(size.Width(), size.Height());
  Frame->SetClient(Dialog);

  dialog.SetupWindow();
  Frame->show();
}

int QtWindowSystem::Run() {
  if (!Frame || !Frame->isVisible()) return 0;
  QEventLoop loop;
  RunLoop = &loop;
  return loop.exec();
}

// --- Frame ---

void QtWindowSystem::SetFrameCaption(const std::string& caption) {
  if (Frame) Frame->SetCaption(Text(caption));
}

bool QtWindowSystem::IsFrameIconic() const {
  return Frame && Frame->isMinimized();
}

QWidget* QtWindowSystem::FrameWidget() const {
  return Frame.get();
}

// --- Dialog window ---

void QtWindowSystem::SetDialogCaption(const std::string& caption) {
  // The dialog is a child of the frame: its caption is kept, but never shown.
  if (Dialog != nullptr) Dialog->setWindowTitle(Text(caption));
}

TRect QtWindowSystem::GetDialogClientRect() const {
  if (Dialog == nullptr) return {};
  return {0, 0, Dialog->width(), Dialog->height()};
}

void QtWindowSystem::SetDialogSize(int width, int height) {
  if (Dialog == nullptr) return;
  Dialog->resize(std::max(0, width), std::max(0, height));
  Frame->FitClient();
}

TRect QtWindowSystem::GetControlRect(int id) const {
  const QWidget* widget = ControlWidget(id);
  if (widget == nullptr) return {};
  const QRect r = widget->geometry();
  return {r.left(), r.top(), r.left() + r.width(), r.top() + r.height()};
}

// --- Controls by id ---

QWidget* QtWindowSystem::ControlWidget(int id) const {
  const auto found = Controls.find(id);
  return found == Controls.end() ? nullptr : found->second.Widget;
}

template <class T>
T* QtWindowSystem::Control(int id, ControlKind kind) const {
  const auto found = Controls.find(id);
  if (found == Controls.end() || found->second.Kind != kind) return nullptr;
  return static_cast<T*>(found->second.Widget);
}

void QtWindowSystem::SetDlgItemText(int id, const std::string& text) {
  const auto found = Controls.find(id);
  if (found == Controls.end()) return;
  QWidget* widget = found->second.Widget;
  const QString shown = Text(text);
  switch (found->second.Kind) {
    case ControlKind::Edit:
      static_cast<EditField*>(widget)->SetProgramText(shown);
      break;
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      static_cast<QAbstractButton*>(widget)->setText(shown);
      break;
    case ControlKind::Label:
      static_cast<LabelWidget*>(widget)->SetText(shown);
      break;
    case ControlKind::GroupBox:
      static_cast<GroupBoxWidget*>(widget)->SetTitle(shown);
      break;
    case ControlKind::DropDownList:
      break;  // a drop-down list shows its selected entry only
    default:
      widget->setWindowTitle(shown);  // kept, not shown
      break;
  }
}

std::string QtWindowSystem::GetDlgItemText(int id) const {
  const auto found = Controls.find(id);
  if (found == Controls.end()) return {};
  const QWidget* widget = found->second.Widget;
  QString text;
  switch (found->second.Kind) {
    case ControlKind::Edit:
      text = static_cast<const EditField*>(widget)->text();
      break;
    case ControlKind::CheckBox:
    case ControlKind::PushButton:
    case ControlKind::DefaultPushButton:
      text = static_cast<const QAbstractButton*>(widget)->text();
      break;
    case ControlKind::Label:
      text = static_cast<const LabelWidget*>(widget)->Text();
      break;
    case ControlKind::GroupBox:
      text = static_cast<const GroupBoxWidget*>(widget)->Title();
      break;
    case ControlKind::DropDownList:
      text = static_cast<const QComboBox*>(widget)->currentText();
      break;
    default:
      text = widget->windowTitle();
      break;
  }
  return ToWindows1252(text);
}

void QtWindowSystem::CheckDlgButton(int id, bool checked) {
  if (auto* box = Control<QCheckBox>(id, ControlKind::CheckBox)) box->setChecked(checked);
}

bool QtWindowSystem::IsDlgButtonChecked(int id) const {
  const auto* box = Control<QCheckBox>(id, ControlKind::CheckBox);
  return box != nullptr && box->isChecked();
}

void QtWindowSystem::EnableWindow(int id, bool enable) {
  if (QWidget* widget = ControlWidget(id)) widget->setEnabled(enable);
}

void QtWindowSystem::ShowWindow(int id, int showCommand) {
  if (QWidget* widget = ControlWidget(id)) widget->setVisible(showCommand != SW_HIDE);
}

void QtWindowSystem::SetFocus(int id) {
  if (QWidget* widget = ControlWidget(id)) widget->setFocus(Qt::OtherFocusReason);
}

void QtWindowSystem::SetTextLimit(int id, int limit) {
  if (auto* edit = Control<EditField>(id, ControlKind::Edit))
    edit->SetMaxBytes(limit > 0 ? limit - 1 : -1);
}

void QtWindowSystem::SetValidator(int id, const TValidator* validator) {
  if (auto* edit = Control<EditField>(id, ControlKind::Edit)) edit->SetRule(validator);
}

// --- Drop-down lists ---

void QtWindowSystem::ComboResetContent(int id) {
  if (auto* combo = Control<DropDownList>(id, ControlKind::DropDownList)) combo->clear();
}

int QtWindowSystem::ComboAddString(int id, const std::string& text) {
  auto* combo = Control<DropDownList>(id, ControlKind::DropDownList);
  return combo != nullptr ? combo->AddEntry(Text(text)) : -1;
}

int QtWindowSystem::ComboGetCount(int id) const {
  const auto* combo = Control<DropDownList>(id, ControlKind::DropDownList);
  return combo != nullptr ? combo->count() : 0;
}

int QtWindowSystem::ComboGetSelIndex(int id) const {
  const auto* combo = Control<DropDownList>(id, ControlKind::DropDownList);
  return combo != nullptr ? combo->currentIndex() : -1;
}

void QtWindowSystem::ComboSetSelIndex(int id, int index) {
  auto* combo = Control<DropDownList>(id, ControlKind::DropDownList);
  if (combo == nullptr) return;
  combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

namespace {

// A tool tip would take a text that looks like markup as markup: it gets the text escaped.
QString PlainToolTip(const QString& text) {
  if (text.isEmpty()) return {};
  return QStringLiteral("<qt>%1</qt>")
      .arg(text.toHtmlEscaped().replace(QLatin1Char('\n'), QStringLiteral("<br>")));
}

}  // namespace

void QtWindowSystem::ComboSetItemToolTip(int id, int index, const std::string& text) {
  auto* combo = Control<DropDownList>(id, ControlKind::DropDownList);
  if (combo != nullptr && index >= 0 && index < combo->count())
    combo->setItemData(index, PlainToolTip(Text(text)), Qt::ToolTipRole);
}

void QtWindowSystem::SetToolTip(int id, const std::string& text) {
  if (QWidget* widget = ControlWidget(id)) widget->setToolTip(PlainToolTip(Text(text)));
}

// --- List box ---

int QtWindowSystem::ListGetCount(int id) const {
  const auto* list = Control<ListBoxView>(id, ControlKind::ListBox);
  return list != nullptr ? list->Count() : 0;
}

int QtWindowSystem::ListAddString(int id, const std::string& text) {
  auto* list = Control<ListBoxView>(id, ControlKind::ListBox);
  return list != nullptr ? list->AddLine(UpToNul(text)) : -1;
}

void QtWindowSystem::ListDeleteString(int id, int index) {
  if (auto* list = Control<ListBoxView>(id, ControlKind::ListBox)) list->DeleteLine(index);
}

void QtWindowSystem::ListSetCaretIndex(int id, int index, bool) {
  if (auto* list = Control<ListBoxView>(id, ControlKind::ListBox)) list->SetCaretIndex(index);
}

void QtWindowSystem::ListSetHorizontalExtent(int id, int pixels) {
  if (auto* list = Control<ListBoxView>(id, ControlKind::ListBox))
    list->SetHorizontalExtent(pixels);
}

void QtWindowSystem::ListSetFixedPitchFont(int id) {
  auto* list = Control<ListBoxView>(id, ControlKind::ListBox);
  if (list != nullptr && Template != nullptr) list->setFont(FixedPitchFont(Template->PointSize));
}

// --- Timers ---

unsigned QtWindowSystem::SetTimer(unsigned id, unsigned periodMs) {
  return Timers->Set(id, periodMs);
}

bool QtWindowSystem::KillTimer(unsigned id) {
  return Timers->Kill(id);
}

// --- Message boxes ---

int QtWindowSystem::MessageBox(bool ownedByDialog, const std::string& text,
                               const std::string& caption, unsigned type) {
  QWidget* owner = ownedByDialog ? Frame.get() : nullptr;
  return ShowMessageBox(owner, Text(text), Text(caption), type, BoxObserver);
}
