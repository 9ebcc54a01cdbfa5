#include "platform/qt/drop_down_list_accessible.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>

#include "platform/qt/drop_down_list.h"

namespace {

// A drop-down list as a reader sees it: its name, the chosen entry as its value, the opened
// list as its one child, and the actions that open and close it.
class DropDownListAccessible : public QAccessibleWidget {
 public:
  explicit DropDownListAccessible(DropDownList* list)
      : QAccessibleWidget(list, QAccessible::ComboBox) {}

  QString text(QAccessible::Text kind) const override {
    if (kind == QAccessible::Value) return List()->currentText();
    if (kind == QAccessible::Name && widget()->accessibleName().isEmpty())
      return List()->currentText();
    return QAccessibleWidget::text(kind);
  }

  int childCount() const override { return 1; }
  QAccessibleInterface* child(int index) const override {
    return index == 0 ? QAccessible::queryAccessibleInterface(List()->view()) : nullptr;
  }
  int indexOfChild(const QAccessibleInterface* child) const override {
    return child != nullptr && child->object() == List()->view() ? 0 : -1;
  }

  QStringList actionNames() const override {
    QStringList names = {showMenuAction(), pressAction()};
    names << QAccessibleWidget::actionNames();
    return names;
  }
  void doAction(const QString& action) override {
    if (action == showMenuAction() || action == pressAction()) {
      if (List()->view()->isVisible())
        List()->hidePopup();
      else
        List()->showPopup();
      return;
    }
    QAccessibleWidget::doAction(action);
  }

 private:
  DropDownList* List() const { return static_cast<DropDownList*>(widget()); }
};

QAccessibleInterface* Factory(const QString& /*className*/, QObject* object) {
  if (auto* list = dynamic_cast<DropDownList*>(object)) return new DropDownListAccessible(list);
  return nullptr;
}

}  // namespace

void InstallDropDownListAccessibility() {
  static const bool kInstalled = [] {
    QAccessible::installFactory(&Factory);
    return true;
  }();
  (void)kInstalled;
}
