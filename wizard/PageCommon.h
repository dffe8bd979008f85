#pragma once
// What every page of a log's pass shows the same way: the group box "Current log being processed
// (n of m)" with the site and log names, and the log name's hover text describing the log.

#include <QColor>
#include <QString>
#include <string>

class QLabel;
namespace tvk {
class CImageExt;
}
class QWidget;

namespace tvk {
class CLevelCorrector;
}

namespace tvk::wizard {

class CWizSheetPostCorrect;

// Control ids of the group box shared by the pass pages.
enum PassBoxControl {
  kIdSiteName = 1028,
  kIdLogName = 1029,
  kIdPassBox = 1037,
  kIdSiteNameLabel = 1038,
  kIdLogNameLabel = 1039,
};

struct LogNames {
  QString site;
  QString log;
};

// The site name of the log's configuration (empty when it has none) and its log name.
LogNames ReadLogNames(CLevelCorrector& corrector);

// Group box caption and the log name's hover text, after a log was loaded.
void ShowPassInfo(QWidget* page, const CWizSheetPostCorrect& sheet);
// The site and log name texts; empty names without a corrector.
void ShowLogNames(QWidget* page, CLevelCorrector* corrector);

QString ToQString(const std::string& utf8);

// Names every control of `page` that carries a control id by that id, as automation finds it.
void NameControlsById(QWidget* page);

// Gives `page` the wizard's background picture (`imageId` of tvk::ImageId); its labels let it show through.
void UsePageBackground(QWidget* page, int imageId);

// The light bulb in front of hints, its pure green drawn transparent.
void ShowBulb(tvk::CImageExt* bulb);

}  // namespace tvk::wizard
