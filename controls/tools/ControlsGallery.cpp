// Renders every image and a sample of every control to PNG at 100 % and 200 %, to look at them:
//   controls_gallery <output folder>
#include <QApplication>
#include <QDir>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <cstdio>

#include "controls/ControlId.h"
#include "controls/ImageExt.h"
#include "controls/Images.h"
#include "controls/Label.h"
#include "controls/Snapshot.h"
#include "controls/TMBitmapButtonEx.h"
#include "controls/TMCheckTreeCtrl.h"
#include "controls/TMDialog.h"
#include "controls/TMListBox.h"

namespace {

using namespace tvk;

bool Save(QWidget& widget, const QString& folder, const QString& name) {
  bool ok = true;
  for (const qreal dpr : {1.0, 2.0}) {
    ok = SaveSnapshot(widget, QStringLiteral("%1/%2@%3x.png").arg(folder, name).arg(dpr), dpr) && ok;
  }
  return ok;
}

CLabel* Caption(QWidget* parent, const QString& text, QPoint at, bool bold) {
  auto* label = new CLabel(text, parent);
  label->SetTransparent(true);
  label->SetFontBold(bold);
  label->SetTextColor(QColor(0x10, 0x2a, 0x43));
  label->adjustSize();
  label->move(at);
  return label;
}

// A page laid out as the mode page is: title, radio buttons, illustrations with captions, descriptions.
void ModePage(CTMDialog& page) {
  page.SetBackgroundBitmap(ImageId::PageBackgroundMode);
  page.SetClientSize(500, 340);
  auto* title =
      Caption(&page, QStringLiteral("Select how you would like to correct your data"), {150, 16}, true);
  title->SetTextColor(QColor(0x12, 0x35, 0x5b));
  auto* group = new QGroupBox(QStringLiteral("Level measurement mode"), &page);
  group->setGeometry(180, 48, 300, 104);
  auto* column = new QVBoxLayout(group);
  for (const char* text : {"Pressure head (Depth)", "Depth to water", "Elevation or gauge height/stage"}) {
    auto* radio = new QRadioButton(QString::fromLatin1(text), group);
    radio->setChecked(column->count() == 2);
    column->addWidget(radio);
  }
  // Captions in the areas the illustrations leave for them (image units of 160 scaled to 150 px).
  auto* upper = new CImageExt(&page);
  upper->SetBitmap(ImageId::ModeElevation);
  upper->setGeometry(12, 24, 150, 150);
  Caption(&page, QStringLiteral("Elevation"), {12 + 4, 24 + 3}, true);
  Caption(&page, QStringLiteral("Well"), {12 + 114, 24 + 14}, false);
  auto* lower = new CImageExt(&page);
  lower->SetBitmap(ImageId::ModeGaugeHeight);
  lower->setGeometry(12, 178, 150, 150);
  Caption(&page, QStringLiteral("Gauge Height"), {12 + 4, 178 + 3}, true);
  Caption(&page, QStringLiteral("Stilling Well"), {12 + 4, 178 + 18}, false);
  Caption(&page, QStringLiteral("Staff Gauge"), {12 + 88, 178 + 18}, false);
  const char* descriptions[] = {
      "Use to measure water level changes relative to a known datum such as Mean Sea Level (MSL). Commonly "
      "used for long-term monitoring and slug tests.",
      "Use to measure the stage or gauge height as read from a staff gauge. Commonly used for river "
      "gauging."};
  int y = 170;
  for (const char* text : descriptions) {
    auto* bulb = new CImageExt(&page);
    bulb->SetBitmap(ImageId::LightBulb);
    bulb->SetTransparentColor(QColor(0, 255, 0));
    bulb->setGeometry(180, y, 16, 16);
    auto* description = new CLabel(QString::fromLatin1(text), &page);
    description->SetTransparent(true);
    description->SetTextColor(QColor(0x1b, 0x2b, 0x3a));
    description->setWordWrap(true);
    description->setGeometry(204, y, 276, 64);
    description->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    y += 74;
  }
}

void Frame(CTMDialog& frame) {
  frame.SetFaceColor(QColor(0xf3, 0xf5, 0xf8));
  frame.SetClientSize(500, 57);
  struct Button {
    int id;
    int normal, hot, pressed, disabled;
    const char* name;
    bool enabled;
  };
  const Button buttons[] = {
      {kIdCancel, ImageId::CancelNormal, ImageId::CancelHot, ImageId::CancelPressed, ImageId::CancelDisabled,
       "Cancel", true},
      {10224, ImageId::BackNormal, ImageId::BackHot, ImageId::BackPressed, ImageId::BackDisabled, "Back",
       false},
      {10223, ImageId::NextNormal, ImageId::NextHot, ImageId::NextPressed, ImageId::NextDisabled, "Next",
       true},
      {kIdOk, ImageId::OkNormal, ImageId::OkHot, ImageId::OkNormal, ImageId::OkDisabled, "OK", false},
  };
  int x = 12;
  for (const Button& b : buttons) {
    auto* button = new CTMBitmapButtonEx(&frame);
    button->LoadBitmaps(b.normal, b.hot, b.pressed, b.disabled);
    button->setAccessibleName(QString::fromLatin1(b.name));
    button->setEnabled(b.enabled);
    SetControlId(*button, b.id);
    button->move(x, (57 - button->height()) / 2);
    x += button->width() + 8;
    if (b.id == 10224) {
      x = 500 - 12 - ImageSize(ImageId::OkNormal).width() - 8 - ImageSize(ImageId::NextNormal).width();
    }
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
  }
  QApplication app(argc, argv);
  const QString folder = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("gallery");
  QDir().mkpath(folder);
  bool ok = true;

  for (const int id : AllImageIds()) {
    const QString name = QFileInfo(ImagePath(id)).baseName();
    for (const qreal dpr : {1.0, 2.0}) {
      QSize size = ImageSize(id);
      if (size.width() <= 16) {
        size *= 4;  // the icons are 16 px: look at them larger
      }
      const QPixmap pixmap = RenderImage(ImagePath(id), size, dpr);
      ok = pixmap.save(QStringLiteral("%1/image_%2@%3x.png").arg(folder, name).arg(dpr)) && ok;
    }
  }

  CTMDialog page(1000);
  ModePage(page);
  ok = Save(page, folder, QStringLiteral("mode_page")) && ok;

  CTMDialog plain(1002);
  plain.SetBackgroundBitmap(ImageId::PageBackground);
  plain.SetClientSize(500, 330);
  auto* tree = new CAppTreeCtrl(&plain);
  tree->SetIcons({ImageIcon(ImageId::TreeFolder), ImageIcon(ImageId::TreeSite), ImageIcon(ImageId::TreeLog)});
  QTreeWidgetItem* root = tree->InsertItem(QStringLiteral("Site Data"), 0);
  for (const char* site : {"Lake Maren", "North Well 7", "River Adda Gauge"}) {
    QTreeWidgetItem* group = tree->InsertItem(QString::fromLatin1(site), 1, root, true);
    for (int i = 1; i <= 2; ++i) {
      tree->InsertItem(QStringLiteral("%1 Log %2.vxl").arg(QString::fromLatin1(site)).arg(i), 2, group, true);
    }
  }
  tree->expandAll();
  tree->ToggleCheck(root->child(1));
  tree->setGeometry(180, 60, 300, 200);
  auto* listBox = new CTMListBox(&plain);
  for (int i = 0; i < 200; ++i) {
    listBox->AddString(QStringLiteral("2026-03-%1 12:%2:00")
                           .arg(1 + i % 28, 2, 10, QChar('0'))
                           .arg(i % 60, 2, 10, QChar('0')));
  }
  listBox->SetCurSel(2);
  listBox->setGeometry(180, 266, 300, 56);
  auto* caption = Caption(&plain, QStringLiteral("Select the logs to correct"), {180, 30}, true);
  caption->SetTextColor(QColor(0x12, 0x35, 0x5b));
  ok = Save(plain, folder, QStringLiteral("list_page")) && ok;

  CTMDialog frame(10002);
  Frame(frame);
  ok = Save(frame, folder, QStringLiteral("button_row")) && ok;

  std::printf("%s\n", ok ? "written" : "some images could not be written");
  return ok ? 0 : 1;
}
