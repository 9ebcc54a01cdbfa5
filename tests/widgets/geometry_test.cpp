// The real program's window at the standard settings; the high-DPI binary runs the same test
// at device pixel ratio 2 (QT_SCALE_FACTOR), where the logical geometry must stay the same.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QPixmap>
#include <QStyle>
#include <QStyleOptionButton>

#include "platform/memory/memory_socket_layer.h"
#include "platform/qt/label_widget.h"
#include "resources/control_ids.h"
#include "tests/support/qt_program.h"

TEST(VELLORA_GEOMETRY_SUITE, TheTemplatesPixelGeometryWithEveryTextInsideItsControl) {
  MemorySocketLayer sockets;
  QtProgram program(sockets);
  program.Click(IdExpandButton);
  const int ratio = qMax(1, qEnvironmentVariableIntValue("QT_SCALE_FACTOR"));
  ASSERT_EQ(program.Frame()->devicePixelRatio(), ratio);
  QtWindowSystem& windows = program.Windows();
  EXPECT_EQ(windows.BaseUnits().X, 6);
  EXPECT_EQ(windows.BaseUnits().Y, 13);
  EXPECT_EQ(windows.GetDialogClientRect(), (TRect{0, 0, 459, 756}));
  EXPECT_EQ(windows.GetControlRect(IdExpandButton), (TRect{390, 475, 450, 497}));
  EXPECT_EQ(program.Frame()->grab().toImage().size(), QSize(459, 756) * ratio);

  // Every text inside its control: a button's within its contents rectangle, a label's at
  // most slightly narrowed (a text too wide to narrow wraps).
  for (QWidget* widget : windows.DialogWidget()->findChildren<QWidget*>()) {
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(button);
      const auto element = qobject_cast<QCheckBox*>(button) ? QStyle::SE_CheckBoxContents
                                                            : QStyle::SE_PushButtonContents;
      EXPECT_LE(button->fontMetrics().horizontalAdvance(button->text().replace("&&", "&")),
                button->style()->subElementRect(element, &option, button).width())
          << button->text().toStdString();
    } else if (const auto* label = dynamic_cast<const LabelWidget*>(widget)) {
      EXPECT_LE(label->fontMetrics().horizontalAdvance(label->ShownText()) * label->TextScale(),
                label->width() + 0.5)
          << label->Text().toStdString();
    }
  }
}
