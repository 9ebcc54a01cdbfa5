#include "main_window_fixture.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QtTest/QTest>

#include "resources/control_ids.h"
#include "resources/dialog_11000.h"

namespace {

constexpr const char* kHexDigits = "01234567899abcdefABCDEF";

std::unique_ptr<TEdit> Filtered(TDialog* parent, int id, int limit, const char* chars) {
  auto edit = std::make_unique<TEdit>(parent, id, limit);
  edit->SetValidator(std::make_unique<TFilterValidator>(TCharSet(chars)));
  return edit;
}

std::unique_ptr<TEdit> Ranged(TDialog* parent, int id, int limit, long min, long max) {
  auto edit = std::make_unique<TEdit>(parent, id, limit);
  edit->SetValidator(std::make_unique<TRangeValidator>(min, max));
  return edit;
}

}  // namespace

RecordingDialog::RecordingDialog(TWindowSystem& windows) : TDialog(windows, MainDialogTemplate()) {
  for (int id : kOctetEditIds)
    Edits.push_back(Ranged(this, id, 4, 0, 255));
  Edits.push_back(Ranged(this, IdPortEdit, 6, 0, 65535));
  Edits.push_back(std::make_unique<TEdit>(this, IdNameEdit, 21));
  Edits.push_back(std::make_unique<TEdit>(this, IdServerEdit, 65));
  Edits.push_back(std::make_unique<TEdit>(this, IdProxyEdit, 65));
  for (int id : kMacEditIds)
    Edits.push_back(Filtered(this, id, 3, kHexDigits));
  for (int id : kSerialEditIds)
    Edits.push_back(Filtered(this, id, 3, "0123456789"));
  Edits.push_back(Filtered(this, IdEepromValueEdit, 3, kHexDigits));
  Edits.push_back(Filtered(this, IdEepromAddressEdit, 4, kHexDigits));
  Edits.push_back(std::make_unique<TEdit>(this, IdLabelMacEdit, 17));
}

long RecordingDialog::WindowProc(unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
  Messages.push_back({message, wParam, lParam});
  if (OnMessage) OnMessage(Messages.back());
  return TDialog::WindowProc(message, wParam, lParam);
}

std::vector<std::pair<unsigned, unsigned>> RecordingDialog::Commands() const {
  std::vector<std::pair<unsigned, unsigned>> commands;
  for (const Message& m : Messages) {
    if (m.Number == WM_COMMAND) commands.emplace_back(LowWord(m.WParam), HighWord(m.WParam));
  }
  return commands;
}

void MainWindowTest::SetUp() {
  Windows.CreateMainWindow({"Vellora", kIconId}, Dialog);
  Frame()->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(Frame()));
}

QWidget* MainWindowTest::Control(int id) const {
  QWidget* widget = Windows.ControlWidget(id);
  EXPECT_NE(widget, nullptr) << "no control " << id;
  return widget;
}

bool MainWindowTest::PumpUntil(const std::function<bool()>& condition) {
  // A bound against a hang, not a measure of time: the tests never wait for a duration.
  QDeadlineTimer deadline(10000);
  while (!condition()) {
    if (deadline.hasExpired()) return false;
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents, 50);
  }
  return true;
}
