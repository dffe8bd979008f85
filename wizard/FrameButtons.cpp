#include "wizard/FrameButtons.h"

#include "controls/ControlId.h"
#include "controls/Images.h"
#include "controls/TMBitmapButtonEx.h"
#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

struct ButtonLook {
  int id;
  const char* name;
  int normal;
  int hot;
  int pressed;
  int disabled;
};

// OK is the wide check mark: the processing page's hint calls it "the check box".
constexpr ButtonLook kLooks[] = {
    {kIdOk, "OK", ImageId::OkNormal, ImageId::OkHot, ImageId::OkNormal, ImageId::OkDisabled},
    {kIdCancel, "Cancel", ImageId::CancelNormal, ImageId::CancelHot, ImageId::CancelPressed, ImageId::CancelDisabled},
    {kIdNext, "Next", ImageId::NextNormal, ImageId::NextHot, ImageId::NextPressed, ImageId::NextDisabled},
    {kIdBack, "Back", ImageId::BackNormal, ImageId::BackHot, ImageId::BackPressed, ImageId::BackDisabled},
};

}  // namespace

QAbstractButton* MakeFrameButton(QWidget* parent, int id) {
  auto* button = new CTMBitmapButtonEx(parent);
  SetControlId(*button, id);
  for (const ButtonLook& look : kLooks) {
    if (look.id != id) continue;
    button->LoadBitmaps(look.normal, look.hot, look.pressed, look.disabled);
    // The image is the caption: assistive technology reads the name, the pointer shows it.
    const QString name = QString::fromLatin1(look.name);
    button->setAccessibleName(name);
    button->SetToolTipText(name);
  }
  button->setAutoDefault(false);
  return button;
}

}  // namespace tvk::wizard
