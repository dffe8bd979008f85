#include "wizard/FrameButtons.h"

#include <QIcon>
#include <QPushButton>

#include "wizard/WizardEvents.h"

namespace tvk::wizard {

namespace {

struct ButtonLook {
  int id;
  const char* name;
  const char* image;
  int width;
};

// OK is the wide button: the processing page's hint calls it "the check box".
constexpr ButtonLook kLooks[] = {
    {kIdOk, "OK", ":/wizard/images/ok.svg", 96},
    {kIdCancel, "Cancel", ":/wizard/images/cancel.svg", 56},
    {kIdNext, "Next", ":/wizard/images/next.svg", 56},
    {kIdBack, "Back", ":/wizard/images/back.svg", 56},
};

}  // namespace

QAbstractButton* MakeFrameButton(QWidget* parent, int id) {
  auto* button = new QPushButton(parent);
  for (const ButtonLook& look : kLooks) {
    if (look.id != id) continue;
    button->setIcon(QIcon(QString::fromLatin1(look.image)));
    button->setIconSize(QSize(look.width - 16, 24));
    button->setFixedSize(look.width, 36);
    button->setAccessibleName(QString::fromLatin1(look.name));
    button->setToolTip(QString::fromLatin1(look.name));
    button->setObjectName(QString::fromLatin1(look.name).toLower() + QStringLiteral("Button"));
  }
  button->setProperty("controlId", id);
  button->setAutoDefault(false);
  button->setCursor(Qt::PointingHandCursor);
  return button;
}

}  // namespace tvk::wizard
