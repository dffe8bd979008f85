#pragma once
// The wizard's private window messages as posted Qt events, and the ids the frame and pages share.
// Worker threads post these with QCoreApplication::postEvent, which is safe from any thread.

#include <QEvent>

namespace tvk::wizard {

// Message numbers: the catalogue of the site-data scan, a log loaded into the corrector, a check
// changed in the log tree.
constexpr int kCatalogReady = 29;
constexpr int kLogLoaded = 41;
constexpr int kTreeCheckChanged = 1183;

constexpr QEvent::Type EventType(int message) { return static_cast<QEvent::Type>(QEvent::User + message); }

// A private message without parameters.
class CWizardEvent : public QEvent {
 public:
  explicit CWizardEvent(int message) : QEvent(EventType(message)) {}
};

// Ids of the frame's buttons; the direction of a page change is the id of the button that caused it.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdNext = 10223;
constexpr int kIdBack = 10224;

// Templates of the sheet's pages.
constexpr unsigned kTemplateLogList = 1002;
constexpr unsigned kTemplateSelectMode = 1000;
constexpr unsigned kTemplateReference = 1003;
constexpr unsigned kTemplateSpecificGravity = 1004;
constexpr unsigned kTemplateProcessing = 1005;

}  // namespace tvk::wizard
