#include "tests/support/qt_program.h"

#include "platform/qt/list_box_view.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPixmap>
#include <QtTest/QTest>
#include <algorithm>

#include "resources/control_ids.h"

QtProgram::QtProgram(TSocketLayer& sockets, StartOptions options)
    : WindowSystem(std::make_unique<QtWindowSystem>()) {
  WindowSystem->SetMessageBoxObserver([this](QMessageBox& box) {
    Boxes.push_back({box.text().toStdString(), box.windowTitle().toStdString(), box.icon(),
                     box.textFormat() == Qt::PlainText});
    if (OnBox) {
      OnBox(box);
    } else {
      box.accept();
    }
  });
  App = std::make_unique<TSocketViewApp>("Vellora", *WindowSystem, sockets, options);
  App->InitMainWindow();
  Frame()->activateWindow();
  if (!QTest::qWaitForWindowExposed(Frame())) qWarning("the main window was not exposed");
}

QtProgram::~QtProgram() {
  App.reset();
  WindowSystem.reset();
}

void QtProgram::Click(int id) {
  QWidget* widget = Widget(id);
  if (widget != nullptr) QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

void QtProgram::Type(int id, const QString& keys) {
  QWidget* widget = Widget(id);
  if (widget == nullptr) return;
  widget->setFocus(Qt::OtherFocusReason);
  QTest::keyClicks(widget, keys);
}

void QtProgram::Replace(int id, const QString& keys) {
  QWidget* widget = Widget(id);
  if (widget == nullptr) return;
  widget->setFocus(Qt::OtherFocusReason);
  QTest::keyClick(widget, Qt::Key_A, Qt::ControlModifier);
  QTest::keyClick(widget, Qt::Key_Delete);
  QTest::keyClicks(widget, keys);
}

void QtProgram::Key(int id, Qt::Key key) {
  QWidget* widget = Widget(id);
  if (widget != nullptr) QTest::keyClick(widget, key);
}

void QtProgram::Pick(int comboId, int index) {
  auto* combo = qobject_cast<QComboBox*>(Widget(comboId));
  if (combo == nullptr || index < 0 || index >= combo->count()) return;
  OpenList(comboId);
  ChooseInOpenList(comboId, index);
}

void QtProgram::OpenList(int comboId) {
  if (auto* combo = qobject_cast<QComboBox*>(Widget(comboId))) combo->showPopup();
}

void QtProgram::ChooseInOpenList(int comboId, int index) {
  auto* combo = qobject_cast<QComboBox*>(Widget(comboId));
  if (combo == nullptr || index < 0 || index >= combo->count()) return;
  QAbstractItemView* view = combo->view();
  view->setCurrentIndex(combo->model()->index(index, 0));
  QTest::keyClick(view, Qt::Key_Return);
}

std::vector<std::string> QtProgram::OpenListRows(int comboId) const {
  std::vector<std::string> rows;
  auto* combo = qobject_cast<QComboBox*>(Widget(comboId));
  if (combo == nullptr) return rows;
  const QAbstractItemModel* model = combo->view()->model();
  for (int row = 0; row < model->rowCount(); ++row)
    rows.push_back(model->index(row, 0).data().toString().toStdString());
  return rows;
}

std::string QtProgram::Text(int id) const {
  return WindowSystem->GetDlgItemText(id);
}

std::vector<std::string> QtProgram::Combo(int id) const {
  auto* combo = qobject_cast<QComboBox*>(Widget(id));
  std::vector<std::string> entries;
  if (combo == nullptr) return entries;
  for (int i = 0; i < combo->count(); ++i)
    entries.push_back(combo->itemText(i).toStdString());
  return entries;
}

std::vector<std::string> QtProgram::DebugLines() const {
  std::vector<std::string> lines;
  const auto* list = static_cast<const ListBoxView*>(Widget(IdDebugList));
  for (int i = 0; i < list->Count(); ++i)
    lines.push_back(list->Line(i));
  return lines;
}

bool QtProgram::Contains(const std::string& line) const {
  const auto lines = DebugLines();
  return std::find(lines.begin(), lines.end(), line) != lines.end();
}

bool QtProgram::PumpUntil(const std::function<bool()>& done, int boundMs,
                          const std::function<void()>& eachPass) {
  QDeadlineTimer deadline(boundMs);
  for (;;) {
    if (eachPass) eachPass();
    if (done()) return true;
    if (deadline.hasExpired()) return false;
    QTest::qWait(1);  // runs the event loop for a moment
  }
}

bool QtProgram::Screenshot(const std::string& path) const {
  const QString file = QString::fromStdString(path);
  QDir().mkpath(QFileInfo(file).absolutePath());
  return Frame()->grab().save(file, "PNG");
}
