#include <QAbstractButton>
#include <QStyle>
#include <QStyleOptionButton>

#include "main_window_fixture.h"
#include "platform/qt/group_box_widget.h"
#include "platform/qt/label_widget.h"
#include "platform/qt/windows1252.h"
#include "resources/control_ids.h"
#include "resources/dialog_11000.h"

using GeometryTest = MainWindowTest;

// At the standard settings the template's font gives base units of 6 x 13 pixels, and with
// them the geometry the program's window sizes are computed from.
TEST_F(GeometryTest, StandardSettingsGiveTheTemplatesPixelGeometry) {
  EXPECT_EQ(Windows.BaseUnits().X, 6);
  EXPECT_EQ(Windows.BaseUnits().Y, 13);
  EXPECT_EQ(Windows.GetDialogClientRect(), (TRect{0, 0, 459, 756}));
  EXPECT_EQ(Frame()->size(), QSize(459, 756));
  EXPECT_EQ(Windows.GetControlRect(IdExpandButton), (TRect{390, 475, 450, 497}));
  EXPECT_EQ(Windows.GetControlRect(IdDebugList), (TRect{12, 605, 450, 743}));
  // A closed drop-down list is no taller than a push button; the template's height
  // includes the opened list.
  const TRect combo = Windows.GetControlRect(IdGatewayCombo);
  EXPECT_EQ(combo.Top, 137);
  EXPECT_GE(combo.Height(), 13);
  EXPECT_LE(combo.Height(), 23);
  // Pictures take their bitmap's size; the background one starts left of the window.
  EXPECT_EQ(Windows.GetControlRect(12260), (TRect{0, 0, 988, 90}));
  EXPECT_EQ(Windows.GetControlRect(11229), (TRect{-408, 0, 572, 90}));
}

TEST_F(GeometryTest, TheFrameFollowsTheDialogAndCannotBeResizedOrMaximised) {
  EXPECT_EQ(Frame()->minimumSize(), Frame()->maximumSize());
  EXPECT_FALSE(Frame()->windowFlags() & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(Frame()->windowFlags() & Qt::WindowMinimizeButtonHint);
  for (int round = 0; round < 2; ++round) {
    Windows.SetDialogSize(459, 470);
    EXPECT_EQ(Windows.GetDialogClientRect(), (TRect{0, 0, 459, 470}));
    EXPECT_EQ(Frame()->size(), QSize(459, 470));
    EXPECT_EQ(Frame()->maximumSize(), QSize(459, 470));
    Windows.SetDialogSize(459, 756);
    EXPECT_EQ(Frame()->size(), QSize(459, 756));
  }
  EXPECT_FALSE(Windows.IsFrameIconic());
  Frame()->showMinimized();
  EXPECT_TRUE(Windows.IsFrameIconic());
}

TEST_F(GeometryTest, FrameHasItsCaptionAndIcon) {
  EXPECT_EQ(Windows.GetFrameCaption(), "Vellora");
  Windows.SetFrameCaption("Quenlan V1.11 [*] f\xFCr");
  EXPECT_EQ(Windows.GetFrameCaption(), "Quenlan V1.11 [*] f\xFCr");
  EXPECT_EQ(Frame()->windowTitle(), QStringLiteral("Quenlan V1.11 [*][*] f\u00FCr"));
  EXPECT_EQ(DialogWidget()->windowTitle(), QStringLiteral("Vellora"));
  Windows.SetDialogCaption("Dialog");
  EXPECT_EQ(DialogWidget()->windowTitle(), QStringLiteral("Dialog"));
  const QIcon icon = Frame()->windowIcon();
  ASSERT_FALSE(icon.isNull());
  EXPECT_EQ(icon.availableSizes().value(0), QSize(32, 32));
}

// Every text of the template is shown whole inside its control: labels at most slightly
// narrowed, buttons and check boxes within their contents rectangle.
TEST_F(GeometryTest, EveryTextFitsItsControl) {
  for (const DialogControl& c : MainDialogTemplate().Controls) {
    if (c.Id == -1) continue;  // checked below through the dialog's children
    QWidget* widget = Control(c.Id);
    const QString text = FromWindows1252(c.Text);
    const QFontMetrics metrics = widget->fontMetrics();
    if (auto* button = dynamic_cast<QAbstractButton*>(widget)) {
      QStyleOptionButton option;
      option.initFrom(button);
      const auto element = c.Kind == ControlKind::CheckBox ? QStyle::SE_CheckBoxContents
                                                           : QStyle::SE_PushButtonContents;
      const int room = button->style()->subElementRect(element, &option, button).width();
      EXPECT_LE(metrics.horizontalAdvance(button->text().replace("&&", "&")), room) << c.Id;
    } else if (auto* group = dynamic_cast<GroupBoxWidget*>(widget)) {
      EXPECT_LE(metrics.horizontalAdvance(text), group->width() - 16) << c.Id;
    }
  }
  for (auto* child : DialogWidget()->findChildren<QWidget*>()) {
    // The widgets of this layer have no meta-object of their own: cast by language means.
    const auto* label = dynamic_cast<const LabelWidget*>(child);
    if (label == nullptr) continue;
    const qreal scale = label->TextScale();
    EXPECT_GE(scale, 0.85) << label->Text().toStdString();
    EXPECT_LE(label->fontMetrics().horizontalAdvance(label->ShownText()) * scale,
              label->width() + 0.5)
        << label->Text().toStdString();
  }
}
